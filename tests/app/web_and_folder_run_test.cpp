// The built program against a web service that never answers, a mistyped host, a program
// folder that is not the user's alone, links and FIFOs planted in it, and a second run
// with a program folder of its own.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/talbex_process.h"
#include "support/loopback_http_server.h"

namespace talbex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using apptest::Outcome;
using test::LoopbackHttpServer;
using test::ScriptedReply;

class WebAndFolderRun : public apptest::TalbexProcessTest {
  protected:
    void SetUp() override {
        TalbexProcessTest::SetUp();
        home_ = dir_ / "home/";
        outside_ = dir_ / "outside/";
        fs::create_directories(outside_);
    }

    // No runtime folder unless given (the fixture unsets it): the lock then lives in the
    // program folder.
    std::string Environment(const std::string& host, const std::string& home,
                            const std::string& runtime = "") const {
        std::string env =
            "env -u http_proxy -u HTTP_PROXY -u all_proxy "
            "-u ALL_PROXY LC_ALL=C TALBEX_CAMERA=sim TALBEX_HOME='" +
            home + "' TALBEX_VENDOR_HOST='" + host + "'";
        if (!runtime.empty())
            env += " XDG_RUNTIME_DIR='" + runtime + "'";
        return env;
    }

    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    std::string home_, outside_;
};

TEST_F(WebAndFolderRun, AHostThatNeverAnswersDoesNotHoldUpTheEndOfTheRun) {
    const std::string script = dir_ / "quit.txt";
    std::ofstream(script) << "wait 0.5\nquit\n";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--seconds", "1"}, {"--script", script}}) {
        LoopbackHttpServer server({ScriptedReply::NeverAnswer()});
        const auto start = std::chrono::steady_clock::now();
        const Outcome run = RunTalbex(args, Environment(server.host(), home_));
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(server.Requests().size(), 1u);  // the update check, cut short
        EXPECT_LT(took, 3s) << args[0];           // not the 20 s a request may last
    }
}

TEST_F(WebAndFolderRun, ASignalEndsTheRunAndItsRequestCleanly) {
    LoopbackHttpServer server({ScriptedReply::NeverAnswer()});
    const std::string out = dir_ / "out";
    // The shell and env replace themselves by the program: `pid` is the program's.
    const std::string command = "exec " + Environment(server.host(), home_) + " '" +
                                program_.string() + "' --seconds 30 >'" + out + "' 2>&1";
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ), 0);

    ASSERT_TRUE(server.WaitForRequests(1, 10s));  // the update check hangs
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 1s);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(Has(Slurp(out), "asked to quit by signal 15")) << Slurp(out);
}

TEST_F(WebAndFolderRun, AMistypedHostSendsNothingAndStoresNoDayKey) {
    const Outcome run = RunTalbex({"--seconds", "3.5"}, Environment("http://host", home_));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "identity: model=SimCam S1")) << run.out;
    EXPECT_FALSE(fs::exists(home_ + "log.txt"));
}

TEST_F(WebAndFolderRun, LinksAndFifosInTheProgramFolderNeitherHangNorWriteOutside) {
    fs::create_directories(home_);
    std::ofstream(outside_ + "victim") << "keep me";
    ASSERT_EQ(symlink((outside_ + "victim").c_str(), (home_ + "log.txt").c_str()), 0);
    ASSERT_EQ(mkfifo((home_ + "ver.htm").c_str(), 0600), 0);
    for (const char* name : {"index_en.htm", "index_cn.htm", ".talbex.lock"})
        ASSERT_EQ(symlink((outside_ + "planted" + name).c_str(), (home_ + name).c_str()), 0);
    LoopbackHttpServer server({ScriptedReply::Ok("4.0.1"), ScriptedReply::Ok("result=ok")});

    const Outcome run = RunTalbex({"--seconds", "3.5"}, Environment(server.host(), home_));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "identity: model=SimCam S1")) << run.out;
    EXPECT_EQ(server.Requests().size(), 2u);  // version check and report
    EXPECT_EQ(Slurp(outside_ + "victim"), "keep me");
    EXPECT_EQ(std::distance(fs::directory_iterator(outside_), {}), 1);  // nothing planted
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(home_ + "log.txt")));
    // The FIFO in the place of "ver.htm" was replaced by the shipped file.
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(home_ + "ver.htm")));
    EXPECT_FALSE(Slurp(home_ + "ver.htm").empty());
}

TEST_F(WebAndFolderRun, AProgramFolderOthersCouldWriteToIsRefused) {
    fs::create_directories(home_);
    ASSERT_EQ(chmod(home_.c_str(), 0777), 0);
    const Outcome run = RunTalbex({"--seconds", "5"}, Environment("", home_));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(
        run.out, "The folder " + home_.substr(0, home_.size() - 1) + " is writable by other users"))
        << run.out;
    EXPECT_FALSE(Has(run.out, "opened")) << run.out;
    EXPECT_TRUE(fs::is_empty(home_));
}

TEST_F(WebAndFolderRun, ASecondRunWithAnotherProgramFolderIsRefusedToo) {
    const std::string runtime = dir_ / "run";
    fs::create_directory(runtime);
    ASSERT_EQ(chmod(runtime.c_str(), 0700), 0);
    const std::string firstOut = dir_ / "first.out";
    const std::string first = Environment("", dir_ / "home-a/", runtime) + " '" +
                              program_.string() + "' --seconds 4 >'" + firstOut + "' 2>&1 &";
    ASSERT_EQ(std::system(first.c_str()), 0);
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (!Has(Slurp(firstOut), "opened") && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(Has(Slurp(firstOut), "opened")) << Slurp(firstOut);

    const Outcome second =
        RunTalbex({"--seconds", "1"}, Environment("", dir_ / "home-b/", runtime));
    EXPECT_EQ(second.status, 1);
    EXPECT_TRUE(Has(second.out, "message box: Only instance can run!")) << second.out;

    while (!Has(Slurp(firstOut), "time is up") && std::chrono::steady_clock::now() < until + 5s)
        std::this_thread::sleep_for(50ms);
}

}  // namespace
}  // namespace talbex
