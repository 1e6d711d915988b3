// The main window's set-up, language, pages and buttons; the camera logic is in
// talbex_main_connection.cpp.
#include "shell/talbex_main.h"

#include <cstdio>
#include <optional>

#include "camera/sdk/sdk.h"
#include "platform/os/diagnostics.h"
#include "platform/os/file_io.h"
#include "platform/os/local_time.h"
#include "platform/os/locale_id.h"
#include "platform/os/network.h"
#include "platform/os/program_directory.h"
#include "platform/os/quit_request.h"
#include "platform/ui/prompts.h"
#include "resources/dialog_templates.h"
#include "resources/icons.h"
#include "shell/main_window_texts.h"
#include "shell/staging_area.h"

namespace talbex::shell {

namespace {

// The first five bytes of "ver.htm", when it is a regular file that holds any (never
// waiting on a FIFO or device placed there).
std::string ReadLocalVersion(const std::string& directory, const std::string& fallback) {
    const std::optional<std::string> bytes = os::ReadFileStart(directory + "ver.htm", 5);
    return bytes && !bytes->empty() ? *bytes : fallback;
}

}  // namespace

CTALBEXMAIN::CTALBEXMAIN(MainWindowSetup setup)
    : ui::Dialog(resources::MainWindowDialog()), setup_(std::move(setup)) {
    if (!setup_.localeId)
        setup_.localeId = [] { return os::SystemLocaleId(); };
    if (!setup_.networkAlive)
        setup_.networkAlive = [] { return os::IsNetworkAlive(); };
    if (!setup_.today)
        setup_.today = web::TodayLocal;
    if (setup_.launcher == nullptr) {
        ownLauncher_ = std::make_unique<os::SystemLauncher>();
        setup_.launcher = ownLauncher_.get();
    }
    // A stop request also ends a web request in progress.
    setup_.http.abort = &stopRequested_;
    programDirectory_ = os::ProgramDirectory();
    if (!setup_.unrestoredSettings)
        setup_.unrestoredSettings =
            std::make_shared<UnrestoredSettings>(UnrestoredSettingsFile(programDirectory_));
    vendor_ = std::make_unique<web::VendorService>(setup_.vendorHost, programDirectory_,
                                                   ui::CurrentMessageBoxes(), *setup_.launcher,
                                                   setup_.today, setup_.http);
    localVersion_ = ReadLocalVersion(programDirectory_, localVersion_);
}

CTALBEXMAIN::~CTALBEXMAIN() {
    // A window closed during a test shot leaves the camera as the user had it.
    RestoreOnEnd();
    // "closing", release, library closed, model and commander deleted; then a test shot
    // that landed meanwhile is purged.
    connection_.Close();
    PurgeTestShots(programDirectory_);
}

void CTALBEXMAIN::RequestStop() {
    // Heard by the camera core too: a picture still arriving is not waited for.
    os::RequestQuit();
    stopRequested_ = true;
    PostMessage(ui::kWmClose);
}

const ui::MessageMap* CTALBEXMAIN::GetMessageMap() const {
    static const ui::MessageMap map =
        ui::MessageMapBuilder<CTALBEXMAIN>(Dialog::BaseMap())
            .OnTimer(&CTALBEXMAIN::OnTimer)
            .OnClicked(kConnect, &CTALBEXMAIN::OnConnect)
            .OnClicked(kLanguageSwitch, &CTALBEXMAIN::OnLanguageSwitch)
            .OnClicked(kCameraParameters, &CTALBEXMAIN::OnCameraParameters)
            .OnClicked(kRemoteControl, &CTALBEXMAIN::OnRemoteControl)
            .OnClicked(kHiddenConnect, &CTALBEXMAIN::ConnectCamera)
            .OnClicked(kHiddenProductName, &CTALBEXMAIN::OnShowProductName)
            .OnClicked(kHiddenUpdateCheck, &CTALBEXMAIN::OnCheckForUpdate)
            .OnClicked(kHiddenIdentify, &CTALBEXMAIN::IdentifyCamera)
            .OnClicked(kHiddenEvaluate, &CTALBEXMAIN::EvaluateTestShot)
            .OnClicked(kHiddenNothing, &CTALBEXMAIN::OnNothing)
            .Build();
    return &map;
}

int CTALBEXMAIN::SystemLanguage() const {
    return DetectSystemLanguage(setup_.localeId());
}

std::string CTALBEXMAIN::TodayPath() const {
    const os::LocalTime now = os::Now();
    char date[64];
    std::snprintf(date, sizeof date, "%04d/%02d/%02d", now.year, now.month, now.day);
    return AdvertisementPath(language_, date);
}

void CTALBEXMAIN::ShowPage(const std::string& address) {
    Item(kBrowser).Navigate(address);
}

bool CTALBEXMAIN::OnInitDialog() {
    // Leftovers of an earlier test shot; nothing else.
    PurgeTestShots(programDirectory_);

    language_ = SystemLanguage();
    if (ui::IsEnglish(language_))
        Item(kLanguageSwitch).EnableWindow(false);
    ApplyLanguage();
    SetIcon(resources::kBigIconId, true);

    if (setup_.networkAlive() && !setup_.vendorHost.empty())
        ShowPage(vendor_->Address(TodayPath()));
    else
        ShowPage(programDirectory_ + OfflinePageName(language_));

    OnCheckForUpdate();
    if (StopRequested())
        EndDialog(ui::kIdCancel);  // asked to end before the window existed
    else
        SetTimer(kPollTimer, kPollPeriodMs);
    return true;
}

void CTALBEXMAIN::ApplyLanguage() {
    // Without a web service there is no online page: the offline copy stands in.
    const std::string online = vendor_->Address(TodayPath());
    ShowPage(online.empty() ? programDirectory_ + OfflinePageName(language_) : online);
    SetIcon(
        ui::IsEnglish(language_) ? resources::kSmallEnglishIconId : resources::kSmallChineseIconId,
        false);
    if (ui::IsEnglish(language_)) {
        Item(kCameraParameters).SetWindowText("Camera Para");
        Item(kRemoteControl).SetWindowText("Remote Control");
        Item(kLanguageSwitch)
            .SetWindowText(ui::IsEnglish(SystemLanguage()) ? "Switching Chinese" : "切换中文");
    } else {
        Item(kCameraParameters).SetWindowText("相机参数");
        Item(kRemoteControl).SetWindowText("遥控相机");
        Item(kLanguageSwitch).SetWindowText("Switch English");
    }
    ShowConnectCaption();
}

void CTALBEXMAIN::ShowConnectCaption() {
    if (ui::IsEnglish(language_))
        Item(kConnect).SetWindowText(englishCaption_.empty() ? "Please connect your camera"
                                                             : englishCaption_);
    else
        Item(kConnect).SetWindowText(chineseCaption_.empty() ? "请连接相机" : chineseCaption_);
}

void CTALBEXMAIN::OnLanguageSwitch() {
    language_ = ui::IsEnglish(language_) ? ui::kLanguageChinese : ui::kLanguageEnglish;
    ApplyLanguage();
}

void CTALBEXMAIN::OnCheckForUpdate() {
    const web::UpdateCheck check = vendor_->CheckForUpdate(localVersion_, language_);
    remoteVersion_ = check.remoteVersion;
    if (check.endWithCancel)
        EndDialog(ui::kIdCancel);
}

void CTALBEXMAIN::OnShowProductName() {
    if (auto name = ReadTextProperty(connection_.camera(), kPropProductName))
        Item(kConnect).SetWindowText(*name);
}

void CTALBEXMAIN::EnableDialogButtons(bool enable) {
    Item(kCameraParameters).EnableWindow(enable);
    Item(kRemoteControl).EnableWindow(enable);
}

void CTALBEXMAIN::OnCameraParameters() {
    RunDialogOnOwnConnection(setup_.runCameraParameters);
}

void CTALBEXMAIN::OnRemoteControl() {
    RunDialogOnOwnConnection(setup_.runRemoteControl);
}

void CTALBEXMAIN::RunDialogOnOwnConnection(const MainWindowSetup::DialogRunner& makeDialog) {
    CameraConnection own;  // the window's own connection is not used
    if (own.OpenFirstCamera() != kSdkOk) {
        ui::ShowMessageBox("Cannot detect camera");
        return;  // `own` closes what was opened
    }
    KillTimer(kProbeTimer);
    // Pictures the user takes meanwhile are theirs: they wait where no purge reaches.
    const std::string incoming = IncomingFolder(programDirectory_);
    std::string problem;
    if (!EnsureStagingFolder(incoming, &problem))
        os::Diagnostic("pictures cannot be staged: %s\n", problem.c_str());
    own.CreateCommander(incoming);
    std::unique_ptr<ui::Dialog> dialog =
        makeDialog ? makeDialog(own, language_, identity_) : nullptr;
    own.RegisterEventHandlers();
    if (dialog) {
        openDialog_ = dialog.get();
        dialog->DoModal();
        openDialog_ = nullptr;
    }
    SetTimer(kProbeTimer, kPollPeriodMs);
    own.Close();
}

void CTALBEXMAIN::OnCancel() {
    // A window closed during a test shot leaves the camera as the user had it.
    RestoreOnEnd();
    // Only a stop request reaches this window while another runs on top of it.
    if (openDialog_ != nullptr)
        openDialog_->PostMessage(ui::kWmClose);
    EndDialog(ui::kIdCancel);
}

}  // namespace talbex::shell
