#include "info/camera_parameters_dialog.h"

#include "camera/control_lock.h"
#include "camera/sdk/sdk.h"
#include "info/camera_texts.h"
#include "info/camera_time.h"
#include "info/clock_sync_dialog.h"
#include "info/date_time_text.h"
#include "info/info_texts.h"
#include "platform/os/local_time.h"
#include "platform/ui/language.h"
#include "platform/ui/prompts.h"
#include "resources/dialog_templates.h"
#include "shell/staging_area.h"

namespace talbex::info {

namespace {

constexpr uint32_t kClockPeriodMs = 1000;
// The worker opens the session meanwhile; the fields are read once it is open.
constexpr uint32_t kSettlePeriodMs = 500;
// A session that is slow to open gets this many more periods before the fields are read
// anyway.
constexpr int kMoreSettlePeriods = 4;

// The fields that only show what the camera says.
constexpr int kReadOnlyFields[] = {CMSG::kShutterCount, CMSG::kModel,        CMSG::kSerial,
                                   CMSG::kFirmware,     CMSG::kBatteryLevel, CMSG::kBatteryQuality,
                                   CMSG::kSpareField};

struct SavedText {
    int field;
    SdkPropertyId property;
};
constexpr SavedText kSavedTexts[] = {{CMSG::kOwner, kPropOwnerName},
                                     {CMSG::kArtist, kPropArtist},
                                     {CMSG::kCopyright, kPropCopyright}};

}  // namespace

CMSG::CMSG(shell::CameraConnection& connection, int language, std::string serialText,
           std::string programDirectory)
    : ui::Dialog(resources::CameraParametersDialog()),
      connection_(connection),
      language_(language),
      serialText_(std::move(serialText)),
      programDirectory_(std::move(programDirectory)) {}

CMSG::~CMSG() {
    // The session closes and the worker ends while the controls still exist.
    connection_.FireClosing();
}

const ui::MessageMap* CMSG::GetMessageMap() const {
    static const ui::MessageMap map = ui::MessageMapBuilder<CMSG>(Dialog::BaseMap())
                                          .OnTimer(&CMSG::OnTimer)
                                          .OnClicked(kSave, &CMSG::OnSave)
                                          .OnClicked(kSynchTime, &CMSG::OnSynchTime)
                                          .OnClicked(kHiddenRefill, &CMSG::FillFields)
                                          .OnClicked(kHiddenDeletePictures, &CMSG::OnDeletePictures)
                                          .Build();
    return &map;
}

bool CMSG::OnInitDialog() {
    if (ui::IsEnglish(language_))
        ApplyEnglishCaptions();
    connection_.Run();
    shell::PurgeTestShots(programDirectory_);
    for (int field : kReadOnlyFields)
        Item(field).EnableWindow(false);
    // The window keeps serving its messages while it waits; what a user does waits until
    // the fields are filled, so a Save can never write texts not yet read.
    EnableWindow(false);
    SetTimer(kSettleTimer, kSettlePeriodMs);
    return true;
}

void CMSG::OnTimer(uint32_t id) {
    if (id == kClockTimer) {
        clock_.Tick();
        Item(kDateTime).SetWindowText(CameraClockText(clock_));
        return;
    }
    if (id != kSettleTimer)
        return;
    // The worker's first read (the product name) lands once the session is open.
    camera::CameraModel* model = connection_.model();
    const bool sessionReady = model != nullptr && !model->getProductName().empty();
    if (!sessionReady && ++settleTicks_ <= kMoreSettlePeriods)
        return;
    KillTimer(kSettleTimer);
    EnableWindow(true);
    FillFields();
}

void CMSG::FillFields() {
    const SdkCameraRef camera = connection_.camera();
    if (auto count = shell::ShutterCountLookup(camera))
        Item(kShutterCount).SetWindowText(std::to_string(static_cast<int32_t>(*count)));

    // A field shows a text only when both reads succeed; artist and copyright, which not
    // every camera keeps, are disabled instead.
    const struct {
        SdkPropertyId property;
        int field;
        bool disableWhenUnreadable;
    } texts[] = {
        {kPropProductName, kModel, false},  {kPropCurrentFolder, kCurrentFolder, false},
        {kPropOwnerName, kOwner, false},    {kPropArtist, kArtist, true},
        {kPropCopyright, kCopyright, true}, {kPropFirmwareVersion, kFirmware, false},
    };
    for (const auto& t : texts) {
        if (auto text = shell::ReadTextProperty(camera, t.property))
            Item(t.field).SetWindowText(*text);
        else if (t.disableWhenUnreadable || Lacks(t.property))
            Item(t.field).EnableWindow(false);
    }
    // What the camera does not keep cannot be saved or set.
    bool anySaved = false;
    for (const SavedText& t : kSavedTexts)
        anySaved = anySaved || Item(t.field).IsWindowEnabled();
    if (!anySaved)
        Item(kSave).EnableWindow(false);
    // A camera without a clock says so where its clock would run (some bodies give none
    // over USB at all).
    const bool noClock = Lacks(kPropDateTime);
    if (noClock)
        Item(kSynchTime).EnableWindow(false);
    const struct {
        SdkPropertyId property;
        int field;
    } numbers[] = {{kPropBatteryLevel, kBatteryLevel}, {kPropBatteryQuality, kBatteryQuality}};
    for (const auto& n : numbers)
        if (auto value = shell::ReadUInt32Property(camera, n.property))
            Item(n.field).SetWindowText(std::to_string(static_cast<int32_t>(*value)));

    Item(kSerial).SetWindowText(serialText_);
    if (!LoadCameraClock()) {
        clockRunning_ = false;
        KillTimer(kClockTimer);
        if (noClock)
            Item(kDateTime).SetWindowText(
                ui::ByLanguage(language_, kNoClockEnglish, kNoClockChinese));
    }
    filled_ = true;
}

bool CMSG::LoadCameraClock() {
    const std::optional<SdkTime> time = ReadCameraTime(connection_.camera());
    if (!time)
        return false;
    clock_ = RunningClock::FromRecord(*time);
    clockRunning_ = true;
    SetTimer(kClockTimer, kClockPeriodMs);
    return true;
}

void CMSG::OnSave() {
    const SdkCameraRef camera = connection_.camera();
    std::string values[std::size(kSavedTexts)];
    bool cut = false;
    for (size_t i = 0; i < std::size(kSavedTexts); ++i) {
        const std::string typed = Item(kSavedTexts[i].field).GetWindowText();
        values[i] = CutToCameraText(typed);
        cut = cut || values[i].size() != typed.size();
    }
    if (cut)
        Tell(kTextCutEnglish, kTextCutChinese);
    // All three are written even when one is refused; a text the camera does not keep
    // (its field disabled) is not written at all.
    bool saved = true;
    for (size_t i = 0; i < std::size(kSavedTexts); ++i) {
        if (!Item(kSavedTexts[i].field).IsWindowEnabled())
            continue;
        const SdkError written = camera::withControlLock(connection_.model(), [&] {
            return WriteCameraText(camera, kSavedTexts[i].property, values[i]);
        });
        saved = written == kSdkOk && saved;
    }
    if (saved)
        Tell(kSavedEnglish, kSavedChinese);
    else
        Tell(kSaveFailedEnglish, kSaveFailedChinese);
}

void CMSG::OnSynchTime() {
    const SdkCameraRef camera = connection_.camera();
    CSYNCTIMER dialog(language_);
    if (auto time = ReadCameraTime(camera))
        dialog.SetCameraClock(RunningClock::FromRecord(*time));
    clockWindow_ = &dialog;
    const int answer = dialog.DoModal();
    clockWindow_ = nullptr;
    if (answer != ui::kIdOk)
        return;
    // The moment OK was pressed, not the time the window showed last.
    const SdkTime now = ToCameraTime(os::Now());
    if (camera::withControlLock(connection_.model(),
                                [&] { return WriteCameraTime(camera, now); }) != kSdkOk) {
        Tell(kSyncFailedEnglish, kSyncFailedChinese);
        return;
    }
    Tell(kSyncDoneEnglish, kSyncDoneChinese);
    // The running clock shows what the camera keeps now, not the time before the change.
    LoadCameraClock();
}

void CMSG::OnCancel() {
    // The window is closed (by the user or because the program ends) while the clock
    // window runs on top of it: that one ends too, as cancelled, or this one never could.
    if (clockWindow_ != nullptr)
        clockWindow_->EndDialog(ui::kIdCancel);
    EndDialog(ui::kIdCancel);
}

void CMSG::OnDeletePictures() {
    // Only the program's own test shots; pictures the user took stay.
    shell::PurgeTestShots(programDirectory_);
}

bool CMSG::Lacks(SdkPropertyId property) {
    // Only a camera that says it has no such property; one that cannot read it now may
    // still take a new value.
    SdkDataType type = 0;
    uint32_t size = 0;
    return SdkGetPropertySize(connection_.camera(), property, 0, &type, &size) ==
           kSdkErrNotSupported;
}

void CMSG::Tell(const char* english, const char* chinese) {
    ui::ShowMessageBox(ui::ByLanguage(language_, english, chinese));
}

}  // namespace talbex::info
