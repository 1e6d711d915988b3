// Brings one picture the camera announced into the staging folder.
//
// The file is written by absolute path under the camera's own file name, reduced to its
// last path component, so a name from the camera can never place a file elsewhere.
#pragma once

#include <string>

#include "camera/command.h"

namespace talbex::camera {

class DownloadCommand : public Command {
  public:
    /// Takes over one count of `item`; `folder` is absolute (a trailing '/' is optional).
    DownloadCommand(CameraModel* model, SdkDirectoryItemRef item, std::string folder);
    ~DownloadCommand() override;
    bool execute() override;

    /// The last path component of the camera's name, or empty when none is usable
    /// ("", ".", ".."). `name` holds at most `capacity` bytes and need not end in zero.
    static std::string safeFileName(const char* name, size_t capacity);

  private:
    static SdkError progress(uint32_t percent, void* context, bool* outCancel);
    void releaseItem();

    SdkDirectoryItemRef item_;  // owned until released
    std::string folder_;
};

}  // namespace talbex::camera
