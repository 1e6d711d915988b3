// The built program chooses its windows: real ones on an X server (run under xvfb-run,
// looked at with xwininfo, also enlarged for a high-DPI screen), none without a display.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>

#include "app/talbex_process.h"

namespace talbex {
namespace {

using apptest::Outcome;

class DesktopRun : public apptest::TalbexProcessTest {
  protected:
    static bool Installed(const std::string& program) {
        return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
    }
    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
};

TEST_F(DesktopRun, WithoutADisplayTheMainWindowRunsHeadlessAndSaysWhy) {
    struct Case {
        std::string environment;
        std::string why;
    } const cases[] = {
        {"", "talbex: no display"},
        {"DISPLAY=:77", "talbex: the X display :77 does not answer"},
        {"DISPLAY=nowhere.invalid:0", "talbex: the X display nowhere.invalid:0 does not answer"},
        {"DISPLAY=:x", "talbex: the X display :x does not answer"},
        {"QT_QPA_PLATFORM=xcb", "talbex: QT_QPA_PLATFORM=xcb names a display that does not"},
        {"QT_QPA_PLATFORM='wayland;xcb' WAYLAND_DISPLAY=none",
         "talbex: QT_QPA_PLATFORM=wayland;xcb names a display that does not"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.environment);
        const Outcome run = RunTalbex(
            {"--seconds", "0.3", "--language", "en"},
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TALBEX_CAMERA=sim TALBEX_HOME='" +
                dir_ / "home/" + "' TALBEX_VENDOR_HOST= " + c.environment);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(Has(run.err, c.why)) << run.err;
        EXPECT_TRUE(Has(run.out, "[Talbex V4.5] opened: Talbex V4.5")) << run.out;
    }
}

TEST_F(DesktopRun, OnAnXServerTheMainWindowIsShownAndScaledForHighDpi) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "not under the thread sanitizer: the X libraries the program then loads "
                    "are not built with it (the offscreen Qt tests check the windows' threads)";
#endif
    if (!Installed("xvfb-run") || !Installed("xwininfo"))
        GTEST_SKIP() << "xvfb-run or xwininfo is missing (Debian packages xvfb and x11-utils): "
                        "the program was not run on a real X server";
    // Two copies on one X server, each with a folder (and single-instance lock) of its
    // own: one as it is, one on a screen of twice the usual density. The script waits
    // (bounded) until both windows are mapped, describes them, and collects the exits.
    const std::string script = dir_ / "show.sh";
    std::ofstream(script)
        << "run() { env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TALBEX_CAMERA=sim "
           "TALBEX_VENDOR_HOST= TALBEX_HOME=\"$1\" $2 \"$PROGRAM\" --seconds 6 --language zh "
           ">/dev/null 2>>\"$DIR/program-err\"; }\n"
           "run \"$DIR/a/\" QT_SCALE_FACTOR=1 & a=$!\n"
           "run \"$DIR/b/\" QT_SCALE_FACTOR=2 & b=$!\n"
           "for i in $(seq 1 100); do\n"
           "  ids=$(xwininfo -root -tree | sed -n 's/^ *\\(0x[0-9a-f]*\\) \"Talbex "
           "V4.5\".*/\\1/p')\n"
           "  shown=0\n"
           "  for id in $ids; do xwininfo -id $id | grep -q IsViewable && shown=$((shown+1)); "
           "done\n"
           "  [ $shown -ge 2 ] && break\n"
           "  sleep 0.1\n"
           "done\n"
           "for id in $ids; do xwininfo -id $id | grep -E 'Width|Height|Map State'; done\n"
           "wait $a; echo \"status $?\"\n"
           "wait $b; echo \"status $?\"\n";
    const std::string command = "PROGRAM='" + program_.string() + "' DIR='" + dir_.path() +
                                "' xvfb-run -a -s '-screen 0 2560x1600x24' sh '" + script + "' >'" +
                                dir_ / "out" + "' 2>'" + dir_ / "err" + "'";
    const int raw = std::system(command.c_str());
    const std::string out = Slurp(dir_ / "out");
    const std::string problems = Slurp(dir_ / "err") + Slurp(dir_ / "program-err");
    ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << out << problems;
    EXPECT_TRUE(Has(out, "status 0\nstatus 0\n")) << out << problems;
    const std::regex normal("Width: 950\\s+Height: 510\\s+Map State: IsViewable");
    const std::regex doubled("Width: 1900\\s+Height: 1020\\s+Map State: IsViewable");
    EXPECT_TRUE(std::regex_search(out, normal)) << out << problems;
    EXPECT_TRUE(std::regex_search(out, doubled)) << out << problems;
}

}  // namespace
}  // namespace talbex
