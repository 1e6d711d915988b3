// Brings one picture the camera announced into the staging folder.
//
// The picture is written under a hidden temporary name of its own (never containing
// "IMG", so no walk over the staging folder takes it for a picture) and created there
// exclusively, never through a link. Only when its last byte is on disk does it take the
// camera's file name, reduced to its last path component so a name from the camera can
// never place a file elsewhere; an existing file of that name is never replaced (the
// picture takes the first free "NAME_1.JPG", "NAME_2.JPG", ...). Only then is the camera
// told the picture arrived, since a camera that sends to the computer alone lets it go
// when told. While it is written the temporary file is marked in use (os::FileInUse), so
// the start-up clean-up of another run never removes it. A transfer that fails or is
// cancelled part-way leaves nothing behind; a whole picture that cannot be flushed or named
// stays under its temporary name, untold. A busy camera is asked again, as the worker asks
// again for other commands.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "camera/command.h"

namespace talbex::os {
class FileInUse;
}

namespace talbex::camera {

class DownloadCommand : public Command {
  public:
    struct Hooks {
        /// Asked while the bytes arrive; true cancels the transfer (the owner is stopping).
        std::function<bool()> cancelled;
        /// Told the full path of the finished picture, on the worker thread, once it has
        /// its final name and before "DownloadComplete" is sent.
        std::function<void(const std::string& path)> landed;
    };

    /// Takes over one count of `item`; `folder` is absolute (a trailing '/' is optional).
    DownloadCommand(CameraModel* model, SdkDirectoryItemRef item, std::string folder,
                    Hooks hooks = {});
    ~DownloadCommand() override;
    bool execute() override;
    bool bringsPicture() const override { return true; }

    /// The last path component of the camera's name, or empty when none is usable
    /// ("", ".", ".."). `name` holds at most `capacity` bytes and need not end in zero.
    static std::string safeFileName(const char* name, size_t capacity);
    /// True for the name a transfer writes under until its picture is placed.
    static bool isTemporaryName(std::string_view name);

  private:
    static SdkError progress(uint32_t percent, void* context, bool* outCancel);
    void releaseItem();
    /// Creates the temporary file as a stream; answers its path through `path`.
    SdkError createTemporary(SdkStreamRef* stream, std::string* path);
    /// Flushes the temporary file to disk and gives it its final name.
    SdkError place(const std::string& temporary, const std::string& name, std::string* path);

    SdkDirectoryItemRef item_;  // owned until released
    std::string folder_;
    Hooks hooks_;
    uint32_t lastPercent_ = UINT32_MAX;  // the last "ProgressReport" sent
    int busyAnswers_ = 0;
    std::unique_ptr<os::FileInUse> inUse_;  // the temporary file, while it is written
};

}  // namespace talbex::camera
