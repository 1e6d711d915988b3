// The simulated camera's transfers: a picture's item information and its bytes, sent in
// chunks at the cable's pace with progress reports.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

#include "camera/sdk/sim/property_codes.h"
#include "camera/sdk/sim/sim_camera.h"

namespace talbex::sim {

namespace {

constexpr std::chrono::milliseconds kPaceStep{20};
constexpr std::chrono::milliseconds kQuietProgress{50};

// Progress as a periodic receiver hears it: every new percentage, and the last one again
// when a slow cable has made none for a while, so a receiver that wants to cancel is
// heard promptly. Answers true when the receiver cancels.
class ProgressReports {
  public:
    explicit ProgressReports(SdkStream& stream) : stream_(stream) {}

    bool Report(uint32_t percent) {
        const auto now = std::chrono::steady_clock::now();
        if (last_ && percent <= *last_ && now - lastCall_ < kQuietProgress)
            return false;
        if (!last_ || percent > *last_)
            last_ = percent;
        lastCall_ = now;
        return stream_.ReportProgress(*last_);
    }

  private:
    SdkStream& stream_;
    std::optional<uint32_t> last_;
    std::chrono::steady_clock::time_point lastCall_{};
};

}  // namespace

SdkError SimCamera::GetDirectoryItemInfo(const Item& item, SdkDirectoryItemInfo* out) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(item.generation, Operation::GetDirectoryItemInfo))
        return e;
    *out = SdkDirectoryItemInfo{};
    out->size = static_cast<uint32_t>(std::min<uint64_t>(item.bytes->size(), UINT32_MAX));
    out->format = item.format;
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
        ++transfers_;
    }
    // The camera is busy until the transfer ends, however it ends.
    struct Busy {
        SimCamera& camera;
        ~Busy() {
            std::lock_guard lock(camera.mutex_);
            --camera.transfers_;
        }
    } busy{*this};
    const std::vector<uint8_t>& bytes = *item.bytes;
    if (size != bytes.size())
        return kSdkErrInvalidLength;
    // About sixteen progress steps a picture; chunks of up to 4 MiB keep a large
    // transfer close to the speed of one plain write.
    const uint64_t chunk = std::clamp<uint64_t>(size / 16, 1024, 4 * 1024 * 1024);
    const auto started = Clock::now();
    ProgressReports progress(stream);
    if (progress.Report(0))
        return kSdkErrOperationCancelled;
    for (uint64_t done = 0; done < size;) {
        if (SdkError e = StillAttached(item))
            return e;
        const uint64_t n = std::min(chunk, size - done);
        if (SdkError e = stream.Write(bytes.data() + done, n))
            return e;
        done += n;
        const auto percent = static_cast<uint32_t>(done * 100 / size);
        if (transferMs > 0) {
            // The cable's pace: the transfer ends transferMs after it began. It is waited
            // out in short steps, so an unplug or a cancel is answered at once.
            const auto until = started + std::chrono::milliseconds(transferMs * done / size);
            for (auto now = Clock::now(); now < until; now = Clock::now()) {
                std::this_thread::sleep_until(std::min(until, now + kPaceStep));
                if (SdkError e = StillAttached(item))
                    return e;
                const auto elapsed =
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
                const auto byTime = static_cast<uint32_t>(
                    std::min<uint64_t>(percent, elapsed.count() * 100 / transferMs));
                if (progress.Report(byTime))
                    return kSdkErrOperationCancelled;
            }
        }
        if (progress.Report(percent))
            return kSdkErrOperationCancelled;
    }
    if (size == 0 && progress.Report(100))
        return kSdkErrOperationCancelled;
    return kSdkOk;
}

SdkError SimCamera::StillAttached(const Item& item) {
    std::lock_guard lock(mutex_);
    ApplyDueFaultsLocked();
    return attached_ && item.generation == generation_ ? kSdkOk : kSdkErrCommDisconnected;
}

SdkError SimCamera::DownloadComplete(const Item& item) {
    std::lock_guard lock(mutex_);
    return EnterLocked(item.generation, Operation::DownloadComplete);
}

}  // namespace talbex::sim
