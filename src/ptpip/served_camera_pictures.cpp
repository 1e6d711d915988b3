// The served camera's pictures: the card they are kept on, taking one, sending one and
// deleting them. The card is a byte budget in memory (ServedCamera::kPictureBudget), so a
// server that runs for days, or takes large pictures, does not grow without end.
#include <algorithm>
#include <ctime>

#include "camera/sdk/sdk_backend.h"
#include "ptpip/nikon_codes.h"
#include "ptpip/ptp_codes.h"
#include "ptpip/served_camera.h"
#include "ptpip/served_properties.h"

namespace talbex::ptpip {

namespace {

constexpr uint64_t kTypicalPicture = 4ull << 20;
constexpr size_t kDataPiece = 256 * 1024;
// Pictures the card keeps; the oldest leaves when a new one would exceed it.
constexpr size_t kMaxPictures = 500;

// A picture's time: the camera clock's seconds since 1970, shown as the camera shows it.
std::string DateText(uint32_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm tm {};
    if (seconds == 0 || gmtime_r(&t, &tm) == nullptr)
        return "";
    SdkTime time{static_cast<uint32_t>(tm.tm_year + 1900),
                 static_cast<uint32_t>(tm.tm_mon + 1),
                 static_cast<uint32_t>(tm.tm_mday),
                 static_cast<uint32_t>(tm.tm_hour),
                 static_cast<uint32_t>(tm.tm_min),
                 static_cast<uint32_t>(tm.tm_sec),
                 0};
    return DateTimeText(time);
}

}  // namespace

void ServedCamera::SetPictureBudget(uint64_t bytes) {
    std::lock_guard lock(mutex_);
    pictureBudget_ = bytes;
}

uint64_t ServedCamera::HeldBytesLocked() const {
    uint64_t held = 0;
    for (const auto& [handle, stored] : objects_)
        held += stored.size;
    return held;
}

uint64_t ServedCamera::NextPictureLocked() const {
    for (auto it = objects_.rbegin(); it != objects_.rend(); ++it)
        if (!it->second.folder)
            return it->second.size;
    return 0;
}

StorageInfo ServedCamera::CardInfo() const {
    std::lock_guard lock(mutex_);
    StorageInfo info;
    info.maxCapacity = pictureBudget_;
    info.freeBytes = pictureBudget_ - std::min(HeldBytesLocked(), pictureBudget_);
    const uint64_t next = NextPictureLocked();
    info.freeImages = static_cast<uint32_t>(
        std::min<uint64_t>(info.freeBytes / (next > 0 ? next : kTypicalPicture), UINT32_MAX));
    info.description = "SD";
    info.volumeLabel = "CARD";
    return info;
}

void ServedCamera::AddPicture(SdkDirectoryItemRef item) {
    SdkDirectoryItemInfo info{};
    if (SdkError e = SdkGetDirectoryItemInfo(item, &info)) {
        SdkRelease(item);
        if (e == kSdkErrCommDisconnected)
            MarkGone();
        return;
    }
    info.fileName[sizeof info.fileName - 1] = '\0';
    uint32_t handle;
    std::optional<uint32_t> capture;
    bool inMemory;
    bool firstOfShot = false;
    std::vector<std::pair<uint32_t, SdkDirectoryItemRef>> dropped;
    {
        std::lock_guard lock(mutex_);
        inMemory = intoMemory_;
        Stored stored{kFolderHandle, false,     info.fileName,
                      item,          info.size, DateText(info.dateTime)};
        if (inMemory) {
            // Every picture of a shot into memory: RAW and JPEG come one after the other.
            stored.parent = 0;
            stored.inMemory = true;
            handle = nextMemoryHandle_++;
            firstOfShot = shotSince_.has_value();
        } else {
            handle = nextHandle_++;
        }
        objects_[handle] = std::move(stored);
        capture = captureTransaction_;
        captureTransaction_.reset();
        shotSince_.reset();
        size_t pictures = std::count_if(objects_.begin(), objects_.end(),
                                        [](const auto& o) { return !o.second.folder; });
        for (auto it = objects_.begin(); pictures > kMaxPictures && it != objects_.end();) {
            if (it->second.folder) {
                ++it;
                continue;
            }
            dropped.emplace_back(it->first, it->second.item);
            it = objects_.erase(it);
            --pictures;
        }
    }
    for (auto [oldHandle, oldItem] : dropped) {
        SdkRelease(oldItem);
        Emit(kEventObjectRemoved, 0, {oldHandle});
    }
    if (inMemory) {
        // What camera_nikon_capture and camera_wait_for_event wait for (library.c): the
        // picture in memory, then the end of the shot.
        Emit(kEventNikonObjectAddedInSdram, 0, {handle});
        if (firstOfShot)
            Emit(kEventNikonCaptureCompleteRecInSdram, 0, {});
        return;
    }
    Emit(kEventObjectAdded, capture.value_or(0), {handle});
    if (capture)
        Emit(kEventCaptureComplete, *capture, {});
}

Reply ServedCamera::GetObject(uint32_t /*transaction*/, uint32_t handle, DataSink& out) {
    SdkDirectoryItemRef item;
    uint64_t total;
    {
        std::lock_guard lock(mutex_);
        auto it = objects_.find(handle);
        if (it == objects_.end() || it->second.folder)
            return Reply{kRespInvalidObjectHandle, {}};
        item = it->second.item;
        total = it->second.size;
    }

    // The picture goes out as it comes from the camera: every part that arrives is
    // forwarded at once; the last part closes the data phase.
    struct Forward {
        DataSink& out;
        SdkStreamRef stream = nullptr;
        uint64_t total = 0;
        uint64_t sent = 0;
        bool started = false;
        bool broken = false;

        bool Send(uint64_t upTo) {
            const void* data = nullptr;
            if (SdkGetPointer(stream, &data) != kSdkOk || data == nullptr)
                return upTo == sent;
            const auto* bytes = static_cast<const uint8_t*>(data);
            if (!started && !(started = out.Start(total)))
                return false;
            while (sent < upTo) {
                const uint64_t n = std::min<uint64_t>(kDataPiece, upTo - sent);
                if (!out.Write(std::span<const uint8_t>(bytes + sent, n)))
                    return false;
                sent += n;
            }
            return true;
        }
        static SdkError OnProgress(uint32_t, void* context, bool* cancel) {
            auto* f = static_cast<Forward*>(context);
            if (!f->broken && f->out.Abandoned()) {
                f->broken = true;
                *cancel = true;
            }
            uint64_t length = 0;
            SdkGetLength(f->stream, &length);
            if (!f->broken && length < f->total && length > f->sent && !f->Send(length)) {
                f->broken = true;
                *cancel = true;
            }
            return kSdkOk;
        }
    } forward{out};
    forward.total = total;

    if (SdkError e = SdkCreateMemoryStream(total, &forward.stream))
        return Failure(e, kRespGeneralError);
    SdkSetProgressCallback(forward.stream, &Forward::OnProgress, kProgressPeriodically, &forward);
    const SdkError e = SdkDownload(item, total, forward.stream);
    uint64_t length = 0;
    SdkGetLength(forward.stream, &length);
    Reply reply{kRespOk, {}};
    if (e != kSdkOk || forward.broken || length != total) {
        // Once the data phase has begun it cannot end with an answer: the connection goes.
        reply = forward.started || forward.broken ? Reply{kRespGeneralError, {}, true}
                                                  : Failure(e, kRespGeneralError);
        if (e == kSdkErrCommDisconnected)
            MarkGone();
    } else {
        const void* data = nullptr;
        SdkGetPointer(forward.stream, &data);
        const auto* bytes = static_cast<const uint8_t*>(data);
        if (!forward.started && !(forward.started = out.Start(total)))
            reply = Reply{kRespGeneralError, {}, true};
        else if (!out.End(std::span<const uint8_t>(bytes ? bytes + forward.sent : bytes,
                                                   total - forward.sent)))
            reply = Reply{kRespGeneralError, {}, true};
        else
            SdkDownloadComplete(item);
    }
    SdkRelease(forward.stream);
    return reply;
}

Reply ServedCamera::Delete(uint32_t handle) {
    std::vector<SdkDirectoryItemRef> released;
    {
        std::lock_guard lock(mutex_);
        if (handle == kAll) {
            for (auto it = objects_.begin(); it != objects_.end();) {
                if (it->second.folder) {
                    ++it;
                    continue;
                }
                released.push_back(it->second.item);
                it = objects_.erase(it);
            }
        } else {
            auto it = objects_.find(handle);
            if (it == objects_.end())
                return Reply{kRespInvalidObjectHandle, {}};
            if (it->second.folder)
                return Reply{kRespObjectWriteProtected, {}};
            released.push_back(it->second.item);
            objects_.erase(it);
        }
    }
    for (SdkDirectoryItemRef item : released)
        SdkRelease(item);
    return Reply{kRespOk, {}};
}

Reply ServedCamera::Capture(uint32_t transaction) {
    {
        std::lock_guard lock(mutex_);
        // A card without room for one more picture like the last refuses the shot, as a
        // camera with a full card does.
        if (HeldBytesLocked() + NextPictureLocked() > pictureBudget_)
            return Reply{kRespStoreFull, {}};
        // The picture's event may come before the command returns.
        captureTransaction_ = transaction;
        intoMemory_ = false;
        shotSince_ = std::chrono::steady_clock::now();
    }
    const SdkError e = SdkSendCommand(camera_, kCameraCommandTakePicture, 0);
    if (e == kSdkOk)
        return Reply{kRespOk, {}};
    {
        std::lock_guard lock(mutex_);
        captureTransaction_.reset();
        shotSince_.reset();
    }
    return Failure(e, kRespGeneralError);
}

}  // namespace talbex::ptpip
