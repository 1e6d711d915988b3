// The built program when the folders pictures go through take no more: the test-shot or
// incoming folder, or the user's save folder, full or read-only. Nothing hangs, no half
// picture stays anywhere, a picture that arrived whole is never lost, and the user is
// told.
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>

#include "faults/fault_run.h"

namespace talbex::faults {
namespace {

enum class Trouble { kFull, kReadOnly };

// Makes `folder` take no more files: a file system of 1 MiB of its own (full) or mounted
// read-only where the test may mount one; else a folder without write permission, which
// holds only for a user other than root. Answers why neither works, when it does not.
std::optional<std::string> Unwritable(const std::string& folder, Trouble trouble,
                                      std::unique_ptr<ScratchMount>& mount) {
    mount = std::make_unique<ScratchMount>(
        folder, trouble == Trouble::kFull ? "size=1m,mode=0700" : "ro,mode=0700");
    if (mount->mounted())
        return std::nullopt;
    if (trouble == Trouble::kReadOnly && ::geteuid() != 0 && ::chmod(folder.c_str(), 0500) == 0)
        return std::nullopt;
    return std::string("cannot mount a small file system at ") + folder +
           (trouble == Trouble::kFull ? "" : " and root may write to any folder");
}

const char* Name(Trouble trouble) {
    return trouble == Trouble::kFull ? "full" : "read-only";
}

class FolderFaultRun : public FaultRun {
  protected:
    // The remote-control window takes one picture of `bytes` bytes into the photo path.
    Outcome TakeOnePicture(uint64_t bytes) {
        Camera("[camera]\npicture_bytes = " + std::to_string(bytes) + "\n");
        return Run(
            "wait 2.5\nclick 1014\nwait 1\n" + ChoosePhotos() + "click 1000\nwait 3\nclose\nquit\n",
            40s);
    }
};

TEST_F(FolderFaultRun, AnIncomingFolderThatTakesNoMoreLosesThePictureVisiblyAndLeavesNoHalfOne) {
    for (Trouble trouble : {Trouble::kFull, Trouble::kReadOnly}) {
        SCOPED_TRACE(Name(trouble));
        fs::remove_all(home_);
        fs::remove_all(photos_);
        fs::create_directories(photos_);
        std::unique_ptr<ScratchMount> mount;
        if (auto why = Unwritable(incoming_, trouble, mount))
            GTEST_SKIP() << *why;
        const Outcome run = TakeOnePicture(2000000);  // more than the folder holds
        ExpectClean(run);
        ExpectNothingHalfIn(incoming_);
        EXPECT_TRUE(Names(photos_).empty());
        EXPECT_TRUE(Has(run.out, "message box: A picture from the camera could not be stored in " +
                                     incoming_.substr(0, incoming_.size() - 1)))
            << run.out;
        EXPECT_TRUE(Has(run.out, "[Remote Control] closed: 2")) << run.out;
    }
}

TEST_F(FolderFaultRun, ASaveFolderThatTakesNoMoreKeepsThePictureWholeInTheIncomingFolder) {
    for (Trouble trouble : {Trouble::kFull, Trouble::kReadOnly}) {
        SCOPED_TRACE(Name(trouble));
        fs::remove_all(home_);
        std::unique_ptr<ScratchMount> mount;
        if (auto why = Unwritable(photos_, trouble, mount))
            GTEST_SKIP() << *why;
        const Outcome run = TakeOnePicture(2000000);
        ExpectClean(run);
        EXPECT_TRUE(Names(photos_).empty());  // no half copy either
        const std::vector<std::string> waiting = Names(incoming_);
        ASSERT_EQ(waiting.size(), 1u) << run.out;
        EXPECT_TRUE(IsWholePicture(incoming_ + waiting[0]));
        EXPECT_EQ(fs::file_size(incoming_ + waiting[0]), 2000000u);
        const std::string told = "message box: Pictures cannot be saved to " + photos_;
        const size_t at = run.out.find(told);
        ASSERT_NE(at, std::string::npos) << run.out;
        EXPECT_EQ(run.out.find(told, at + 1), std::string::npos) << "told more than once";
    }
}

// The test shot cannot be stored: identification keeps waiting for it, as it does for a
// picture that never arrives, and the run still ends at once when asked.
TEST_F(FolderFaultRun, ATestShotFolderThatTakesNoMoreHoldsNothingUp) {
    for (Trouble trouble : {Trouble::kFull, Trouble::kReadOnly}) {
        SCOPED_TRACE(Name(trouble));
        fs::remove_all(home_);
        std::unique_ptr<ScratchMount> mount;
        if (auto why = Unwritable(home_ + "test-shots", trouble, mount))
            GTEST_SKIP() << *why;
        Camera("[camera]\nserial = 12AB5\npicture_bytes = 2000000\n");
        const Outcome run = Run("wait 5\nquit\n", 30s);
        ExpectClean(run);
        EXPECT_LT(run.took, 15s);
        EXPECT_FALSE(Has(run.out, "identity:")) << run.out;
        ExpectNothingHalfIn(home_ + "test-shots/");
    }
}

}  // namespace
}  // namespace talbex::faults
