// The main window's camera logic: polling, identification, the test shot, the presence
// probe and the loss of the camera. All on the window thread.
#include <chrono>
#include <string>

#include "camera/control_lock.h"
#include "camera/sdk/sdk.h"
#include "controls/exif/exif_reader.h"
#include "platform/os/diagnostics.h"
#include "platform/os/wait_pump.h"
#include "platform/ui/clock.h"
#include "platform/ui/prompts.h"
#include "shell/main_window_texts.h"
#include "shell/staging_area.h"
#include "shell/talbex_main.h"
#include "shell/test_shot.h"

namespace talbex::shell {

namespace {

// "IMG_0001" of ".../IMG_0001.JPG": the files of one shot share it.
std::string NameWithoutExtension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.substr(0, name.rfind('.'));
}

// Waits (serving messages sent to this thread) until `done` or `limit` has passed.
void WaitUpTo(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    os::WaitWhilePumping([&] { return done() || std::chrono::steady_clock::now() >= deadline; },
                         std::chrono::microseconds(2000));
}

// One setting written by the window itself, under the lock an older camera needs for it.
SdkError WriteSetting(const camera::CameraModel* model, SdkCameraRef camera, SdkPropertyId id,
                      uint32_t value) {
    return camera::withControlLock(model, [&] { return WriteUInt32Property(camera, id, value); });
}

}  // namespace

void CTALBEXMAIN::OnTimer(uint32_t id) {
    switch (id) {
        case kPollTimer:
            KillTimer(kPollTimer);
            connected_ = false;
            ConnectCamera();
            RearmPoll();
            break;
        case kSessionTimer:
            CheckSession();
            break;
        case kRestoreTimer:
            ContinueRestore();
            break;
        case kTestShotTimer:
            EvaluateTestShot();
            break;
        case kTestShotRetryTimer:
            KillTimer(kTestShotRetryTimer);
            if (testShotPending_)
                SendTestShot();
            break;
        case kProbeTimer:
            // While a test shot is under way its own evaluation watches the camera; a
            // probe would close the connection the picture is coming through.
            if (!testShotPending_ && ProbeCamera())
                OnCameraLost();
            break;
        default:
            break;
    }
}

void CTALBEXMAIN::RearmPoll() {
    if (!connected_ && !opening_ && IsRunning() && !StopRequested())
        SetTimer(kPollTimer, kPollPeriodMs);
}

void CTALBEXMAIN::ConnectCamera() {
    KillTimer(kSessionTimer);
    opening_ = false;
    connection_.Close();
    cameraHeld_ = false;
    cameraNotOpened_ = false;
    if (connection_.OpenFirstCamera() != kSdkOk) {
        connection_.Close();  // nothing to keep until the next poll
        toldCameraHeld_ = false;
        toldNotOpened_ = false;
        return;
    }
    // The test shot lands in a folder of its own, where nothing of the user's is in its way.
    const std::string shots = TestShotFolder(programDirectory_);
    std::string problem;
    if (!EnsureStagingFolder(shots, &problem))
        os::Diagnostic("no folder for test shots: %s\n", problem.c_str());
    connection_.RegisterCommander(shots);
    // The first picture after the picture command is the test shot, with the files of the
    // same name the same shot makes (RAW and JPEG): noted as the program's own the moment
    // they land, so only they are ever purged. Any other picture arriving here (the
    // shutter pressed on the camera meanwhile) is the user's and stays.
    connection_.commander()->setPictureLanded(
        [programDirectory = programDirectory_, landed = landedShot_](const std::string& path) {
            std::lock_guard lock(landed->mutex);
            const std::string shotName = NameWithoutExtension(path);
            if (landed->expected) {
                landed->expected = false;
                landed->shotName = shotName;
            } else if (landed->shotName.empty() || shotName != landed->shotName) {
                return;
            }
            if (auto stamp = StampOf(path))
                landed->pictures.insert(*stamp);
            landed->paths.push_back(path);
            std::string problem;
            if (!RecordTestShot(programDirectory, path, &problem))
                os::Diagnostic("the test shot stays: %s\n", problem.c_str());
        });
    connection_.Run();
    // The worker opens the session; the window's own reads need it open. A camera that
    // opens quickly is read at once; a slower one is waited for on the session timer.
    sessionOpenBy_ = ui::CurrentClock().Now() + kSessionOpenLimit;
    camera::CameraModel* model = connection_.model();
    WaitUpTo(setup_.sessionWait,
             [&] { return StopRequested() || model->getSessionOutcome().has_value(); });
    if (StopRequested())
        return;
    if (!model->getSessionOutcome()) {
        opening_ = true;
        SetTimer(kSessionTimer, kSessionCheckMs);
        return;
    }
    SessionSettled();
}

void CTALBEXMAIN::CheckSession() {
    const camera::CameraModel* model = connection_.model();
    const bool settled = model == nullptr || model->getSessionOutcome().has_value();
    if (!settled && ui::CurrentClock().Now() < sessionOpenBy_ && !StopRequested())
        return;
    KillTimer(kSessionTimer);
    opening_ = false;
    if (StopRequested())
        return;
    SessionSettled();
    RearmPoll();
}

void CTALBEXMAIN::SessionSettled() {
    const std::optional<SdkError> outcome =
        connection_.model() ? connection_.model()->getSessionOutcome() : std::nullopt;
    const SdkCameraRef camera = connection_.camera();
    // A camera another program holds cannot be opened: the user is told how to free it
    // (once while it stays held), and the poll finds it once it is free.
    SdkDataType type = 0;
    uint32_t size = 0;
    cameraHeld_ =
        (outcome && *outcome == kSdkErrDeviceHeld) ||
        SdkGetPropertySize(camera, kPropProductName, 0, &type, &size) == kSdkErrDeviceHeld;
    if (cameraHeld_) {
        connection_.Close();
        if (!toldCameraHeld_)
            ui::ShowMessageBox(ui::ByLanguage(language_, kCameraHeldEnglish, kCameraHeldChinese));
        toldCameraHeld_ = true;
        return;
    }
    toldCameraHeld_ = false;
    // A camera that did not open is never identified from reads that cannot succeed: the
    // user is told once, and the poll tries again.
    if (!outcome || *outcome != kSdkOk) {
        if (outcome)
            os::Diagnostic("the camera did not open (error 0x%X)\n", *outcome);
        else
            os::Diagnostic("the camera did not open within %lld s\n",
                           static_cast<long long>(kSessionOpenLimit.count() / 1000));
        connection_.Close();
        cameraNotOpened_ = true;
        if (!toldNotOpened_)
            ui::ShowMessageBox(
                ui::ByLanguage(language_, kCameraNotOpenedEnglish, kCameraNotOpenedChinese));
        toldNotOpened_ = true;
        return;
    }
    toldNotOpened_ = false;
    const std::string name = ReadTextProperty(camera, kPropProductName).value_or("");
    englishCaption_ = name + kLinkedEnglish;
    chineseCaption_ = name + kLinkedChinese;
    ShowConnectCaption();
    connected_ = true;

    if (auto count = ShutterCountLookup(camera))
        identity_.shutterCount = std::to_string(*count);
    const struct {
        SdkPropertyId id;
        std::string* text;
    } reads[] = {
        {kPropProductName, &identity_.model},       {kPropLensName, &identity_.lens},
        {kPropOwnerName, &identity_.owner},         {kPropArtist, &identity_.artist},
        {kPropCopyright, &identity_.copyright},     {kPropFirmwareVersion, &identity_.firmware},
        {kPropBodySerial, &identity_.serialNumber},
    };
    for (const auto& read : reads)
        if (auto text = ReadTextProperty(camera, read.id))
            *read.text = *text;

    IdentifyCamera();
}

void CTALBEXMAIN::IdentifyCamera() {
    if (IsValidSerial(identity_.serialNumber)) {
        ReportCamera();
        connection_.Close();
        EnableDialogButtons(true);
        // Keep watching the camera, so the window notices when it is unplugged.
        SetTimer(kProbeTimer, kPollPeriodMs);
        return;
    }
    PrepareTestShot();
    testShotPending_ = true;
    if (!CheckModeDial()) {
        RestoreOnEnd();
        EndDialog(StopRequested() ? ui::kIdCancel : ui::kIdOk);
        return;
    }
    {
        std::lock_guard lock(landedShot_->mutex);
        landedShot_->expected = true;
        landedShot_->shotName.clear();
        landedShot_->paths.clear();
        unreadableShotTicks_ = 0;
        waitingShotTicks_ = 0;
    }
    // The evaluation runs while the picture command is still asked again: it notices a
    // camera that is gone, and ends a shot that never comes.
    SetTimer(kTestShotTimer, kTestShotPeriodMs);
    SendTestShot();
}

void CTALBEXMAIN::SendTestShot() {
    const SdkError result = camera::withControlLock(connection_.model(), [&] {
        return SdkSendCommand(connection_.camera(), kCameraCommandTakePicture, 0);
    });
    if (result == kSdkErrDeviceBusy) {
        SetTimer(kTestShotRetryTimer, kTestShotRetryMs);
        return;
    }
    // A camera that is gone is noticed by the evaluation; one that refuses the picture
    // sends none.
    if (result != kSdkOk && result != kSdkErrCommDisconnected) {
        KillTimer(kTestShotTimer);
        os::Diagnostic("the camera refused the test shot (error 0x%X)\n", result);
        EndTestShotWithoutSerial("no test shot was taken");
    }
}

void CTALBEXMAIN::PrepareTestShot() {
    const SdkCameraRef camera = connection_.camera();
    // A camera whose last test shot could not put the user's settings back still holds
    // the test values: the user's are the ones kept from then.
    testShotCamera_ = identity_.model + '\n' + identity_.serialNumber;
    const std::optional<UserSettings> kept = setup_.unrestoredSettings->Find(testShotCamera_);
    UserSettings& s = savedSettings_;
    s = kept.value_or(UserSettings{});
    auto save = [&](SdkPropertyId id, std::optional<uint32_t>& value) {
        if (!kept)
            value = ReadUInt32Property(camera, id);
    };
    save(kPropAfMode, s.afMode);
    save(kPropImageQuality, s.imageQuality);
    save(kPropIsoSpeed, s.iso);
    save(kPropTv, s.shutterSpeed);
    // Kept before anything is written: whichever way the shot ends, they are known.
    setup_.unrestoredSettings->Keep(testShotCamera_, s);

    const camera::CameraModel* model = connection_.model();
    WriteSetting(model, camera, kPropAfMode, kTestShotAfMode);
    if (WriteSetting(model, camera, kPropImageQuality, kTestShotImageQuality) != kSdkOk) {
        for (uint32_t quality : kImageQualityFallbacks)
            if (WriteSetting(model, camera, kPropImageQuality, quality) == kSdkOk)
                break;
    }
    WriteSetting(model, camera, kPropIsoSpeed, kTestShotIso);
    WriteSetting(model, camera, kPropTv, kTestShotShutterSpeed);
}

bool CTALBEXMAIN::CheckModeDial() {
    for (bool first = true;; first = false) {
        if (StopRequested())
            return false;
        if (!first && setup_.modeCheckPause.count() > 0)
            WaitUpTo(setup_.modeCheckPause, [&] { return StopRequested(); });
        uint32_t mode = 0;
        const SdkError read = ReadUInt32(connection_.camera(), kPropShootingMode, &mode);
        // A camera without a shooting mode has no dial to turn; a busy or lost one ends
        // the window, which starts afresh.
        if (IsAbsentProperty(read))
            return true;
        if (read != kSdkOk)
            return false;
        if (mode == kManualMode)
            return true;
        ui::ShowMessageBox(ui::ByLanguage(language_, kModeCheckEnglish, kModeCheckChinese));
    }
}

void CTALBEXMAIN::FinishTestShot() {
    KillTimer(kTestShotTimer);
    KillTimer(kTestShotRetryTimer);
    if (!testShotPending_)
        return AfterTestShot();
    toRestore_ = savedSettings_;
    restoreRefused_ = false;
    if (TryRestore()) {
        FinishRestore(true);
        return AfterTestShot();
    }
    // A body refuses writes for a while after its shot: asked again on the restore timer,
    // the window working meanwhile, until the settings are back or the limit has passed.
    restoring_ = true;
    restoreGiveUpAt_ = ui::CurrentClock().Now() + kRestoreLimit;
    SetTimer(kRestoreTimer, kRestorePeriodMs);
}

bool CTALBEXMAIN::TryRestore() {
    // Only what was read before the test shot goes back: a value never read is not the
    // user's setting.
    const SdkCameraRef camera = connection_.camera();
    UserSettings& s = toRestore_;
    const struct {
        SdkPropertyId id;
        std::optional<uint32_t>& value;
    } writes[] = {{kPropAfMode, s.afMode},
                  {kPropImageQuality, s.imageQuality},
                  {kPropIsoSpeed, s.iso},
                  {kPropTv, s.shutterSpeed}};
    bool left = false;
    for (const auto& w : writes) {
        if (!w.value)
            continue;
        const SdkError result = camera != nullptr
                                    ? WriteSetting(connection_.model(), camera, w.id, *w.value)
                                    : kSdkErrCommDisconnected;
        // Only a camera that is gone, or has no such setting, is asked no more. A refusal
        // is asked again: the value is the camera's own, and libgphoto2 reports a write
        // that a camera busy after its shot refuses as a bad value, not as busy.
        const bool final = result == kSdkErrCommDisconnected || result == kSdkErrSessionNotOpen ||
                           result == kSdkErrInvalidHandle || IsAbsentProperty(result);
        if (result != kSdkOk && !final) {
            left = true;
            continue;
        }
        if (result != kSdkOk) {
            restoreRefused_ = true;
            os::Diagnostic("the camera's setting 0x%X cannot go back (error 0x%X)\n", w.id, result);
        }
        w.value.reset();
    }
    return !left;
}

void CTALBEXMAIN::ContinueRestore() {
    const bool done = TryRestore();
    if (!done && ui::CurrentClock().Now() < restoreGiveUpAt_ && !StopRequested())
        return;
    KillTimer(kRestoreTimer);
    restoring_ = false;
    FinishRestore(!StopRequested());
    AfterTestShot();
}

void CTALBEXMAIN::FinishRestore(bool tellUser) {
    testShotPending_ = false;
    const UserSettings& s = toRestore_;
    const bool back = !restoreRefused_ && !s.afMode && !s.imageQuality && !s.iso && !s.shutterSpeed;
    if (back) {
        setup_.unrestoredSettings->Forget(testShotCamera_);
        return;
    }
    // Kept: the camera's next identification puts them back.
    os::Diagnostic(
        "the camera's focus mode, image quality, ISO and shutter speed are not all back; they "
        "are put back at its next identification\n");
    if (tellUser)
        ui::ShowMessageBox(
            ui::ByLanguage(language_, kSettingsNotRestoredEnglish, kSettingsNotRestoredChinese));
}

void CTALBEXMAIN::AfterTestShot() {
    // Closed first: a test shot that arrives late lands while the connection closes, and
    // the purge after it takes it too.
    connection_.Close();
    PurgeTestShots(programDirectory_);
    connected_ = true;
    EnableDialogButtons(true);
    SetTimer(kProbeTimer, kPollPeriodMs);
}

void CTALBEXMAIN::RestoreOnEnd() {
    if (!testShotPending_)
        return;
    if (!restoring_) {
        toRestore_ = savedSettings_;
        restoreRefused_ = false;
    }
    KillTimer(kRestoreTimer);
    restoring_ = false;
    // The window may close while the test shot's picture is still coming, and the camera
    // refuses writes until it is through: a busy answer is tried again for a while.
    const auto giveUpAt = std::chrono::steady_clock::now() + kRestoreOnEndLimit;
    while (!TryRestore() && std::chrono::steady_clock::now() < giveUpAt)
        WaitUpTo(kRestoreBusyPause, [] { return false; });
    FinishRestore(false);  // the program is ending: said on the diagnostic output only
}

bool CTALBEXMAIN::IsLandedTestShot(const std::string& path) const {
    const std::optional<FileStamp> stamp = StampOf(path);
    std::lock_guard lock(landedShot_->mutex);
    return stamp && landedShot_->pictures.contains(*stamp);
}

std::string CTALBEXMAIN::OpenLandedTestShot(exif::ExifReader& reader) {
    std::vector<std::string> paths;
    {
        std::lock_guard lock(landedShot_->mutex);
        paths = landedShot_->paths;
    }
    // The files the test shot brought, whatever the camera called them (IMG_0001.JPG,
    // DSC_0001.JPG, P1010001.JPG, ...), newest first: the first one that is a JPEG.
    for (auto it = paths.rbegin(); it != paths.rend(); ++it)
        if (IsLandedTestShot(*it) && reader.Open(*it))
            return *it;
    return {};
}

void CTALBEXMAIN::EvaluateTestShot() {
    exif::ExifReader reader;
    if (!OpenLandedTestShot(reader).empty()) {
        KillTimer(kTestShotTimer);
        if (!reader.HasUsableSerial()) {
            EndTestShotWithoutSerial("the test shot holds no serial number");
            return;
        }
        identity_.serialNumber = reader.serialText();
        ReportCamera();
        FinishTestShot();
        return;
    }
    // Files landed, none of them a JPEG (a camera that shoots RAW only and refused every
    // JPEG quality): once the shot's other file has had time to come, it is a shot
    // without serial rather than a wait for ever.
    bool landed = false;
    {
        std::lock_guard lock(landedShot_->mutex);
        landed = !landedShot_->paths.empty();
    }
    if (landed && ++unreadableShotTicks_ >= kUnreadableShotTicks) {
        KillTimer(kTestShotTimer);
        EndTestShotWithoutSerial("the test shot holds no serial number");
        return;
    }
    if (!landed && ++waitingShotTicks_ >= kTestShotDeadlineTicks) {
        KillTimer(kTestShotTimer);
        const std::string why = "no test shot arrived within " +
                                std::to_string(kTestShotDeadlineTicks * kTestShotPeriodMs / 1000) +
                                " s";
        EndTestShotWithoutSerial(why);
        return;
    }
    // No picture yet: keep looking, unless the camera the picture would come from is gone.
    SdkDeviceInfo info{};
    if (connection_.camera() != nullptr &&
        SdkGetDeviceInfo(connection_.camera(), &info) == kSdkErrCommDisconnected)
        OnCameraLost();
}

void CTALBEXMAIN::EndTestShotWithoutSerial(const std::string& why) {
    os::Diagnostic("%s: the camera is not reported\n", why.c_str());
    FinishTestShot();
}

bool CTALBEXMAIN::ProbeCamera() {
    connection_.Close();
    const bool present = connection_.OpenFirstCamera() == kSdkOk && connection_.model() != nullptr;
    connection_.Close();
    return !present;
}

void CTALBEXMAIN::OnCameraLost() {
    KillTimer(kProbeTimer);
    KillTimer(kPollTimer);
    KillTimer(kTestShotTimer);
    KillTimer(kTestShotRetryTimer);
    KillTimer(kSessionTimer);
    KillTimer(kRestoreTimer);
    opening_ = false;
    connected_ = false;
    EnableDialogButtons(false);
    englishCaption_.clear();
    chineseCaption_.clear();
    connection_.FireClosing();
    ui::ShowMessageBox(ui::ByLanguage(language_, kCannotDetectEnglish, kCannotDetectChinese));
    EndDialog(StopRequested() ? ui::kIdCancel : ui::kIdOk);
}

void CTALBEXMAIN::OnConnect() {
    if (connected_) {
        KillTimer(kProbeTimer);
        SetTimer(kProbeTimer, kPollPeriodMs);
        return;
    }
    if (opening_)
        return;  // the camera is opening; the session timer goes on
    KillTimer(kPollTimer);
    ConnectCamera();
    if (opening_)
        return;
    if (connected_) {
        SetTimer(kProbeTimer, kPollPeriodMs);
    } else {
        if (cameraHeld_)
            ui::ShowMessageBox(ui::ByLanguage(language_, kCameraHeldEnglish, kCameraHeldChinese));
        else if (cameraNotOpened_)
            ui::ShowMessageBox(
                ui::ByLanguage(language_, kCameraNotOpenedEnglish, kCameraNotOpenedChinese));
        else
            ui::ShowMessageBox(
                ui::ByLanguage(language_, kCannotDetectEnglish, kCannotDetectChinese));
        SetTimer(kPollTimer, kPollPeriodMs);
    }
}

void CTALBEXMAIN::ReportCamera() {
    if (setup_.onIdentified)
        setup_.onIdentified(identity_);
    const web::CameraReport report = vendor_->ReportCamera(identity_, language_);
    if (report.posted) {
        answerText_ = report.answer;
        firmwareOld_ = report.firmwareOld;
    }
}

}  // namespace talbex::shell
