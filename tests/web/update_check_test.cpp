#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/loopback_http_server.h"
#include "web/vendor_service.h"
#include "web_test_support.h"

namespace talbex::web {
namespace {

using test::LoopbackHttpServer;
using test::ScriptedReply;
using namespace std::chrono_literals;

class UpdateCheckTest : public ::testing::Test {
  protected:
    void SetUp() override { testing::ClearProxyEnvironment(); }

    UpdateCheck Check(const std::string& published, ui::MessageBoxAnswer answer, int language,
                      bool runSucceeds = true) {
        LoopbackHttpServer server({ScriptedReply::Ok(published)});
        boxes_ = testing::RecordingMessageBoxes(answer);
        launcher_ = testing::RecordingLauncher(runSucceeds);
        HttpOptions http;
        http.totalTimeout = 2000ms;
        VendorService service(server.host(), dir_.path(), boxes_, launcher_, TodayLocal, http);
        const UpdateCheck check = service.CheckForUpdate("4.0.1", language);
        requests_ = server.Requests();
        return check;
    }

    testing::TemporaryDirectory dir_;
    testing::RecordingMessageBoxes boxes_;
    testing::RecordingLauncher launcher_;
    std::vector<std::string> requests_;
};

TEST_F(UpdateCheckTest, NewerVersionIsOfferedAndYesRunsTheUpdaterAndEndsTheProgram) {
    const UpdateCheck check = Check("4.1.0\n", ui::MessageBoxAnswer::kYes, ui::kLanguageEnglish);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].rfind("GET /download/ver.htm HTTP/1.1\r\n", 0), 0u);
    EXPECT_EQ(check.remoteVersion, "4.1.0/r/n");
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Detection of the new version! Would you like to upgrade now?");
    EXPECT_EQ(boxes_.shown[0].kind, ui::MessageBoxKind::kYesNoQuestion);
    ASSERT_EQ(launcher_.run.size(), 1u);
    EXPECT_EQ(launcher_.run[0], dir_.path() + "update.exe");
    EXPECT_TRUE(check.endWithCancel);
}

TEST_F(UpdateCheckTest, ChineseOfferRunsTheUpdaterFromTheProgramDirectoryToo) {
    const UpdateCheck check = Check("4.0.2", ui::MessageBoxAnswer::kYes, 0);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "检测到有新版本！是否现在进行升级？");
    ASSERT_EQ(launcher_.run.size(), 1u);
    EXPECT_EQ(launcher_.run[0], dir_.path() + "update.exe");
    EXPECT_TRUE(check.endWithCancel);
}

TEST_F(UpdateCheckTest, NoKeepsTheProgramRunning) {
    const UpdateCheck check = Check("4.1.0", ui::MessageBoxAnswer::kNo, ui::kLanguageEnglish);
    EXPECT_EQ(boxes_.shown.size(), 1u);
    EXPECT_TRUE(launcher_.run.empty());
    EXPECT_FALSE(check.endWithCancel);
}

TEST_F(UpdateCheckTest, UpdaterThatCannotStartStillEndsTheProgram) {
    EXPECT_TRUE(
        Check("4.1.0", ui::MessageBoxAnswer::kYes, ui::kLanguageEnglish, false).endWithCancel);
    EXPECT_EQ(launcher_.run.size(), 1u);
}

TEST_F(UpdateCheckTest, SameOlderCutOrMissingVersionOffersNothing) {
    for (const char* published :
         {"4.0.1", "4.0.10", "4.0.0", "", "<html><body>Not here</body></html>", "\n4.1.0"}) {
        const UpdateCheck check =
            Check(published, ui::MessageBoxAnswer::kYes, ui::kLanguageEnglish);
        EXPECT_TRUE(boxes_.shown.empty()) << published;
        EXPECT_TRUE(launcher_.run.empty()) << published;
        EXPECT_FALSE(check.endWithCancel) << published;
    }
}

TEST_F(UpdateCheckTest, RemoteVersionIsTenCharactersCutAtABackslash) {
    EXPECT_EQ(Check("4.0.1-build-77", ui::MessageBoxAnswer::kNo, 0).remoteVersion, "4.0.1-buil");
    EXPECT_EQ(Check("4.1\\0.0", ui::MessageBoxAnswer::kNo, 0).remoteVersion, "4.1");
    EXPECT_EQ(Check("", ui::MessageBoxAnswer::kNo, 0).remoteVersion, "");
}

TEST_F(UpdateCheckTest, UnreachableServiceOffersNothing) {
    HttpOptions http;
    http.totalTimeout = 2000ms;
    VendorService service("127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()), dir_.path(),
                          boxes_, launcher_, TodayLocal, http);
    const UpdateCheck check = service.CheckForUpdate("4.0.1", ui::kLanguageEnglish);
    EXPECT_EQ(check.remoteVersion, "");
    EXPECT_FALSE(check.endWithCancel);
    EXPECT_TRUE(boxes_.shown.empty());
}

}  // namespace
}  // namespace talbex::web
