// What the transfer benchmarks share: the camera's "picture waiting" event handing its
// item to the benchmark that took the picture (and, through median.h, the median of a
// run's figures).
#pragma once

#include <chrono>
#include <future>
#include <mutex>

#include "camera/sdk/sdk.h"
#include "median.h"

namespace talbex::bench {

/// Register OnObject as the camera's object handler (context unused); Take() sends the
/// picture command and answers the item of the picture announced, or null when none came
/// within `limit`.
class PictureArrival {
  public:
    static SdkError OnObject(SdkObjectEvent event, SdkBaseRef object, void*) {
        std::lock_guard lock(mutex_);
        if (event == kObjectEventDirItemRequestTransfer && waiting_ != nullptr) {
            waiting_->set_value(object);
            waiting_ = nullptr;
        } else if (object != nullptr) {
            SdkRelease(object);
        }
        return kSdkOk;
    }

    static SdkDirectoryItemRef Take(SdkCameraRef camera,
                                    std::chrono::seconds limit = std::chrono::seconds(20)) {
        std::promise<SdkDirectoryItemRef> item;
        auto future = item.get_future();
        {
            std::lock_guard lock(mutex_);
            waiting_ = &item;
        }
        if (SdkSendCommand(camera, kCameraCommandTakePicture, 0) != kSdkOk ||
            future.wait_for(limit) != std::future_status::ready) {
            std::lock_guard lock(mutex_);
            waiting_ = nullptr;
            return nullptr;
        }
        return future.get();
    }

  private:
    static inline std::mutex mutex_;
    static inline std::promise<SdkDirectoryItemRef>* waiting_ = nullptr;
};

}  // namespace talbex::bench
