// The built program when a picture's last steps go wrong: the flush to disk fails (a
// failing disk, made with strace's fault injection), or the program is killed in the
// middle of a transfer or of the flush. The camera is told a picture arrived only once it
// is safe, so a camera that was not told keeps it; what such a run leaves under a
// temporary name is cleared at the next start, and said so.
#include <fcntl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "faults/fault_run.h"
#include "support/served_camera_process.h"

namespace talbex::faults {
namespace {

constexpr uint64_t kPictureBytes = 3000000;
// Opens the remote-control window once the camera is identified: a traced program (and
// more so a sanitized one) takes longer to get there.
constexpr char kOpenRemote[] = "wait 2.5\nclick 1014\nwait 1\n";
constexpr char kOpenRemoteTraced[] = "wait 8\nclick 1014\nwait 1\n";

// The program under strace, its fsync calls answered as `inject` says. The leak checker
// cannot run under a tracer; the runs without one check for leaks.
std::string Traced(const std::string& inject) {
    return "ASAN_OPTIONS=detect_leaks=0 strace -f -qq -o /dev/null -e trace=fsync -e "
           "inject=fsync:" +
           inject;
}

bool StraceWorks() {
    return std::system("strace -qq -e trace=none true >/dev/null 2>&1") == 0;
}

class TransferSafetyRun : public FaultRun {
  protected:
    void SetUp() override {
        FaultRun::SetUp();
        if (!StraceWorks())
            GTEST_SKIP() << "strace cannot trace here (not installed, or ptrace refused)";
    }

    /// The names in the incoming folder a transfer writes under until the picture is
    /// placed.
    std::vector<std::string> Temporaries() const {
        std::vector<std::string> found;
        for (const std::string& name : Names(incoming_))
            if (name.rfind(".transfer-", 0) == 0)
                found.push_back(name);
        return found;
    }
    /// The size of the one temporary file, or -1.
    off_t TemporarySize() const {
        const std::vector<std::string> found = Temporaries();
        struct stat st {};
        if (found.size() != 1 || ::lstat((incoming_ + found[0]).c_str(), &st) != 0)
            return -1;
        return st.st_size;
    }

    /// The program started with the run under way: the child of the tracer, or itself.
    pid_t Program() const {
        for (const auto& entry : fs::directory_iterator("/proc")) {
            const std::string name = entry.path().filename();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            const std::string stat = Slurp(entry.path() / "stat");
            const size_t close = stat.rfind(')');
            if (close == std::string::npos)
                continue;
            int parent = 0;
            char state = 0;
            if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) == 2 &&
                parent == pid_)
                return static_cast<pid_t>(std::stol(name));
        }
        return pid_;
    }

    /// Starts the program again without faults: it clears what the killed run left.
    Outcome StartAfresh() {
        wrapper_.clear();
        Camera("[camera]\n");
        return Run("wait 1\nquit\n", 30s);
    }
};

// A flush that fails keeps the whole picture under its temporary name, tells the user,
// and never tells the camera: through libgphoto2 the camera still holds it afterwards.
TEST_F(TransferSafetyRun, AFlushThatFailsKeepsThePictureAndTheCameraUntold) {
    talbex::testing::ServedCameraProcess camera;
    std::string error;
    ASSERT_TRUE(
        camera.Start("[camera]\npicture_bytes = " + std::to_string(kPictureBytes) + "\n", &error))
        << error;
    wrapper_ = Traced("error=EIO");
    const Outcome run =
        Run(kOpenRemoteTraced + ChoosePhotos() + "click 1000\nwait 5\nclose\nquit\n", 60s, {},
            "TALBEX_CAMERA=gphoto2:" + camera.GphotoPort());
    ExpectClean(run);
    EXPECT_TRUE(Has(run.out, "message box: A picture from the camera could not be stored in " +
                                 incoming_.substr(0, incoming_.size() - 1)))
        << run.out;
    EXPECT_TRUE(Names(photos_).empty());
    const std::vector<std::string> kept = Temporaries();
    ASSERT_EQ(kept.size(), 1u) << run.out;
    EXPECT_TRUE(IsWholePicture(incoming_ + kept[0]));

    const std::string listing = dir_ / "listing";
    ASSERT_EQ(std::system(("gphoto2 --port " + camera.GphotoPort() +
                           " --camera 'PTP/IP Camera' --list-files >'" + listing + "' 2>&1")
                              .c_str()),
              0)
        << Slurp(listing);
    EXPECT_TRUE(Has(Slurp(listing), "IMG_0001.JPG")) << Slurp(listing);

    const Outcome next = StartAfresh();
    ExpectClean(next);
    EXPECT_TRUE(Has(next.err, "removed " + incoming_ + kept[0] + ", 3000000 bytes")) << next.err;
    EXPECT_TRUE(Temporaries().empty());
}

// A picture the camera no longer holds (libgphoto2's Nikon code takes it from the
// camera's memory and hands it over) is the only copy: when its flush fails it still takes
// its name in the incoming folder, and the next start leaves it there.
TEST_F(TransferSafetyRun, AHandedOverPictureWhoseFlushFailsIsKeptUnderItsName) {
    talbex::testing::ServedCameraProcess camera;
    std::string error;
    ASSERT_TRUE(camera.Start(
        "[camera]\nvendor = nikon\npicture_bytes = " + std::to_string(kPictureBytes) + "\n",
        &error))
        << error;
    wrapper_ = Traced("error=EIO");
    const Outcome run =
        Run(kOpenRemoteTraced + ChoosePhotos() + "click 1000\nwait 5\nclose\nquit\n", 60s, {},
            "HOME='" + dir_ / "user" + "' TALBEX_CAMERA=gphoto2:" + camera.GphotoPort());
    ExpectClean(run);
    EXPECT_TRUE(Has(run.err, "could not be put safely on disk; it is kept as " + incoming_))
        << run.err;
    EXPECT_TRUE(Temporaries().empty());
    // Named, it goes on to the save folder as any picture does.
    std::vector<std::string> kept;
    for (const std::string& folder : {incoming_, photos_})
        for (const std::string& name : Names(folder))
            if (IsWholePicture(folder + name))
                kept.push_back(folder + name);
    ASSERT_EQ(kept.size(), 1u) << run.out << run.err;

    const Outcome next = StartAfresh();
    ExpectClean(next);
    EXPECT_FALSE(Has(next.err, "removed ")) << next.err;
    EXPECT_TRUE(fs::exists(kept[0]));
}

// Killed in the middle of a transfer (half a picture) or of its flush (a whole one): the
// next start removes what was left in hiding, and says so.
TEST_F(TransferSafetyRun, WhatAKilledRunLeftIsClearedAtTheNextStart) {
    const struct {
        const char* when;
        const char* camera;
        const char* inject;  // the fsync fault, or nothing: no tracer
        bool whole;
    } cases[] = {
        {"mid-transfer", "transfer_ms = 20000\n", "", false},
        {"while flushing", "", "delay_enter=20000000", true},
    };
    // The program folder's own files are in place first, so the flush is the only wait.
    Camera("[camera]\n");
    ExpectClean(Run("wait 0.5\nquit\n", 30s));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        Camera("[camera]\npicture_bytes = " + std::to_string(kPictureBytes) + "\n" + c.camera);
        wrapper_ = *c.inject != '\0' ? Traced(c.inject) : "";
        Start((*c.inject != '\0' ? kOpenRemoteTraced : kOpenRemote) +
              std::string("click 1000\nwait 30\nquit\n"));
        ASSERT_TRUE(WaitUntil(
            [&] {
                const off_t size = TemporarySize();
                return c.whole ? size == static_cast<off_t>(kPictureBytes)
                               : size > 0 && size < static_cast<off_t>(kPictureBytes);
            },
            30s));
        ::kill(Program(), SIGKILL);
        Finish(10s);
        const std::vector<std::string> left = Temporaries();
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(IsWholePicture(incoming_ + left[0]), c.whole);

        const Outcome next = StartAfresh();
        ExpectClean(next);
        EXPECT_TRUE(Has(next.err, "removed " + incoming_ + left[0])) << next.err;
        EXPECT_TRUE(Temporaries().empty());
    }
}

}  // namespace
}  // namespace talbex::faults
