#include "info/clock_sync_dialog.h"

#include "info/date_time_text.h"
#include "platform/os/local_time.h"
#include "platform/ui/language.h"
#include "resources/dialog_templates.h"

namespace talbex::info {

namespace {

constexpr uint32_t kTickPeriodMs = 1000;

RunningClock LocalClockNow() {
    return RunningClock::FromLocalTime(os::Now());
}

}  // namespace

CSYNCTIMER::CSYNCTIMER(int language)
    : ui::Dialog(resources::ClockSyncDialog()),
      language_(language),
      cameraClock_(LocalClockNow()) {}

const ui::MessageMap* CSYNCTIMER::GetMessageMap() const {
    static const ui::MessageMap map =
        ui::MessageMapBuilder<CSYNCTIMER>(Dialog::BaseMap()).OnTimer(&CSYNCTIMER::OnTimer).Build();
    return &map;
}

bool CSYNCTIMER::OnInitDialog() {
    if (ui::IsEnglish(language_))
        ApplyEnglishCaptions();
    // Both clocks are on show from the start, the camera's as the opener read it.
    ShowClocks();
    SetTimer(kTickTimer, kTickPeriodMs);
    return true;
}

void CSYNCTIMER::OnTimer(uint32_t id) {
    if (id != kTickTimer)
        return;
    cameraClock_.Tick();
    ShowClocks();
}

void CSYNCTIMER::ShowClocks() {
    const std::string zone = LocalZoneAbbreviation();
    // A camera clock that forms no real date shows nothing rather than a made-up one.
    Item(kCameraTime).SetWindowText(StandardDateTimeText(language_, cameraClock_, zone));
    Item(kComputerTime).SetWindowText(StandardDateTimeText(language_, LocalClockNow(), zone));
}

}  // namespace talbex::info
