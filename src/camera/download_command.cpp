#include "camera/download_command.h"

#include <cstring>

#include "camera/sdk/sdk.h"
#include "platform/os/program_directory.h"

namespace talbex::camera {

DownloadCommand::DownloadCommand(CameraModel* model, SdkDirectoryItemRef item, std::string folder)
    : Command(model), item_(item), folder_(std::move(folder)) {
    if (folder_.empty() || folder_.back() != '/')
        folder_ += '/';
}

DownloadCommand::~DownloadCommand() {
    releaseItem();
}

void DownloadCommand::releaseItem() {
    if (item_ != nullptr) {
        SdkRelease(item_);
        item_ = nullptr;
    }
}

std::string DownloadCommand::safeFileName(const char* name, size_t capacity) {
    std::string full(name, strnlen(name, capacity));
    size_t cut = full.find_last_of("/\\");
    std::string last = cut == std::string::npos ? full : full.substr(cut + 1);
    if (last.empty() || last == "." || last == "..")
        return {};
    return last;
}

SdkError DownloadCommand::progress(uint32_t percent, void* context, bool* outCancel) {
    if (outCancel != nullptr)
        *outCancel = false;
    auto* self = static_cast<DownloadCommand*>(context);
    uint32_t reported = percent;
    self->notify("ProgressReport", &reported);
    return kSdkOk;
}

bool DownloadCommand::execute() {
    SdkDirectoryItemInfo info{};
    SdkError result = SdkGetDirectoryItemInfo(item_, &info);
    SdkStreamRef stream = nullptr;
    if (result == kSdkOk) {
        notify("DownloadStart");
        std::string name = safeFileName(info.fileName, sizeof info.fileName);
        std::string path = folder_ + name;
        if (name.empty() || !os::IsInsideDirectory(path, folder_))
            result = kSdkErrInvalidParameter;
        if (result == kSdkOk)
            result =
                SdkCreateFileStream(path.c_str(), kFileCreateAlways, kAccessReadWrite, &stream);
        if (result == kSdkOk)
            result = SdkSetProgressCallback(stream, &DownloadCommand::progress,
                                            kProgressPeriodically, this);
        if (result == kSdkOk)
            result = SdkDownload(item_, info.size, stream);
        if (result == kSdkOk)
            result = SdkDownloadComplete(item_);
    }
    releaseItem();
    // Closes the file before anyone hears it is complete.
    if (stream != nullptr)
        SdkRelease(stream);
    if (result == kSdkOk) {
        SdkError done = kSdkOk;
        notify("DownloadComplete", &done);
    } else {
        notifyError(result);
    }
    return true;
}

}  // namespace talbex::camera
