// The whole program on each family of bodies as libgphoto2 presents it (the test camera
// driver's families, tests/camlib), with libgphoto2's messages in German or Chinese: the
// main window identifies the body (with a test shot where its serial tells nothing), the
// camera-parameters window shows what it has, the remote-control window shows its
// settings, presses its shutter button as the family does and brings a picture into the
// save folder, in both of the windows' languages; and the user's lasting libgphoto2
// settings are as they were afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/talbex_process.h"
#include "support/open_port.h"

namespace talbex {
namespace {

namespace fs = std::filesystem;
using apptest::Outcome;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

struct Flow {
    const char* family;
    const char* messages;  // libgphoto2's catalogue (LANGUAGE)
    const char* language;  // the windows' language at start
    bool switched;         // the main window switches to English before the remote window
    const char* values;    // what the body starts with (TALBEX_TEST_CAMERA_VALUES)
    const char* serial;    // the serial identification reports
    bool testShot;         // the body's own serial tells nothing: a test shot tells it
    bool sampled;          // also run under the sanitizers
    /// What the camera log holds in this order, from the remote window's half press on.
    std::vector<const char*> remote;
    bool clock;     // the body has a clock the parameters window can set
    bool liveView;  // the body gives preview frames
};

// Test shots carry this serial in their EXIF block: a serial that can only come from them.
constexpr char kExifSerial[] = "2718281828";

const Flow kFlows[] = {
    {"eos",
     "zh_CN:zh",
     "zh",
     false,
     "",
     "052021001234",
     false,
     true,
     {"set eosremoterelease=Press Half", "set eosremoterelease=Release Half",
      "set capturetarget=Internal RAM", "set eosremoterelease=Press Full", "capture IMG_0001.JPG",
      "download /capt0000.jpg", "set eosremoterelease=Release Full",
      "set eosremoterelease=Release Half", "set capturetarget=Memory card"},
     true,
     true},
    {"eos",
     "de",
     "zh",
     true,
     "",
     "052021001234",
     false,
     false,
     {"set eosremoterelease=Press Half", "set eosremoterelease=Release Half",
      "set eosremoterelease=Press Full", "capture IMG_0001.JPG"},
     true,
     true},
    // A half press is one autofocus cycle, its release nothing; the full press is the
    // picture command, into the camera's memory.
    {"nikon",
     "de",
     "en",
     false,
     "",
     kExifSerial,
     true,
     true,
     {"set autofocusdrive=1", "set capturetarget=Internal RAM", "capture DSC_0002.JPG",
      "download /capt0000.jpg", "set capturetarget=Memory card"},
     true,
     true},
    {"nikon",
     "zh_CN:zh",
     "zh",
     true,
     "",
     kExifSerial,
     true,
     false,
     {"set autofocusdrive=1", "capture DSC_0002.JPG"},
     true,
     true},
    {"sony",
     "zh_CN:zh",
     "en",
     false,
     "",
     kExifSerial,
     true,
     false,
     {"set autofocus=1", "set autofocus=0", "set capturetarget=sdram", "set capture=1",
      "capture DSC00002.JPG", "set capture=0", "set autofocus=0", "set capturetarget=card+sdram"},
     false,
     true},
    {"sony",
     "de",
     "zh",
     true,
     "",
     kExifSerial,
     true,
     false,
     {"set autofocus=1", "set autofocus=0", "set capture=1", "set capture=0"},
     false,
     true},
    {"fuji",
     "de",
     "zh",
     false,
     "500e=1",
     kExifSerial,
     true,
     false,
     {"set autofocusdrive=1", "capture DSCF0002.JPG"},
     true,
     true},
    {"fuji",
     "zh_CN:zh",
     "zh",
     true,
     "500e=1",
     kExifSerial,
     true,
     false,
     {"capture DSCF0002.JPG"},
     true,
     true},
    {"panasonic",
     "de",
     "en",
     false,
     "",
     kExifSerial,
     true,
     false,
     {"set capturetarget=Internal RAM", "capture P1010002.JPG", "set capturetarget=Memory card"},
     false,
     true},
    {"panasonic",
     "zh_CN:zh",
     "zh",
     true,
     "",
     kExifSerial,
     true,
     false,
     {"capture P1010002.JPG"},
     false,
     true},
    {"olympus",
     "zh_CN:zh",
     "en",
     false,
     "500e=1",
     kExifSerial,
     true,
     false,
     {"capture P1010002.JPG"},
     true,
     true},
    {"olympus",
     "de",
     "zh",
     true,
     "500e=1",
     kExifSerial,
     true,
     false,
     {"capture P1010002.JPG"},
     true,
     true},
    {"generic",
     "de",
     "zh",
     false,
     "500e=1",
     kExifSerial,
     true,
     false,
     {"capture TBX_0002.JPG"},
     true,
     false},
    {"generic",
     "zh_CN:zh",
     "zh",
     true,
     "500e=1",
     kExifSerial,
     true,
     false,
     {"capture TBX_0002.JPG"},
     true,
     false},
};

class FamilyFlow : public apptest::TalbexProcessTest, public ::testing::WithParamInterface<Flow> {
  protected:
    bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
    ::testing::AssertionResult InOrder(const std::string& log, size_t from,
                                       const std::vector<const char*>& lines) {
        for (const char* line : lines) {
            from = log.find(std::string(line) + "\n", from);
            if (from == std::string::npos)
                return ::testing::AssertionFailure() << "no '" << line << "' in order in\n" << log;
            from += std::string(line).size();
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_P(FamilyFlow, IdentifiesShowsPressesAndBringsAPictureAndLeavesLibgphoto2AsItWas) {
    const Flow& flow = GetParam();
    if (kSanitized && !flow.sampled)
        GTEST_SKIP() << "a sample of the families runs under the sanitizers";
    testing::OpenPort camera;
    const fs::path home = dir_ / "home";
    const fs::path photos = dir_ / "photos";
    const fs::path log = dir_ / "camera.log";
    fs::create_directories(home / ".gphoto");
    fs::create_directories(photos);
    // The user shoots to the card with every libgphoto2 program.
    const std::string lasting = "ptp2=capturetarget=card\n";
    std::ofstream(home / ".gphoto/settings") << lasting;
    const std::string script = dir_ / "script.txt";
    // Live view with its zoom moved right and focus a step nearer, then the presses.
    std::ofstream(script) << "wait 12\nclick 1013\nwait 2\nclose\nwait 1\n"
                          << (flow.switched ? "click 1000\n" : "") << "folder " << photos.string()
                          << "\nclick 1014\nwait 3\nclick 1013\nwait 1\nclick 1028\nwait 0.5\n"
                             "click 1025\nwait 0.5\nclick 1017\nwait 0.5\nclick 1014\nwait 0.5\n"
                             "click 1001\nwait 1\nclick 1031\nwait 1\n"
                             "click 1030\nwait 4\nclick 1031\nwait 1\nclose\nwait 1\nquit\n";
    const Outcome run = RunTalbex(
        {"--camera", testing::TestCameraChoice(camera), "--headless", "--language", flow.language,
         "--script", script},
        "env -u TALBEX_CAMERA -u DISPLAY -u WAYLAND_DISPLAY -u LC_ALL LANG=C.UTF-8 LANGUAGE=" +
            std::string(flow.messages) + " HOME='" + home.string() + "' TALBEX_HOME='" +
            (dir_ / "program/") +
            "' TALBEX_VENDOR_HOST= CAMLIBS='" TALBEX_TEST_CAMLIBS "' TALBEX_TEST_CAMERA_FAMILY=" +
            flow.family + " TALBEX_TEST_CAMERA_LOG='" + log.string() +
            "' TALBEX_TEST_CAMERA_EXIF_SERIAL=" + kExifSerial + " TALBEX_TEST_CAMERA_VALUES='" +
            flow.values + "'");
    const std::string camera_log = Slurp(log);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, std::string("; serial=") + flow.serial + ";"))
        << run.out << run.err << camera_log;
    // Nothing the user would be asked or told but a body's lack of live view, once; the
    // test shot is gone again.
    const std::string noLiveView = flow.switched || std::string(flow.language) == "en"
                                       ? "Live view is not available on this camera."
                                       : "此相机不支持实时取景。";
    const size_t told = run.out.find("message box: " + noLiveView);
    EXPECT_EQ(told != std::string::npos, !flow.liveView) << run.out;
    EXPECT_EQ(run.out.find("message box:", told == std::string::npos ? 0 : told + 1),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(fs::is_empty(dir_ / "program/test-shots")) << run.err;
    const size_t remote = camera_log.find("open\n", camera_log.find("open\n") + 1);
    if (flow.testShot) {
        EXPECT_LT(camera_log.find("capture "), remote) << "a test shot before the windows\n"
                                                       << camera_log;
    }
    // The parameters window in the first language, the remote window in English after the
    // switch.
    const bool english = std::string(flow.language) == "en";
    const std::string parameters = english ? "[Camera Para]" : "[相机参数]";
    const std::string remoteWindow =
        english || flow.switched ? "[Remote Control]" : "[相机遥控界面]";
    EXPECT_TRUE(Has(run.out, parameters + " control 1007 text: ")) << run.out;  // firmware
    const std::string noClock = english ? "This camera does not let its clock be read or set."
                                        : "此相机不支持读取或设置时钟。";
    EXPECT_EQ(Has(run.out, parameters + " control 1039 text: " + noClock), !flow.clock) << run.out;
    // Its settings show values the user recognises: never the white balance of a click.
    EXPECT_TRUE(Has(run.out, remoteWindow + " control 1008 text: ")) << run.out;  // shutter
    EXPECT_FALSE(Has(run.out, "control 1039 text: Setting the white balance")) << run.out;
    ASSERT_NE(remote, std::string::npos) << camera_log;
    EXPECT_TRUE(InOrder(camera_log, remote, flow.remote));
    // Live view ran where the body gives frames; the eos family's zoom moves in the
    // camera's own coordinates (its autofocus points' area), far beyond the frames' pixels.
    if (flow.liveView) {
        EXPECT_TRUE(Has(camera_log.substr(remote), "preview ")) << camera_log;
    }
    if (std::string(flow.family) == "eos") {
        const size_t at = camera_log.find("set eoszoomposition=", remote);
        ASSERT_NE(at, std::string::npos) << camera_log;
        EXPECT_GT(std::stoi(camera_log.substr(at + 20)), 1000) << camera_log.substr(at);
    }
    // Autofocus that every write starts is written once a press, never to let go.
    if (std::string(flow.family) == "nikon") {
        size_t writes = 0;
        for (size_t at = camera_log.find("set autofocusdrive", remote); at != std::string::npos;
             at = camera_log.find("set autofocusdrive", at + 1))
            ++writes;
        EXPECT_EQ(writes, 1u) << camera_log;
    }
    std::vector<std::string> saved;
    for (const auto& entry : fs::directory_iterator(photos))
        saved.push_back(entry.path().filename());
    ASSERT_EQ(saved.size(), 1u) << run.out << run.err << camera_log;
    EXPECT_EQ(saved[0].rfind("IMG20", 0), 0u) << saved[0];
    // Whatever the session did to the capture target, the user's lasting setting is back.
    EXPECT_TRUE(Has(Slurp(home / ".gphoto/settings"), lasting)) << Slurp(home / ".gphoto/settings");
    EXPECT_FALSE(fs::exists(dir_ / "program/.capture-target-to-restore"));
    EXPECT_FALSE(Has(run.err, "Sanitizer") || Has(run.err, "runtime error")) << run.err;
}

std::string FlowName(const ::testing::TestParamInfo<Flow>& info) {
    std::string messages = info.param.messages;
    return std::string(info.param.family) + "_" + messages.substr(0, 2) + "_" +
           info.param.language + (info.param.switched ? "_en" : "");
}

INSTANTIATE_TEST_SUITE_P(Families, FamilyFlow, ::testing::ValuesIn(kFlows), FlowName);

}  // namespace
}  // namespace talbex
