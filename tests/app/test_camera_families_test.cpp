// The test camera driver's families of bodies, through the gphoto2 command (libgphoto2
// loading the driver from the folder CAMLIBS names): each family's entries, its texts in
// libgphoto2's German and Chinese catalogues, English written under German, where its
// pictures go and under which names, a preview that fails and then works, and the capture
// target's lasting setting. Every run has a home of its own: libgphoto2 writes
// ~/.gphoto/settings there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/talbex_process.h"

namespace talbex {
namespace {

namespace fs = std::filesystem;

struct FamilyCase {
    const char* family;
    std::vector<const char*> has, lacks;  // entry names
    const char* picture;                  // the camera's own name of its first picture
    const char* saved;                    // the name the picture arrives under
    bool staysOnCard;                     // a copy stays on the card (with --keep)
    // A German reading: entry, its label, one choice; a Chinese reading: entry, a choice.
    const char *deEntry, *deLabel, *deChoice, *zhEntry, *zhChoice;
    // An English choice written under German, and whether the write is refused (else it is
    // taken, or silently ignored where the capture target is the lasting setting).
    const char* englishUnderDe;
    bool refused;
    bool liveView;
    bool targetSetting;  // capturetarget is libgphoto2's lasting setting
};

const FamilyCase kFamilies[] = {
    {"eos",
     {"eosremoterelease", "eoszoom", "eoszoomposition", "focusinfo", "datetimeutc", "syncdatetime",
      "autoexposuremode", "aperture", "eosserialnumber", "capturetarget", "manualfocusdrive",
      "autofocusdrive", "viewfinder", "ownername", "shuttercounter", "d402"},
     {"expprogram", "f-number", "autofocus", "manualfocus", "capture", "5007", "501e"},
     "IMG_0001.JPG",
     "capt0000.jpg",
     false,
     "whitebalance",
     "Weißabgleich",
     "Schatten",
     "whitebalance",
     "钨",
     "eosremoterelease=Press Half",
     true,
     true,
     true},
    {"nikon",
     {"autofocusdrive", "manualfocusdrive", "viewfinder", "capturetarget", "autofocus",
      "shutterspeed", "shutterspeed2", "imagequality", "lensname", "artist", "copyright",
      "datetime", "expprogram", "5007", "d100"},
     {"eosremoterelease", "eoszoom", "ownername", "shuttercounter", "501e", "focusinfo"},
     "DSC_0001.JPG",
     "capt0000.jpg",
     false,
     "imagequality",
     "Bildqualität",
     "NEF+Fein",
     "whitebalance",
     "闪光灯",
     "capturetarget=Memory card",
     false,
     true,
     true},
    {"sony",
     {"autofocus", "capture", "manualfocus", "capturetarget", "iso", "f-number", "imagequality",
      "exposuremetermode", "expprogram", "d222"},
     {"datetime", "autofocusdrive", "manualfocusdrive", "viewfinder", "eoszoom", "5011", "artist"},
     "DSC00001.JPG",
     "capt0000.jpg",
     true,
     "exposuremetermode",
     "Belichtungsmessmodus",
     "Mehrpunkt",
     "imagequality",
     "精细",
     "capturetarget=Internal RAM",
     true,
     true,
     false},
    {"fuji",
     {"autofocusdrive", "capturemode", "imageformat", "lensname", "shuttercounter", "copyright",
      "datetime", "focusmode", "5011"},
     {"manualfocusdrive", "viewfinder", "capturetarget", "eosremoterelease", "artist"},
     "DSCF0001.JPG",
     "DSCF0001.JPG",
     true,
     "capturemode",
     "Bildaufnahme Modus",
     "Einzelbild",
     "focusmode",
     "手动",
     "focusmode=Single-Servo AF",
     false,
     true,
     false},
    {"panasonic",
     {"afmode", "expmode", "whitebalance", "manualfocusdrive", "viewfinder", "capturetarget",
      "imageformat", "shutterspeed", "f-number"},
     {"batterylevel", "datetime", "autofocusdrive", "artist", "focusmode", "expprogram", "d402"},
     "P1010001.JPG",
     "P1010001.JPG",
     true,
     "whitebalance",
     "Weißabgleich",
     "Kunstlicht - Fluoreszenzlampe",
     "whitebalance",
     "自动",
     "capturetarget=Memory card",
     false,
     true,
     true},
    {"olympus",
     {"manualfocusdrive", "aperture", "exposuremetermode", "imageformat", "datetime", "iso"},
     {"autofocusdrive", "viewfinder", "capturetarget", "f-number", "artist"},
     "P1010001.JPG",
     "P1010001.JPG",
     true,
     "exposuremetermode",
     "Entfernungs Messungs Modus",
     "Mittelpunkt/Gewichtet",
     "whitebalance",
     "钨",
     "manualfocusdrive=Near 1",
     true,
     true,
     false},
    {"generic",
     {"datetime", "f-number", "shutterspeed", "expprogram", "batterylevel", "501e", "501f", "d402"},
     {"artist", "copyright", "ownername", "viewfinder", "capturetarget", "autofocusdrive"},
     "TBX_0001.JPG",
     "TBX_0001.JPG",
     true,
     "whitebalance",
     "Weißabgleich",
     "Automatisch",
     "whitebalance",
     "自动",
     "whitebalance=Daylight",
     false,
     false,
     false},
};

void PrintTo(const FamilyCase& c, std::ostream* os) {
    *os << c.family;
}

class TestCameraFamilies : public apptest::TalbexProcessTest,
                           public ::testing::WithParamInterface<FamilyCase> {
  protected:
    void SetUp() override {
        apptest::TalbexProcessTest::SetUp();
        if (!Installed("gphoto2"))
            GTEST_SKIP() << "no gphoto2 command";
        fs::create_directories(home_);
        fs::create_directories(work_);
    }

    /// The gphoto2 command on the test camera of this family, in a clean environment;
    /// `more` adds variables ("LANGUAGE=de TALBEX_TEST_CAMERA_FAULTS=...").
    int Gphoto2(const std::string& args, std::string* out, const std::string& more = "") {
        return Shell("cd '" + work_ + "' && env -i PATH=/usr/bin:/bin HOME='" + home_ +
                         "' LC_ALL=C.UTF-8 CAMLIBS='" TALBEX_TEST_CAMLIBS
                         "' TALBEX_TEST_CAMERA_FAMILY=" +
                         GetParam().family + " TALBEX_TEST_CAMERA_LOG='" + log_ + "' " + more +
                         " gphoto2 --camera 'Talbex Test Camera' --port ptpip:127.0.0.1 " + args,
                     out);
    }
    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
    /// Whether the command's listing of an entry offers `choice` ("Choice: 3 NEF+Fein").
    static bool HasChoice(const std::string& text, const std::string& choice) {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("Choice: ", 0) == 0 && line.substr(line.find(' ', 8) + 1) == choice)
                return true;
        return false;
    }

    const std::string home_ = dir_ / "home";
    const std::string work_ = dir_ / "work";
    const std::string log_ = dir_ / "camera.log";
};

TEST_P(TestCameraFamilies, OffersTheEntriesPtp2BuildsForIt) {
    std::string out;
    ASSERT_EQ(Gphoto2("--list-config", &out), 0) << out;
    for (const char* name : GetParam().has)
        EXPECT_TRUE(std::regex_search(out, std::regex(std::string("/") + name + "\n")))
            << name << "\n"
            << out;
    for (const char* name : GetParam().lacks)
        EXPECT_FALSE(std::regex_search(out, std::regex(std::string("/") + name + "\n")))
            << name << "\n"
            << out;
}

TEST_P(TestCameraFamilies, ShowsItsTextsThroughLibgphoto2sCatalogue) {
    const FamilyCase& c = GetParam();
    std::string out;
    ASSERT_EQ(Gphoto2(std::string("--get-config ") + c.deEntry, &out, "LANGUAGE=de"), 0) << out;
    EXPECT_TRUE(Has(out, std::string("Label: ") + c.deLabel)) << out;
    EXPECT_TRUE(HasChoice(out, c.deChoice)) << out;
    ASSERT_EQ(Gphoto2(std::string("--get-config ") + c.zhEntry, &out, "LANGUAGE=zh_CN:zh"), 0)
        << out;
    EXPECT_TRUE(HasChoice(out, c.zhChoice)) << out;
    // Plain "C" is the untranslated catalogue.
    ASSERT_EQ(Gphoto2(std::string("--get-config ") + c.deEntry, &out, "LANGUAGE=de LC_ALL=C"), 0)
        << out;
    EXPECT_FALSE(Has(out, c.deChoice)) << out;
}

// ptp2's own puts compare the written text with the translated one only (remote release,
// focus drive, capture target); its tables take either, and Sony's capture target has
// no "Internal RAM" at all.
TEST_P(TestCameraFamilies, TakesEnglishUnderGermanAsPtp2Does) {
    const FamilyCase& c = GetParam();
    const std::string written = c.englishUnderDe;
    const std::string entry = written.substr(0, written.find('='));
    std::string out;
    const int status = Gphoto2("--set-config '" + written + "'", &out, "LANGUAGE=de");
    EXPECT_EQ(status != 0, c.refused) << out;
    const std::string settings = Slurp(home_ + "/.gphoto/settings");
    EXPECT_FALSE(Has(settings, "ptp2=capturetarget")) << settings;
    if (c.refused || c.targetSetting)
        return;
    // Taken: the camera keeps it (the camera lasts as long as the command).
    ASSERT_EQ(Gphoto2("--set-config '" + written + "' --get-config " + entry, &out), 0) << out;
    EXPECT_TRUE(Has(out, "Current: " + written.substr(entry.size() + 1) + "\n")) << out;
}

TEST_P(TestCameraFamilies, APictureArrivesWholeUnderItsNameAndStaysWhereTheFamilyLeavesIt) {
    const FamilyCase& c = GetParam();
    std::string out;
    ASSERT_EQ(Gphoto2("--capture-image-and-download --keep --list-files", &out,
                      "TALBEX_TEST_CAMERA_EXIF_SERIAL=4012345678"),
              0)
        << out;
    const std::string saved = work_ + "/" + c.saved;
    ASSERT_TRUE(fs::exists(saved)) << out;
    const std::string bytes = Slurp(saved);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\xFF\xD9");
    // The serial the program's EXIF reader finds in it.
    const apptest::Outcome serial = RunTalbex({"serial", saved});
    EXPECT_EQ(serial.out, saved + "\t4012345678\n") << serial.err;
    EXPECT_TRUE(Has(Slurp(log_), std::string("capture ") + c.picture + "\n")) << Slurp(log_);
    const std::string listing = out.substr(out.find('\n', out.find("Keeping file")));
    EXPECT_EQ(Has(listing, c.picture), c.staysOnCard) << out;
}

TEST_P(TestCameraFamilies, ADeleteAfterTheDownloadDoesWhatPtp2sDoes) {
    const FamilyCase& c = GetParam();
    std::string out;
    ASSERT_EQ(Gphoto2("--capture-image-and-download --list-files", &out), 0) << out;
    ASSERT_TRUE(fs::exists(work_ + "/" + c.saved)) << out;
    // A picture read from the camera's memory is no object there: its delete does nothing;
    // one on the card is deleted from it.
    const bool inMemory = std::string(c.saved) != c.picture;
    EXPECT_EQ(Has(Slurp(log_), std::string("delete ") + c.picture), !inMemory) << Slurp(log_);
    const std::string listing = out.substr(out.find('\n', out.find("Deleting file")));
    EXPECT_EQ(Has(listing, c.picture), inMemory && c.staysOnCard) << out;
}

TEST_P(TestCameraFamilies, APreviewFailsOnceThenWorks) {
    const FamilyCase& c = GetParam();
    std::string out;
    Gphoto2("--capture-preview --capture-preview --force-overwrite", &out,
            "TALBEX_TEST_CAMERA_FAULTS=error@preview:1");
    const std::string log = Slurp(log_);
    if (!c.liveView) {
        EXPECT_TRUE(Has(log, "preview unsupported")) << log;
        EXPECT_FALSE(fs::exists(work_ + "/capture_preview.jpg"));
        return;
    }
    const size_t error = log.find("preview error\n");
    ASSERT_NE(error, std::string::npos) << log;
    EXPECT_NE(log.find("preview zoom=1 focus=500\n", error), std::string::npos) << log;
    const std::string frame = Slurp(work_ + "/capture_preview.jpg");
    ASSERT_GT(frame.size(), 100u) << out;
    EXPECT_EQ(frame.substr(0, 2), "\xFF\xD8");
}

// The capture target ptp2 keeps in libgphoto2's lasting settings is written there as
// ptp2 writes it, when the German text is written under German.
TEST_P(TestCameraFamilies, KeepsTheCaptureTargetWhereTheFamilyKeepsIt) {
    const FamilyCase& c = GetParam();
    std::string out;
    const int status = Gphoto2("--set-config capturetarget=Speicherkarte", &out, "LANGUAGE=de");
    const std::string settings = Slurp(home_ + "/.gphoto/settings");
    if (c.targetSetting) {
        EXPECT_EQ(status, 0) << out;
        EXPECT_TRUE(Has(settings, "ptp2=capturetarget=card\n")) << settings;
    } else {
        EXPECT_FALSE(Has(settings, "ptp2=capturetarget")) << settings;
    }
}

INSTANTIATE_TEST_SUITE_P(Families, TestCameraFamilies, ::testing::ValuesIn(kFamilies),
                         [](const auto& info) { return std::string(info.param.family); });

}  // namespace
}  // namespace talbex
