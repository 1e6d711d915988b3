// The built program against a vendor service that accepts and never answers or answers
// ten megabytes, and against its own files ("saveto.txt", "log.txt", "ver.htm", the
// camera's settings file) holding arbitrary bytes or being FIFOs, folders or links.
// Nothing hangs, nothing outside the program folder is written, and the user's work
// (identification, pictures) goes on.
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "faults/fault_run.h"
#include "support/loopback_http_server.h"

namespace talbex::faults {
namespace {

using test::LoopbackHttpServer;
using test::ScriptedReply;

std::string ArbitraryBytes(size_t count) {
    std::mt19937 random(20261208);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

class FilesAndServiceRun : public FaultRun {
  protected:
    void SetUp() override {
        FaultRun::SetUp();
        Camera("[camera]\n");
        fs::create_directories(outside_);
        std::ofstream(outside_ + "victim") << "keep me";
    }
    static std::string Host(const LoopbackHttpServer& server) {
        return "TALBEX_VENDOR_HOST=" + server.host();
    }
    const std::string outside_ = dir_ / "outside/";
};

TEST_F(FilesAndServiceRun, AReportThatIsNeverAnsweredEndsWithTheRunAndCountsForNothing) {
    LoopbackHttpServer server({ScriptedReply::Ok("4.0.1"), ScriptedReply::NeverAnswer()});
    Start("wait 4\nquit\n", {}, Host(server));
    ASSERT_TRUE(server.WaitForRequests(2, 20s));  // the report hangs
    const Outcome run = Finish(30s);
    ExpectClean(run);
    EXPECT_LT(run.took, 8s);                      // the quit, not the request's 20 s, ends it
    EXPECT_FALSE(fs::exists(home_ + "log.txt"));  // reported again at the next start
}

TEST_F(FilesAndServiceRun, TenMegabyteAnswersAreReadForWhatTheySay) {
    std::string report = "result=no\n";
    while (report.size() < (10u << 20))
        report += std::string(1000, 'y') + "\n";
    LoopbackHttpServer server(
        {ScriptedReply::Ok("4.0.1" + std::string(10u << 20, 'x')), ScriptedReply::Ok(report)});
    const Outcome run = Run("wait 4\nquit\n", 30s, {}, Host(server));
    ExpectClean(run);
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_FALSE(Has(run.out, "Detection of the new version")) << run.out;  // 4.0.1 is older
    EXPECT_TRUE(Has(run.out, "message box: The current camera firmware is old")) << run.out;
    EXPECT_TRUE(fs::is_regular_file(home_ + "log.txt"));
}

// Each kind of wrong thing put in the place of the program's own files at once: the
// windows work, the remembered folder and the day key are written again (unless a folder
// stands in the way), and nothing outside the program folder is touched.
TEST_F(FilesAndServiceRun, ProgramFilesOfAnyKindNeitherHangNorLeadOutside) {
    enum Kind { kBytes, kFifo, kFolder, kLink, kDanglingLink };
    for (Kind kind : {kBytes, kFifo, kFolder, kLink, kDanglingLink}) {
        SCOPED_TRACE(kind);
        fs::remove_all(home_);
        fs::remove_all(photos_);
        fs::create_directories(photos_);
        fs::create_directories(home_);
        ::chmod(home_.c_str(), 0700);
        for (const char* name : {"saveto.txt", "log.txt", "ver.htm"}) {
            const std::string path = home_ + name;
            switch (kind) {
                case kBytes:
                    std::ofstream(path, std::ios::binary) << ArbitraryBytes(70000);
                    break;
                case kFifo:
                    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
                    break;
                case kFolder:
                    fs::create_directory(path);
                    break;
                case kLink:
                    fs::create_symlink(outside_ + "victim", path);
                    break;
                case kDanglingLink:
                    fs::create_symlink(outside_ + "planted-" + name, path);
                    break;
            }
        }
        LoopbackHttpServer server({ScriptedReply::Ok("4.0.1"), ScriptedReply::Ok("result=ok")});
        const Outcome run = Run("wait 2.5\nclick 1014\nwait 1\n" + ChoosePhotos() +
                                    "click 1000\nwait 2\nclose\nwait 0.5\nquit\n",
                                40s, {}, Host(server));
        ExpectClean(run);
        EXPECT_TRUE(Has(run.out, "identity: model=SimCam S1")) << run.out;
        EXPECT_EQ(Names(photos_).size(), 1u) << run.out;
        EXPECT_EQ(Slurp(outside_ + "victim"), "keep me");
        EXPECT_EQ(Names(outside_), std::vector<std::string>{"victim"});
        if (kind != kFolder) {
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(home_ + "saveto.txt")));
            EXPECT_EQ(Slurp(home_ + "saveto.txt"), photos_);
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(home_ + "log.txt")));
        }
    }
}

// The camera's settings file: anything but a readable text of settings stops the run at
// once with a message naming the file, and a link to a good one is followed.
TEST_F(FilesAndServiceRun, ACameraSettingsFileOfAnyKindIsReadOrRefusedAtOnce) {
    const std::string good = dir_ / "good.ini";
    std::ofstream(good) << "[camera]\nmodel = Linked Cam\n";
    const std::string fifo = dir_ / "fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string bytes = dir_ / "bytes.ini";
    std::ofstream(bytes, std::ios::binary) << ArbitraryBytes(70000);
    const std::string link = dir_ / "link.ini";
    fs::create_symlink(good, link);
    const std::string dangling = dir_ / "dangling.ini";
    fs::create_symlink(dir_ / "nowhere.ini", dangling);
    const struct {
        std::string path;
        int status;
        std::string said;
    } cases[] = {
        {bytes, 2, bytes + ":1: "},
        {fifo, 2, fifo + ": cannot be read"},
        {dir_.path(), 2, dir_.path() + ": cannot be read"},
        {"/dev/zero", 2, "/dev/zero: cannot be read"},
        {dangling, 2, dangling + ": cannot be read"},
        {link, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const Outcome run = Run("wait 3\nquit\n", 20s, {}, "TALBEX_CAMERA='sim:" + c.path + "'");
        EXPECT_FALSE(run.hung);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_FALSE(Has(run.err, "Sanitizer")) << run.err;
        if (c.status == 0)
            EXPECT_TRUE(Has(run.out, "identity: model=Linked Cam")) << run.out;
        else
            EXPECT_TRUE(Has(run.err, c.said)) << run.err;
    }
}

}  // namespace
}  // namespace talbex::faults
