#include "camera/download_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "camera/sdk/sdk.h"
#include "platform/os/file_move.h"
#include "platform/os/program_directory.h"

namespace talbex::camera {

namespace {

constexpr int kTemporaryAttempts = 8;

// Hidden, and without "IMG", so no walk over the staging folder takes it for a picture.
std::string temporaryName() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char name[40];
    std::snprintf(name, sizeof name, ".transfer-%016llx.part",
                  static_cast<unsigned long long>(random()));
    return name;
}

// Puts the file's bytes on disk; the file is reopened without following a link.
bool flushToDisk(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    return ::close(fd) == 0 && flushed;
}

}  // namespace

DownloadCommand::DownloadCommand(CameraModel* model, SdkDirectoryItemRef item, std::string folder,
                                 Hooks hooks)
    : Command(model), item_(item), folder_(std::move(folder)), hooks_(std::move(hooks)) {
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
    auto* self = static_cast<DownloadCommand*>(context);
    if (outCancel != nullptr)
        *outCancel = self->hooks_.cancelled && self->hooks_.cancelled();
    // The camera may ask again with the same percentage while a slow transfer runs.
    if (percent != self->lastPercent_) {
        self->lastPercent_ = percent;
        uint32_t reported = percent;
        self->notify("ProgressReport", &reported);
    }
    return kSdkOk;
}

SdkError DownloadCommand::createTemporary(SdkStreamRef* stream, std::string* path) {
    SdkError result = kSdkErrFileIo;
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        *path = folder_ + temporaryName();
        result = SdkCreateFileStream(path->c_str(), kFileCreateNew, kAccessReadWrite, stream);
        struct stat st {};
        // Only a name that is taken is worth another try.
        if (result == kSdkOk || ::lstat(path->c_str(), &st) != 0)
            break;
    }
    if (result != kSdkOk)
        path->clear();
    return result;
}

SdkError DownloadCommand::place(const std::string& temporary, const std::string& name,
                                std::string* path) {
    if (!flushToDisk(temporary))
        return kSdkErrFileIo;
    const os::MoveResult moved = os::MoveWithoutReplacing(temporary, folder_, name);
    if (!moved.moved)
        return kSdkErrFileIo;
    *path = moved.path;
    return kSdkOk;
}

bool DownloadCommand::execute() {
    // A transfer whose owner has stopped waiting for pictures before it began is not
    // begun; the item goes back to the camera when the command goes.
    if (hooks_.cancelled && hooks_.cancelled())
        return true;
    SdkDirectoryItemInfo info{};
    SdkError result = SdkGetDirectoryItemInfo(item_, &info);
    SdkStreamRef stream = nullptr;
    std::string temporary;
    std::string name;
    if (result == kSdkOk) {
        notify("DownloadStart");
        name = safeFileName(info.fileName, sizeof info.fileName);
        if (name.empty() || !os::IsInsideDirectory(folder_ + name, folder_))
            result = kSdkErrInvalidParameter;
        if (result == kSdkOk)
            result = createTemporary(&stream, &temporary);
        if (result == kSdkOk)
            result = SdkSetProgressCallback(stream, &DownloadCommand::progress,
                                            kProgressPeriodically, this);
        if (result == kSdkOk)
            result = SdkDownload(item_, info.size, stream);
        if (result == kSdkOk)
            result = SdkDownloadComplete(item_);
    }
    releaseItem();
    // Closes the file before it is flushed and named.
    if (stream != nullptr)
        SdkRelease(stream);
    std::string path;
    if (result == kSdkOk)
        result = place(temporary, name, &path);
    if (result != kSdkOk) {
        if (!temporary.empty())
            ::unlink(temporary.c_str());
        notifyError(result);
        return true;
    }
    if (hooks_.landed)
        hooks_.landed(path);
    SdkError done = kSdkOk;
    notify("DownloadComplete", &done);
    return true;
}

}  // namespace talbex::camera
