// The program's picture of the connected camera: property values, allowed-value
// descriptions and the live-view state of the last frame.
//
// The worker thread writes it (through the commands) and then notifies; window threads
// read it when notified, and the commander reads the zoom position on any thread. One
// mutex per model makes each getter and setter atomic; getters answer copies. The model
// makes no SDK calls.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "camera/observable.h"
#include "camera/sdk/sdk_types.h"

namespace talbex::camera {

/// The program's own id for "all displayed properties", understood by the read commands.
inline constexpr SdkPropertyId kPropAllDisplayed = 0xFFFF;

class CameraModel : public Observable {
  public:
    explicit CameraModel(SdkCameraRef camera);
    ~CameraModel() override;
    CameraModel(const CameraModel&) = delete;
    CameraModel& operator=(const CameraModel&) = delete;

    virtual bool isLegacy() const { return false; }

    SdkCameraRef getCamera() const { return camera_.load(); }
    /// The connection gave up on a worker stuck in the camera library and releases the
    /// camera: the commands that worker still runs reach no camera from now on.
    void forgetCamera() { camera_.store(nullptr); }

    /// How the session open went, once the worker has tried: the open's own result
    /// (kSdkOk when the session is open). Nothing before. Any thread.
    std::optional<SdkError> getSessionOutcome() const;
    void setSessionOutcome(SdkError result);

    std::string getProductName() const;
    uint32_t getAEMode() const { return get(&Values::aeMode); }
    uint32_t getAv() const { return get(&Values::av); }
    uint32_t getTv() const { return get(&Values::tv); }
    uint32_t getIsoSpeed() const { return get(&Values::isoSpeed); }
    uint32_t getMeteringMode() const { return get(&Values::meteringMode); }
    uint32_t getExposureCompensation() const { return get(&Values::exposureCompensation); }
    uint32_t getImageQuality() const { return get(&Values::imageQuality); }
    uint32_t getEvfMode() const { return get(&Values::evfMode); }
    uint32_t getEvfOutputDevice() const { return get(&Values::evfOutputDevice); }
    uint32_t getEvfDepthOfFieldPreview() const { return get(&Values::evfDepthOfFieldPreview); }
    uint32_t getEvfZoom() const { return get(&Values::evfZoom); }
    tagSdkPoint getEvfZoomPosition() const;
    SdkRect getEvfZoomRect() const;
    uint32_t getEvfAFMode() const { return get(&Values::evfAFMode); }
    SdkFocusInfo getFocusInfo() const;
    /// The stored description for the eight described properties; all zero otherwise.
    SdkPropertyDesc getPropertyDesc(SdkPropertyId id) const;

    /// True for the eleven 32-bit properties the model keeps.
    static bool keepsUInt32(SdkPropertyId id);
    /// True for the eight properties whose allowed values the model keeps.
    static bool keepsDesc(SdkPropertyId id);

    /// Stores the value of a kept 32-bit property; any other id is ignored.
    void setPropertyUInt32(SdkPropertyId id, uint32_t value);
    /// Stores the product name (0x2, at most 255 characters); any other id is ignored.
    void setPropertyString(SdkPropertyId id, const std::string& text);
    /// Stores the record; a frame count beyond the record's 128 frames is cut to 128 so
    /// that no reader walks past the array.
    void setFocusInfo(const SdkFocusInfo& info);
    /// Stores the description of a described property; any other id is ignored. A count
    /// outside 0..128 is brought into that range.
    void setPropertyDesc(SdkPropertyId id, const SdkPropertyDesc& desc);
    void setEvfZoom(uint32_t zoom);
    void setEvfZoomPosition(tagSdkPoint position);
    void setEvfZoomRect(SdkRect rect);

    /// The camera's name of the picture being transferred, set before "DownloadStart" is
    /// sent, so that a window can show which picture is coming.
    std::string getTransferName() const;
    void setTransferName(const std::string& name);

  private:
    struct Values {
        uint32_t aeMode = 0;
        uint32_t av = 0;
        uint32_t tv = 0;
        uint32_t isoSpeed = 0;
        uint32_t meteringMode = 0;
        uint32_t exposureCompensation = 0;
        uint32_t imageQuality = 0;
        uint32_t evfMode = 0;
        uint32_t evfOutputDevice = 0;
        uint32_t evfDepthOfFieldPreview = 0;
        uint32_t evfZoom = 0;
        uint32_t evfAFMode = 0;
    };
    struct Descriptions;

    uint32_t get(uint32_t Values::*field) const;
    static uint32_t Values::*fieldOf(SdkPropertyId id);

    std::atomic<SdkCameraRef> camera_;  // not owned: the connection code releases it
    mutable std::mutex mutex_;
    std::optional<SdkError> sessionOutcome_;  // guarded by mutex_
    std::string productName_;
    std::string transferName_;
    Values values_;
    tagSdkPoint evfZoomPosition_{};
    SdkRect evfZoomRect_{};
    std::unique_ptr<SdkFocusInfo> focusInfo_;
    std::unique_ptr<Descriptions> descriptions_;
};

/// The same model for cameras of the older protocol: the commands lock the camera's own
/// controls around their calls, open the session differently and skip the capacity.
class CameraModelLegacy : public CameraModel {
  public:
    using CameraModel::CameraModel;
    bool isLegacy() const override { return true; }
};

/// Device subtype 0 gives a CameraModelLegacy, any other a CameraModel. The result
/// becomes `currentModel`; the caller owns it.
std::unique_ptr<CameraModel> createCameraModel(SdkCameraRef camera, const SdkDeviceInfo& info);

}  // namespace talbex::camera
