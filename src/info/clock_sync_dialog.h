// CSYNCTIMER: the small window that asks whether the camera's clock should be set to the
// computer's time. It shows both clocks running side by side; the camera-parameters
// window opens it, hands it the camera's time and, when it ends with OK, writes the
// computer's time into the camera. The window itself writes nothing.
#pragma once

#include <cstdint>

#include "info/running_clock.h"
#include "platform/ui/dialog.h"

namespace talbex::info {

class CSYNCTIMER : public ui::Dialog {
  public:
    static constexpr int kHeading = 1000;
    static constexpr int kCameraTime = 1005;
    static constexpr int kComputerTime = 1006;
    static constexpr uint32_t kTickTimer = 1;

    /// Both clocks start at the computer's local time now.
    explicit CSYNCTIMER(int language);

    /// The camera's time, when the opener could read it.
    void SetCameraClock(const RunningClock& clock) { cameraClock_ = clock; }
    const RunningClock& cameraClock() const { return cameraClock_; }
    int language() const { return language_; }

  protected:
    bool OnInitDialog() override;
    const ui::MessageMap* GetMessageMap() const override;

  private:
    void OnTimer(uint32_t id);
    void ShowClocks();

    int language_;
    RunningClock cameraClock_;
};

}  // namespace talbex::info
