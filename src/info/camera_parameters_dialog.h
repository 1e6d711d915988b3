// CMSG: the camera-parameters window. It shows the attached camera's identity and state
// (model, serial, shutter count, firmware, battery, its clock running) and the owner,
// artist and copyright texts, which the user can edit and save to the camera, and opens
// the clock window that sets the camera's clock to the computer's.
//
// It runs on a connection of its own, opened by the main window: the window starts the
// connection's worker when it opens and fires "closing" when it is destroyed, before its
// controls go away. Its reads and writes go to the camera directly from the window
// thread; pictures the user takes on the camera meanwhile are transferred by the worker
// into the staging area and kept.
#pragma once

#include <cstdint>
#include <string>

#include "info/running_clock.h"
#include "platform/ui/dialog.h"
#include "shell/camera_connection.h"

namespace talbex::info {

class CSYNCTIMER;

class CMSG : public ui::Dialog {
  public:
    // Fields.
    static constexpr int kModel = 1005;
    static constexpr int kSerial = 1034;
    static constexpr int kShutterCount = 1033;
    static constexpr int kFirmware = 1007;
    static constexpr int kBatteryLevel = 1038;
    static constexpr int kBatteryQuality = 1037;
    static constexpr int kDateTime = 1039;
    static constexpr int kOwner = 1006;
    static constexpr int kArtist = 1036;
    static constexpr int kCopyright = 1035;
    // Buttons.
    static constexpr int kSave = 1000;
    static constexpr int kSynchTime = 1001;
    // Hidden controls.
    static constexpr int kCurrentFolder = 1041;
    static constexpr int kSpareField = 1040;
    static constexpr int kHiddenRefill = 1013;
    static constexpr int kHiddenDeletePictures = 1025;
    // Timers.
    static constexpr uint32_t kClockTimer = 1;
    static constexpr uint32_t kSettleTimer = 2;

    /// `serialText`: the camera's serial when it is a usable one, else empty.
    CMSG(shell::CameraConnection& connection, int language, std::string serialText,
         std::string programDirectory);
    ~CMSG() override;

    int language() const { return language_; }
    const RunningClock& clock() const { return clock_; }
    bool clockRunning() const { return clockRunning_; }
    bool filled() const { return filled_; }

  protected:
    bool OnInitDialog() override;
    /// Also ends the clock window when it is open, without writing the clock.
    void OnCancel() override;
    const ui::MessageMap* GetMessageMap() const override;

  private:
    void OnTimer(uint32_t id);
    void FillFields();
    /// Reads the camera's clock and runs it; false (and no clock) when it cannot be read.
    bool LoadCameraClock();
    void OnSave();
    void OnSynchTime();
    void OnDeletePictures();
    /// The camera says it does not have the property at all.
    bool Lacks(SdkPropertyId property);
    void Tell(const char* english, const char* chinese);

    shell::CameraConnection& connection_;
    const int language_;
    const std::string serialText_;
    const std::string programDirectory_;
    CSYNCTIMER* clockWindow_ = nullptr;  // while the clock window runs
    RunningClock clock_;
    bool clockRunning_ = false;
    bool filled_ = false;
    int settleTicks_ = 0;
};

}  // namespace talbex::info
