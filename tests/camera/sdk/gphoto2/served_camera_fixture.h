// The libgphoto2 backend opened on the simulated camera served over PTP/IP by a
// `talbex sim-serve` process of its own, and a record of the events it delivers.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "camera/sdk/sdk.h"
#include "support/served_camera_process.h"

namespace talbex::gphoto::testing {

struct SeenEvent {
    uint32_t event;
    uint32_t value;  // property id or state parameter
    SdkBaseRef object = nullptr;
};

class SeenEvents {
  public:
    void Register(SdkCameraRef camera);
    /// Waits (a few seconds at most) for a matching event.
    bool WaitFor(const std::function<bool(const SeenEvent&)>& match);
    /// Waits for a picture announced for transfer and hands its reference over.
    SdkBaseRef TakePicture();

  private:
    static SdkError OnProperty(SdkPropertyEvent event, SdkPropertyId id, uint32_t, void* self);
    static SdkError OnObject(SdkObjectEvent event, SdkBaseRef object, void* self);
    static SdkError OnState(SdkStateEvent event, uint32_t param, void* self);
    void Add(SeenEvent e);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<SeenEvent> events_;
};

class ServedCameraTest : public ::testing::Test {
  protected:
    /// Serves a camera described by `settings` (simulator settings file text) and opens
    /// it through the libgphoto2 backend. Tests call it first.
    void Serve(const std::string& settings = "");
    void TearDown() override;

    std::optional<std::string> ReadText(SdkPropertyId id);
    std::optional<uint32_t> ReadValue(SdkPropertyId id);
    SdkError WriteText(SdkPropertyId id, const std::string& text);
    SdkError WriteValue(SdkPropertyId id, uint32_t value);

    talbex::testing::ServedCameraProcess server_;
    SdkCameraRef camera_ = nullptr;
    SeenEvents events_;
    bool initialized_ = false;
};

}  // namespace talbex::gphoto::testing
