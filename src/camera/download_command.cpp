#include "camera/download_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "camera/sdk/sdk.h"
#include "platform/os/diagnostics.h"
#include "platform/os/file_in_use.h"
#include "platform/os/file_io.h"
#include "platform/os/file_move.h"
#include "platform/os/program_directory.h"

namespace talbex::camera {

namespace {

constexpr int kTemporaryAttempts = 8;
// About ten seconds of busy answers at the worker's pace.
constexpr int kMaxBusyAnswers = 20;

constexpr std::string_view kTemporaryPrefix = ".transfer-";
constexpr std::string_view kTemporarySuffix = ".part";
constexpr size_t kTemporaryDigits = 16;

// Hidden, and without "IMG", so no walk over the staging folder takes it for a picture.
std::string temporaryName() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char name[40];
    std::snprintf(name, sizeof name, ".transfer-%016llx.part",
                  static_cast<unsigned long long>(random()));
    return name;
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

bool DownloadCommand::isTemporaryName(std::string_view name) {
    if (name.size() != kTemporaryPrefix.size() + kTemporaryDigits + kTemporarySuffix.size() ||
        !name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix))
        return false;
    const std::string_view digits = name.substr(kTemporaryPrefix.size(), kTemporaryDigits);
    return digits.find_first_not_of("0123456789abcdef") == std::string_view::npos;
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
        if (result == kSdkOk) {
            // Marked as being written until it is placed, so no start-up clean-up of another
            // run removes it meanwhile; one that went before it could be marked is not used.
            inUse_ = std::make_unique<os::FileInUse>(*path);
            if (inUse_->held())
                break;
            inUse_.reset();
            SdkRelease(*stream);
            *stream = nullptr;
            result = kSdkErrFileIo;
            continue;
        }
        struct stat st {};
        // Only a name that is taken is worth another try.
        if (::lstat(path->c_str(), &st) != 0)
            break;
    }
    if (result != kSdkOk)
        path->clear();
    return result;
}

SdkError DownloadCommand::place(const std::string& temporary, const std::string& name,
                                std::string* path) {
    if (!os::FlushToDisk(temporary))
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
        name = safeFileName(info.fileName, sizeof info.fileName);
        getModel()->setTransferName(name);
        notify("DownloadStart");
        if (name.empty() || !os::IsInsideDirectory(folder_ + name, folder_))
            result = kSdkErrInvalidParameter;
        if (result == kSdkOk)
            result = createTemporary(&stream, &temporary);
        if (result == kSdkOk)
            result = SdkSetProgressCallback(stream, &DownloadCommand::progress,
                                            kProgressPeriodically, this);
        if (result == kSdkOk)
            result = SdkDownload(item_, info.size, stream);
    }
    // Closes the file before it is flushed and named.
    if (stream != nullptr)
        SdkRelease(stream);
    const bool whole = result == kSdkOk;
    // A camera busy right after its shot has sent nothing yet: asked again, as the worker
    // asks a busy camera again, for a while.
    if (result == kSdkErrDeviceBusy && ++busyAnswers_ <= kMaxBusyAnswers) {
        if (!temporary.empty())
            ::unlink(temporary.c_str());
        inUse_.reset();
        notify("DeviceBusy");
        return false;
    }
    std::string path;
    if (result == kSdkOk)
        result = place(temporary, name, &path);
    // A picture the camera no longer holds (it went from the camera's memory straight to
    // the computer) is the only copy: one that could not be flushed still takes its name
    // here rather than stay a transfer's file, which the next start would clear away.
    if (result != kSdkOk && whole && (info.option & kItemOptionHandedOver) != 0) {
        const os::MoveResult kept = os::MoveWithoutReplacing(temporary, folder_, name);
        if (kept.moved) {
            os::Diagnostic(
                "%s could not be put safely on disk; it is kept as %s, as the camera "
                "no longer holds it\n",
                name.c_str(), kept.path.c_str());
            path = kept.path;
            result = kSdkOk;
        }
    }
    if (result == kSdkOk)
        inUse_.reset();  // placed under its own name: no longer a transfer's file
    if (result != kSdkOk) {
        releaseItem();
        // Half a picture is nobody's. A whole one that could not be placed stays under its
        // temporary name: the camera was not told it arrived, so it keeps its own, and the
        // next start clears the copy away.
        if (!temporary.empty() && !whole)
            ::unlink(temporary.c_str());
        inUse_.reset();
        notifyError(result);
        return true;
    }
    // Only now is the camera told the picture arrived (a camera sending to the computer
    // alone then lets it go); refused, the picture is safe here all the same.
    if (SdkError confirmed = SdkDownloadComplete(item_))
        os::Diagnostic("the camera was not told that %s arrived (error 0x%X); it keeps its copy\n",
                       name.c_str(), confirmed);
    releaseItem();
    if (hooks_.landed)
        hooks_.landed(path);
    SdkError done = kSdkOk;
    notify("DownloadComplete", &done);
    return true;
}

}  // namespace talbex::camera
