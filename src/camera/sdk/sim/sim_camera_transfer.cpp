// The simulated camera's transfers: a picture's item information and its bytes, sent in
// chunks at the cable's pace with progress reports.
#include <algorithm>
#include <cstdio>
#include <thread>

#include "camera/sdk/sim/sim_camera.h"

namespace talbex::sim {

namespace {

constexpr uint32_t kPictureFormatJpeg = 0x3801;

}  // namespace

SdkError SimCamera::GetDirectoryItemInfo(const Item& item, SdkDirectoryItemInfo* out) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(item.generation, Operation::GetDirectoryItemInfo))
        return e;
    *out = SdkDirectoryItemInfo{};
    out->size = static_cast<uint32_t>(std::min<uint64_t>(item.bytes->size(), UINT32_MAX));
    out->format = kPictureFormatJpeg;
    out->dateTime = item.dateTime;
    std::snprintf(out->fileName, sizeof out->fileName, "%s", item.fileName.c_str());
    return kSdkOk;
}

SdkError SimCamera::Download(const Item& item, uint64_t size, SdkStream& stream) {
    uint32_t transferMs;
    {
        std::lock_guard lock(mutex_);
        if (SdkError e = EnterLocked(item.generation, Operation::Download))
            return e;
        transferMs = transferMs_;
    }
    const std::vector<uint8_t>& bytes = *item.bytes;
    if (size != bytes.size())
        return kSdkErrInvalidLength;
    // About sixteen progress steps a picture; chunks of up to 4 MiB keep a large
    // transfer close to the speed of one plain write.
    const uint64_t chunk = std::clamp<uint64_t>(size / 16, 1024, 4 * 1024 * 1024);
    const auto started = Clock::now();
    if (stream.ReportProgress(0))
        return kSdkErrInternal;  // cancelled by the receiver
    uint32_t reported = 0;
    for (uint64_t done = 0; done < size;) {
        {
            std::lock_guard lock(mutex_);
            ApplyDueFaultsLocked();
            if (!attached_ || item.generation != generation_)
                return kSdkErrCommDisconnected;
        }
        const uint64_t n = std::min(chunk, size - done);
        if (SdkError e = stream.Write(bytes.data() + done, n))
            return e;
        done += n;
        if (transferMs > 0) {
            // The cable's pace: the transfer ends transferMs after it began.
            std::this_thread::sleep_until(
                started +
                std::chrono::milliseconds(transferMs * done / std::max<uint64_t>(size, 1)));
        }
        const auto percent = static_cast<uint32_t>(done * 100 / size);
        if (percent != reported) {
            reported = percent;
            if (stream.ReportProgress(percent))
                return kSdkErrInternal;
        }
    }
    if (reported != 100)
        stream.ReportProgress(100);
    return kSdkOk;
}

SdkError SimCamera::DownloadComplete(const Item& item) {
    std::lock_guard lock(mutex_);
    return EnterLocked(item.generation, Operation::DownloadComplete);
}

}  // namespace talbex::sim
