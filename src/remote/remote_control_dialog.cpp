// The window's set-up, its notifications, timers and close; the setting lists are in
// remote_control_settings.cpp, the pictures and the save folder in
// remote_control_pictures.cpp.
#include "remote/remote_control_dialog.h"

#include "camera/sdk/sdk.h"
#include "platform/ui/language.h"
#include "platform/ui/prompts.h"
#include "remote/camera_offers.h"
#include "remote/label_dictionary.h"
#include "remote/property_labels.h"
#include "remote/remote_control_texts.h"
#include "remote/save_folder.h"
#include "remote/translate_label.h"
#include "resources/dialog_templates.h"
#include "shell/staging_area.h"

namespace talbex::remote {

namespace {

// The buttons that fire an action, with their action names, in the order they are wired.
struct ButtonAction {
    int id;
    const char* action;
};
constexpr ButtonAction kButtonActions[] = {
    {1000, "TakePicture"},        {1013, "startEVF"},    {1014, "endEVF"},
    {1015, "focus_Near3"},        {1016, "focus_Near2"}, {1017, "focus_Near1"},
    {1020, "focus_Far3"},         {1019, "focus_Far2"},  {1018, "focus_Far1"},
    {1023, "focus_Up"},           {1024, "focus_Left"},  {1025, "focus_Right"},
    {1026, "focus_Down"},         {1027, "zoom_Fit"},    {1001, "pressingHalfway"},
    {1030, "pressingCompletely"}, {1031, "pressingOff"}, {1032, "evfAFOn"},
    {1033, "evfAFOff"},
};
static_assert(std::size(kButtonActions) == 19);

// Disabled by the close sequence.
constexpr int kDisabledAtClose[] = {1000, 1006, 1005, 1007, 1008, 1009, 1010,
                                    1021, 1001, 1030, 1031, 1029, 1032, 1033};

constexpr uint32_t kReadValuesPeriodMs = 1000;
constexpr uint32_t kAskForFolderPeriodMs = 3000;
constexpr uint32_t kMovePeriodMs = 3000;
constexpr uint32_t kRenamePeriodMs = 2000;

template <class Map>
CVellmoraDlg::Rows ToRows(const Map& table) {
    CVellmoraDlg::Rows rows;
    for (const auto& [code, label] : table)
        rows.emplace_back(code, label);
    return rows;
}

}  // namespace

CVellmoraDlg::CVellmoraDlg(camera::CameraCommander* commander, SdkCameraRef camera,
                           std::string programDirectory, int language, os::Launcher* launcher)
    : ui::Dialog(resources::RemoteControlDialog()),
      commander_(commander),
      camera_(camera),
      programDirectory_(std::move(programDirectory)),
      language_(language),
      mover_(shell::IncomingFolder(programDirectory_)),
      ownLauncher_(launcher == nullptr ? std::make_unique<os::SystemLauncher>() : nullptr),
      launcher_(launcher != nullptr ? launcher : ownLauncher_.get()) {
    AddRemoteControlLabels(LabelDictionary::Instance());
    driveModes_ = ToRows(DriveModeLabels());
    afModes_ = ToRows(AfModeLabels());
    exposureSteps_ = ToRows(ExposureStepLabels());
    whiteBalances_ = ToRows(WhiteBalanceLabels());
    offOn_ = ToRows(OffOnLabels());
    colourSpaces_ = ToRows(ColourSpaceLabels());
    noiseReductions_ = ToRows(NoiseReductionLabels());
    tvs_ = ToRows(tv_.labels());
    avs_ = ToRows(av_.labels());
    isos_ = ToRows(iso_.labels());
    meterings_ = ToRows(metering_.labels());
    imageQualities_ = ToRows(imageQuality_.labels());

    AttachControl(kAeModeList, aeMode_);
    AttachControl(1008, tv_);
    AttachControl(1009, av_);
    AttachControl(1010, iso_);
    AttachControl(1011, metering_);
    AttachControl(1012, exposureComp_);
    AttachControl(1021, imageQuality_);
    AttachControl(kEvfAfModeList, evfAfMode_);
    AttachControl(kLiveViewPicture, picture_);
    AttachControl(kZoomButton, zoom_);
    AttachControl(kHistogram, histogram_);
    for (size_t i = 0; i < buttons_.size(); ++i)
        AttachControl(kButtonActions[i].id, buttons_[i]);
    picture_.setFrameDrawn([this](const raster::Histogram& histogram, int width, int height) {
        OnFrameDrawn(histogram, width, height);
    });
}

CVellmoraDlg::~CVellmoraDlg() = default;

const ui::MessageMap* CVellmoraDlg::GetMessageMap() const {
    static const ui::MessageMap map =
        ui::MessageMapBuilder<CVellmoraDlg>(Dialog::BaseMap())
            .OnTimer(&CVellmoraDlg::OnTimer)
            .OnMessage(kWmDownloadComplete, &CVellmoraDlg::OnDownloadComplete)
            .OnMessage(kWmProgress, &CVellmoraDlg::OnProgress)
            .OnMessage(kWmStartUp, &CVellmoraDlg::OnStartUp)
            .OnMessage(kWmOfferRefused, &CVellmoraDlg::OnOfferRefused)
            .OnMessage(kWmPictureLost, &CVellmoraDlg::OnPictureLost)
            .OnMessage(ui::kWmSize, &CVellmoraDlg::OnSize)
            .OnMessage(kWmFrameShape, &CVellmoraDlg::OnFrameShape)
            .OnMessage(kWmThumbnailReady, &CVellmoraDlg::OnThumbnailReady)
            .OnMessage(kWmDownloadStart, &CVellmoraDlg::OnDownloadStart)
            .OnClicked(kGridBox, &CVellmoraDlg::OnGuides)
            .OnClicked(kCentreBox, &CVellmoraDlg::OnGuides)
            .OnCommand(kThumbnail, ui::kStnClicked, &CVellmoraDlg::OnThumbnailClicked)
            .OnCommand(kLiveViewPicture, ui::kStnDblClk, &CVellmoraDlg::OnPictureDoubleClicked)
            .OnCommand(resources::kToggleLiveViewCommand, ui::kAccelerator,
                       &CVellmoraDlg::OnToggleLiveView)
            .OnCommand(resources::kEscapeCommand, ui::kAccelerator, &CVellmoraDlg::OnEscape)
            .OnClicked(kChooseFolderButton, &CVellmoraDlg::chooseSaveFolder)
            .OnClicked(kRefreshValuesButton, &CVellmoraDlg::refreshCameraValues)
            .OnClicked(kRefreshImageQualityButton, &CVellmoraDlg::refreshImageQuality)
            .OnClicked(kDeleteButton, &CVellmoraDlg::OnDeletePictures)
            .OnClicked(kRenameButton, &CVellmoraDlg::renameNewestPicture)
            .OnClicked(kAskForFolderButton, &CVellmoraDlg::askForSaveFolder)
            .OnClicked(kMoveButton, &CVellmoraDlg::moveTodaysPicture)
            .OnClicked(kSendCommandButton, &CVellmoraDlg::OnSendCommand)
            .OnMessage(ui::kWmCommand, &CVellmoraDlg::OnCommand)  // the setting lists
            .Build();
    return &map;
}

bool CVellmoraDlg::OnInitDialog() {
    if (auto remembered = ReadSaveFolder(programDirectory_)) {
        saveFolder_ = *remembered;
        mover_.setSaveFolder(saveFolder_);
        Item(kSaveFolderField).SetWindowText(saveFolder_);
    }
    if (ui::IsEnglish(language_))
        ApplyEnglishCaptions();
    restorePlace();
    wireActions();
    attachObservers();
    aeMode_.LoadLabels(language_);
    evfAfMode_.LoadLabels(language_);
    commander_->run();
    fillLists();
    shell::PurgeTestShots(programDirectory_);
    SetTimer(kReadValuesTimer, kReadValuesPeriodMs);
    SetTimer(kAskForFolderTimer, kAskForFolderPeriodMs);
    SetTimer(kMoveTimer, kMovePeriodMs);
    SetTimer(kRenameTimer, kRenamePeriodMs);
    // Pictures kept from an earlier session are seen to once the window is up.
    PostMessage(kWmStartUp);
    return true;
}

void CVellmoraDlg::wireActions() {
    addActionListener(commander_);
    // The property lists carry their action names from construction.
    for (controls::PropertyComboAction* combo :
         std::initializer_list<controls::PropertyComboAction*>{
             &aeMode_, &tv_, &av_, &iso_, &metering_, &exposureComp_, &imageQuality_, &evfAfMode_})
        combo->addActionListener(commander_);
    for (size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i].setActionCommand(kButtonActions[i].action);
        // Noted before the command is queued, so its answer can never come first.
        buttons_[i].addActionListener(&asked_);
        buttons_[i].addActionListener(commander_);
        if (kButtonActions[i].id == 1027) {  // the zoom button comes right after "zoom_Fit"
            zoom_.setActionCommand("zoom_Zoom");
            zoom_.addActionListener(&asked_);
            zoom_.addActionListener(commander_);
        }
    }
    picture_.setActionCommand("downloadEVF");
    picture_.addActionListener(commander_);
}

void CVellmoraDlg::attachObservers() {
    camera::CameraModel* model = commander_->getModel();
    if (model == nullptr)
        return;
    for (camera::Observer* observer : std::initializer_list<camera::Observer*>{
             &aeMode_, &tv_, &av_, &iso_, &metering_, &exposureComp_, &imageQuality_, &picture_,
             &evfAfMode_, &zoom_})
        model->addObserver(observer);
}

std::string CVellmoraDlg::display(const std::string& englishLabel, bool translated) const {
    return translated && !ui::IsEnglish(language_) ? translateLabel(englishLabel) : englishLabel;
}

void CVellmoraDlg::fillList(int listId, const Rows& rows, bool translated) {
    ui::Window& list = Item(listId);
    for (const auto& [code, label] : rows) {
        const int index = list.AddString(display(label, translated));
        if (listId == kImageQualityList && index >= 0 &&
            imageQualityIndex_.size() < kMaxImageQualityRows)
            imageQualityIndex_.emplace_back(code, label);
    }
}

void CVellmoraDlg::fillLists() {
    fillList(1035, driveModes_, true);
    fillList(kAeModeLabels, ToRows(aeMode_.labels()), true);
    fillList(1059, tvs_, false);
    fillList(1060, avs_, false);
    fillList(1061, isos_, false);
    fillList(1062, meterings_, true);
    fillList(kImageQualityList, imageQualities_, true);
    fillList(1063, afModes_, true);
    fillList(1036, colourSpaces_, true);
    fillList(1037, offOn_, true);
    fillList(1042, offOn_, true);
    fillList(1038, exposureSteps_, false);
    fillList(1058, exposureSteps_, false);
    fillList(1039, whiteBalances_, true);
    fillList(1040, noiseReductions_, true);
}

void CVellmoraDlg::update(camera::Observable* from, camera::ModelEvent* event) {
    if (event == nullptr)
        return;
    if (event->type == "DownloadStart") {
        transferring_ = true;
        if (auto* model = dynamic_cast<camera::CameraModel*>(from)) {
            std::lock_guard lock(transferNameMutex_);
            transferName_ = model->getTransferName();
        }
        PostMessage(kWmDownloadStart);
    } else if (event->type == "DownloadComplete") {
        transferring_ = false;
        PostMessage(kWmDownloadComplete);
    } else if (event->type == "error" && event->arg != nullptr && transferring_.exchange(false)) {
        // The picture the camera sent never arrived: the user must hear of it.
        PostMessage(kWmPictureLost, *static_cast<const SdkError*>(event->arg));
    } else if (event->type == "ProgressReport") {
        const uint32_t percent = event->arg ? *static_cast<const uint32_t*>(event->arg) : 0;
        PostMessage(kWmProgress, percent);
    } else if (event->type == "shutDown") {
        PostMessage(ui::kWmClose);
    } else if (event->type == "error" && event->arg != nullptr &&
               *static_cast<const SdkError*>(event->arg) == kSdkErrNotSupported) {
        // Cameras reached through standard protocols often lack what a button asks for.
        const int offer = asked_.offer.exchange(-1);
        if (offer >= 0)
            PostMessage(kWmOfferRefused, static_cast<ui::WParam>(offer));
    }
}

void CVellmoraDlg::OfferAsked::actionPerformed(const camera::ActionEvent& event) {
    const std::optional<Offer> asked = OfferOfAction(event.getActionCommand());
    offer = asked ? static_cast<int>(*asked) : -1;
}

ui::LResult CVellmoraDlg::OnPictureLost(ui::WParam code, ui::LParam) {
    Item(kProgressBar).SetPos(0);
    Item(kProgressBar).SetWindowText("");
    // A transfer cut short because the window closes is the user's own doing.
    if (closing_ || code == kSdkErrOperationCancelled || toldPictureLost_)
        return 0;
    toldPictureLost_ = true;
    std::string folder = mover_.incomingFolder();
    folder.pop_back();  // its trailing '/'
    ui::ShowMessageBox(PictureLostText(language_, folder, static_cast<SdkError>(code)));
    return 0;
}

ui::LResult CVellmoraDlg::OnOfferRefused(ui::WParam offer, ui::LParam) {
    const auto refused = static_cast<Offer>(offer);
    for (int id : ControlsOf(refused))
        Item(id).EnableWindow(false);
    if (refused == Offer::kLiveView)
        ui::ShowMessageBox(LiveViewUnavailableText(language_));
    return 0;
}

ui::LResult CVellmoraDlg::OnProgress(ui::WParam percent, ui::LParam) {
    Item(kProgressBar).SetPos(static_cast<int>(percent));
    return 0;
}

void CVellmoraDlg::OnTimer(uint32_t id) {
    switch (id) {
        case kReadValuesTimer:
            KillTimer(kReadValuesTimer);
            refreshCameraValues();
            break;
        case kAskForFolderTimer:
            askForSaveFolder();
            break;
        case kRenameTimer:
            renameNewestPicture();
            break;
        case kMoveTimer:
            moveTodaysPicture();
            break;
        default:
            break;
    }
}

void CVellmoraDlg::OnSendCommand() {
    if (SdkSendCommand(camera_, kCameraCommandDoEvfAf, 0) == kSdkOk)
        ui::ShowMessageBox(kCommandSent);
}

void CVellmoraDlg::CloseSequence() {
    if (closing_)
        return;
    closing_ = true;
    // The session ends and the worker with it; meanwhile the window still answers the
    // live view's synchronous hand-over, so this never waits on itself.
    fireActionEvent("closing", nullptr);
    for (int id : kDisabledAtClose)
        Item(id).EnableWindow(false);
    // Every transfer has ended: what arrived last goes on now rather than next time.
    handOnPictures();
    thumbnails_.Stop();
    rememberPlace();
    EndDialog(ui::kIdCancel);
    if (!saveFolder_.empty())
        WriteSaveFolder(programDirectory_, saveFolder_);
}

}  // namespace talbex::remote
