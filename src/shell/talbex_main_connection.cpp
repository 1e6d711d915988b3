// The main window's camera logic: polling, identification, the test shot, the presence
// probe and the loss of the camera. All on the window thread.
#include <chrono>
#include <string>

#include "camera/sdk/sdk.h"
#include "controls/exif/exif_reader.h"
#include "platform/os/wait_pump.h"
#include "platform/ui/prompts.h"
#include "shell/browse_dir.h"
#include "shell/main_window_texts.h"
#include "shell/talbex_main.h"
#include "shell/test_shot.h"

namespace talbex::shell {

namespace {

// Waits (serving messages sent to this thread) until `done` or `limit` has passed.
void WaitUpTo(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    os::WaitWhilePumping([&] { return done() || std::chrono::steady_clock::now() >= deadline; },
                         std::chrono::microseconds(2000));
}

}  // namespace

void CTALBEXMAIN::OnTimer(uint32_t id) {
    switch (id) {
        case kPollTimer:
            KillTimer(kPollTimer);
            connected_ = false;
            ConnectCamera();
            if (!connected_ && IsRunning() && !StopRequested())
                SetTimer(kPollTimer, kPollPeriodMs);
            break;
        case kTestShotTimer:
            EvaluateTestShot();
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

void CTALBEXMAIN::ConnectCamera() {
    connection_.Close();
    if (connection_.OpenFirstCamera() != kSdkOk) {
        connection_.Close();  // nothing to keep until the next poll
        return;
    }
    connection_.RegisterCommander(programDirectory_);
    connection_.Run();
    // The worker opens the session and reads the product name; the window's own reads
    // need the session open.
    camera::CameraModel* model = connection_.model();
    WaitUpTo(setup_.sessionWait,
             [&] { return StopRequested() || !model->getProductName().empty(); });

    const SdkCameraRef camera = connection_.camera();
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
        EndDialog(StopRequested() ? ui::kIdCancel : ui::kIdOk);
        return;
    }
    // Even when the camera refuses the picture the evaluation runs: it notices a camera
    // that is gone, where otherwise no timer would be left to notice anything.
    SdkSendCommand(connection_.camera(), kCameraCommandTakePicture, 0);
    SetTimer(kTestShotTimer, kTestShotPeriodMs);
}

void CTALBEXMAIN::PrepareTestShot() {
    const SdkCameraRef camera = connection_.camera();
    auto save = [&](SdkPropertyId id, uint32_t& value, bool& saved) {
        if (auto v = ReadUInt32Property(camera, id)) {
            value = *v;
            saved = true;
        }
    };
    SavedSettings& s = savedSettings_;
    save(kPropAfMode, s.afMode, s.afModeSaved);
    WriteUInt32Property(camera, kPropAfMode, kTestShotAfMode);

    save(kPropImageQuality, s.imageQuality, s.imageQualitySaved);
    if (WriteUInt32Property(camera, kPropImageQuality, kTestShotImageQuality) != kSdkOk) {
        for (uint32_t quality : kImageQualityFallbacks)
            if (WriteUInt32Property(camera, kPropImageQuality, quality) == kSdkOk)
                break;
    }

    save(kPropIsoSpeed, s.iso, s.isoSaved);
    WriteUInt32Property(camera, kPropIsoSpeed, kTestShotIso);

    save(kPropTv, s.shutterSpeed, s.shutterSpeedSaved);
    WriteUInt32Property(camera, kPropTv, kTestShotShutterSpeed);
}

bool CTALBEXMAIN::CheckModeDial() {
    for (bool first = true;; first = false) {
        if (StopRequested())
            return false;
        if (!first && setup_.modeCheckPause.count() > 0)
            WaitUpTo(setup_.modeCheckPause, [&] { return StopRequested(); });
        const auto mode = ReadUInt32Property(connection_.camera(), kPropShootingMode);
        if (!mode)
            return false;
        if (*mode == kManualMode)
            return true;
        ui::ShowMessageBox(ui::ByLanguage(language_, kModeCheckEnglish, kModeCheckChinese));
    }
}

void CTALBEXMAIN::RestoreSettings() {
    // Only what was read before the test shot goes back: a value never read is not the
    // user's setting.
    const SdkCameraRef camera = connection_.camera();
    const SavedSettings& s = savedSettings_;
    if (s.afModeSaved)
        WriteUInt32Property(camera, kPropAfMode, s.afMode);
    if (s.imageQualitySaved)
        WriteUInt32Property(camera, kPropImageQuality, s.imageQuality);
    if (s.isoSaved)
        WriteUInt32Property(camera, kPropIsoSpeed, s.iso);
    if (s.shutterSpeedSaved)
        WriteUInt32Property(camera, kPropTv, s.shutterSpeed);
}

void CTALBEXMAIN::EvaluateTestShot() {
    CStatDir search;
    std::string dir = programDirectory_;
    if (search.FindNewestPicture(dir)) {
        exif::ExifReader reader;
        if (reader.Open(search.newestPath) && reader.HasUsableSerial()) {
            KillTimer(kTestShotTimer);
            identity_.serialNumber = reader.serialText();
            ReportCamera();
            CStatDir purge;
            std::string purgeDir = programDirectory_;
            purge.DeletePictures(purgeDir);
            if (testShotPending_) {
                testShotPending_ = false;
                RestoreSettings();
            }
            connection_.Close();
            connected_ = true;
            EnableDialogButtons(true);
            SetTimer(kProbeTimer, kPollPeriodMs);
            return;
        }
    }
    // No picture yet: keep looking, unless the camera the picture would come from is gone.
    SdkDeviceInfo info{};
    if (connection_.camera() != nullptr &&
        SdkGetDeviceInfo(connection_.camera(), &info) == kSdkErrCommDisconnected)
        OnCameraLost();
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
    KillTimer(kPollTimer);
    ConnectCamera();
    if (connected_) {
        SetTimer(kProbeTimer, kPollPeriodMs);
    } else {
        ui::ShowMessageBox(ui::ByLanguage(language_, kCannotDetectEnglish, kCannotDetectChinese));
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
