#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "support/loopback_http_server.h"
#include "web/vendor_service.h"
#include "web_test_support.h"

namespace talbex::web {
namespace {

using test::LoopbackHttpServer;
using test::ScriptedReply;
using namespace std::chrono_literals;

constexpr int kChinese = 0;

CameraIdentity SomeCamera() {
    CameraIdentity camera;
    camera.model = "Studio 7 Mark II";
    camera.lens = "Zoom 24-70mm f/2.8";
    camera.serialNumber = "0123456789";
    camera.shutterCount = "12345";
    camera.firmware = "2.1.2";
    camera.owner = "张三 Zhang";
    camera.artist = "";
    camera.copyright = "(c) 李";
    return camera;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string BodyOf(const std::string& request) {
    const std::size_t headEnd = request.find("\r\n\r\n");
    return headEnd == std::string::npos ? std::string() : request.substr(headEnd + 4);
}

class CameraReportTest : public ::testing::Test {
  protected:
    void SetUp() override { testing::ClearProxyEnvironment(); }

    VendorService Service(const std::string& host) {
        HttpOptions http;
        http.connectTimeout = 1000ms;
        http.totalTimeout = 2000ms;
        return VendorService(
            host, dir_.path(), boxes_, launcher_, [this] { return date_; }, http);
    }

    std::string LogPath() const { return dir_.path() + "log.txt"; }

    testing::TemporaryDirectory dir_;
    testing::RecordingMessageBoxes boxes_;
    testing::RecordingLauncher launcher_;
    LocalDate date_{2026, 12, 7};  // day key 202727
};

TEST_F(CameraReportTest, FirstReportOfTheDayPostsTheIdentityAndStoresTheDayKey) {
    LoopbackHttpServer server({ScriptedReply::Ok("result=ok")});
    CameraIdentity camera = SomeCamera();
    const CameraReport report = Service(server.host()).ReportCamera(camera, ui::kLanguageEnglish);

    EXPECT_TRUE(report.posted);
    EXPECT_EQ(report.answer, "result=ok/r/n");
    EXPECT_FALSE(report.firmwareOld);
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    std::cout << "captured camera report: \"" << test::Escaped(request) << "\"\n";

    EXPECT_EQ(request.rfind("POST /cam/new_cam.php HTTP/1.1\r\n", 0), 0u);
    EXPECT_EQ(BodyOf(request),
              std::string("model=Studio 7 Mark II&len=Zoom 24-70mm f/2.8&sn=0123456789&"
                          "shuttercount=12345&firmware=2.1.2&owner=%E5%BC%A0%E4%B8%89 Zhang&"
                          "copyright=(c) %E6%9D%8E&artist=&") +
                  '\0');
    // The encoded texts replace the typed ones, as the window keeps them.
    EXPECT_EQ(camera.owner, "%E5%BC%A0%E4%B8%89 Zhang");
    EXPECT_EQ(camera.copyright, "(c) %E6%9D%8E");
    EXPECT_EQ(camera.model, "Studio 7 Mark II");
    EXPECT_EQ(ReadFile(LogPath()), "202727");
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_TRUE(launcher_.opened.empty());
}

TEST_F(CameraReportTest, SameDayKeyPostsNothingAndANewKeyPostsAgain) {
    LoopbackHttpServer server({ScriptedReply::Ok("result=ok"), ScriptedReply::Ok("result=ok")});
    VendorService service = Service(server.host());
    date_ = {2026, 1, 11};
    CameraIdentity camera = SomeCamera();
    EXPECT_TRUE(service.ReportCamera(camera, kChinese).posted);
    EXPECT_FALSE(service.ReportCamera(camera, kChinese).posted);
    date_ = {2026, 2, 1};  // shares the key of January 11
    EXPECT_FALSE(service.ReportCamera(camera, kChinese).posted);
    EXPECT_EQ(server.Requests().size(), 1u);
    date_ = {2026, 2, 2};
    EXPECT_TRUE(service.ReportCamera(camera, kChinese).posted);
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(ReadFile(LogPath()), "202622");
}

TEST_F(CameraReportTest, StoredKeyIsReadFromTheFirstNineCharactersLeadingDigitsOnly) {
    struct Case {
        const char* content;
        bool posts;
    };
    for (const Case& c :
         {Case{"", true}, Case{"garbage", true}, Case{"\n\n\n", true}, Case{"20272", true},
          Case{"202727", false}, Case{"202727\n", false}, Case{"202727garbage", false},
          Case{"0000202727", true}, Case{"000202727", false}, Case{"-202727", true}}) {
        LoopbackHttpServer server({ScriptedReply::Ok("result=ok")});
        WriteFile(LogPath(), c.content);
        CameraIdentity camera = SomeCamera();
        EXPECT_EQ(Service(server.host()).ReportCamera(camera, kChinese).posted, c.posts)
            << '"' << c.content << '"';
        EXPECT_EQ(server.Requests().size(), c.posts ? 1u : 0u) << '"' << c.content << '"';
        EXPECT_EQ(ReadFile(LogPath()), c.posts ? "202727" : c.content);
    }
}

TEST_F(CameraReportTest, MissingLogFileReportsAndCreatesIt) {
    LoopbackHttpServer server({ScriptedReply::Ok("")});
    ASSERT_FALSE(std::filesystem::exists(LogPath()));
    CameraIdentity camera = SomeCamera();
    EXPECT_TRUE(Service(server.host()).ReportCamera(camera, kChinese).posted);
    EXPECT_EQ(ReadFile(LogPath()), "202727");
}

TEST_F(CameraReportTest, UnwritableLogFileReportsAgainAtTheNextIdentification) {
    std::filesystem::create_directory(LogPath());  // a folder where the file should be
    LoopbackHttpServer server({ScriptedReply::Ok("result=no"), ScriptedReply::Ok("result=ok")});
    VendorService service = Service(server.host());
    CameraIdentity camera = SomeCamera();
    const CameraReport first = service.ReportCamera(camera, ui::kLanguageEnglish);
    EXPECT_TRUE(first.posted);
    EXPECT_TRUE(first.firmwareOld);  // the answer is still acted on
    EXPECT_TRUE(service.ReportCamera(camera, ui::kLanguageEnglish).posted);
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_TRUE(std::filesystem::is_directory(LogPath()));
}

TEST_F(CameraReportTest, OldFirmwareIsToldAndItsPageOpenedWithTheTextsUnchanged) {
    LoopbackHttpServer server({ScriptedReply::Ok("result=no\n")});
    CameraIdentity camera = SomeCamera();
    const CameraReport report = Service(server.host()).ReportCamera(camera, ui::kLanguageEnglish);
    EXPECT_TRUE(report.firmwareOld);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "The current camera firmware is old, the latest firmware2.1.2");
    EXPECT_EQ(boxes_.shown[0].kind, ui::MessageBoxKind::kOk);
    const std::string page =
        "http://" + server.host() + "/firmware/list.php?model=Studio 7 Mark II&firmware=2.1.2";
    EXPECT_EQ(report.firmwarePage, page);
    ASSERT_EQ(launcher_.opened.size(), 1u);
    EXPECT_EQ(launcher_.opened[0], page);
}

TEST_F(CameraReportTest, OldFirmwareNoticeInChineseAndOddTextsStayInTheAddress) {
    LoopbackHttpServer server({ScriptedReply::Ok("x\nresult=no")});
    CameraIdentity camera = SomeCamera();
    camera.model = "A&B $(touch x); '\"";
    camera.firmware = "1.0 #x";
    const CameraReport report = Service(server.host()).ReportCamera(camera, kChinese);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "当前相机固件比较旧，最新固件1.0 #x");
    ASSERT_EQ(launcher_.opened.size(), 1u);
    EXPECT_EQ(
        launcher_.opened[0],
        "http://" + server.host() + "/firmware/list.php?model=A&B $(touch x); '\"&firmware=1.0 #x");
}

TEST_F(CameraReportTest, OnlyAnExactLowerCaseNoMarksTheFirmwareOld) {
    struct Case {
        const char* answer;
        bool old;
    };
    for (const Case& c :
         {Case{"result=ok", false}, Case{"result=No", false}, Case{"result=NO", false},
          Case{"result=n", false}, Case{"result=", false}, Case{"no", false},
          Case{"result=nope", true}, Case{"a=ok&b=no", false}, Case{"=no", true}}) {
        LoopbackHttpServer server({ScriptedReply::Ok(c.answer)});
        std::filesystem::remove(LogPath());
        boxes_.shown.clear();
        launcher_.opened.clear();
        CameraIdentity camera = SomeCamera();
        const CameraReport report = Service(server.host()).ReportCamera(camera, kChinese);
        EXPECT_TRUE(report.posted) << c.answer;
        EXPECT_EQ(report.firmwareOld, c.old) << c.answer;
        EXPECT_EQ(boxes_.shown.size(), c.old ? 1u : 0u) << c.answer;
        EXPECT_EQ(launcher_.opened.size(), c.old ? 1u : 0u) << c.answer;
    }
}

TEST_F(CameraReportTest, UnreachableServiceStillStoresTheKeySoTodayIsNotRepeated) {
    const std::string host = "127.0.0.1:" + std::to_string(test::UnusedLoopbackPort());
    VendorService service = Service(host);
    CameraIdentity camera = SomeCamera();
    const CameraReport report = service.ReportCamera(camera, kChinese);
    EXPECT_TRUE(report.posted);
    EXPECT_EQ(report.answer, "");
    EXPECT_FALSE(report.firmwareOld);
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_EQ(ReadFile(LogPath()), "202727");
    EXPECT_FALSE(service.ReportCamera(camera, kChinese).posted);
}

TEST_F(CameraReportTest, NoVendorHostSendsNoRequestAtAll) {
    LoopbackHttpServer server({ScriptedReply::Ok("result=no")});
    VendorService service = Service("");
    CameraIdentity camera = SomeCamera();
    const auto start = std::chrono::steady_clock::now();
    const CameraReport report = service.ReportCamera(camera, ui::kLanguageEnglish);
    EXPECT_FALSE(service.CheckForUpdate("4.0.1", ui::kLanguageEnglish).endWithCancel);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_EQ(report.answer, "");
    EXPECT_FALSE(report.firmwareOld);
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_TRUE(launcher_.opened.empty());
    EXPECT_FALSE(server.WaitForRequests(1, 100ms));
    EXPECT_EQ(service.Address("/ad/index_cn.htm?"), "");
    // Nothing was reported, so nothing counts for today: a host configured later that
    // day still gets the report.
    EXPECT_FALSE(report.posted);
    EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

TEST_F(CameraReportTest, AReportEndedByTheQuitStoresNoKeyAndShowsNothing) {
    LoopbackHttpServer server({ScriptedReply::NeverAnswer()});
    std::atomic<bool> quitting{false};
    std::thread quit([&] {
        server.WaitForRequests(1, 5s);
        quitting = true;
    });
    HttpOptions http;
    http.abort = &quitting;
    VendorService service(
        server.host(), dir_.path(), boxes_, launcher_, [this] { return date_; }, http);
    CameraIdentity camera = SomeCamera();
    const CameraReport report = service.ReportCamera(camera, ui::kLanguageEnglish);
    quit.join();
    EXPECT_FALSE(report.posted);
    EXPECT_FALSE(std::filesystem::exists(LogPath()));
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(CameraReportTest, ALogFileThatIsALinkOrFifoIsNeitherWrittenThroughNorWaitedOn) {
    const testing::TemporaryDirectory outside;
    const std::string victim = outside.path() + "victim";
    WriteFile(victim, "keep me");
    for (const bool fifo : {false, true}) {
        std::filesystem::remove(LogPath());
        if (fifo)
            ASSERT_EQ(mkfifo(LogPath().c_str(), 0600), 0);  // no writer: a plain open waits
        else
            ASSERT_EQ(symlink(victim.c_str(), LogPath().c_str()), 0);
        LoopbackHttpServer server({ScriptedReply::Ok("result=ok")});
        CameraIdentity camera = SomeCamera();
        EXPECT_TRUE(Service(server.host()).ReportCamera(camera, kChinese).posted);
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(LogPath())));
        EXPECT_EQ(ReadFile(LogPath()), "202727");
    }
    EXPECT_EQ(ReadFile(victim), "keep me");
}

}  // namespace
}  // namespace talbex::web
