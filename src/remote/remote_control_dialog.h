// CVellmoraDlg: the remote-control window (template 102). It shows the camera's shooting
// settings in lists and changes them, presses the shutter, runs live view with focus,
// zoom and autofocus, and brings every picture the camera sends into the save folder the
// user chose, under a name made from the date and time.
//
// Two roads lead to the camera: the buttons, the AE-mode and live-view AF-mode lists and
// the live-view picture fire actions to the commander (the command queue); the fourteen
// setting lists of the window's own read and write their properties directly through the
// SDK on the window thread (remote_control_settings.cpp) and report each write.
//
// Pictures arrive in the incoming folder (shell/staging_area.h) on the worker; the window
// names them and moves them on (remote_control_pictures.cpp) as soon as a transfer is
// complete, and again on its timers, never replacing or losing one. The last one to reach
// the save folder shows below the settings (its thumbnail, name, folder and "saved"); a
// click opens it with the desktop's viewer.
//
// As a tethering view (remote_control_view.cpp) the window can be resized and maximised,
// its live view growing with it in the frames' shape (remote_control_layout.h), or shown
// alone in a large window by a double-click; a histogram of every frame lies under it,
// guides can be drawn over it, keys of the whole window shoot, switch live view, zoom
// and focus, and the window's place is remembered (window_place_file.h).
//
// Threads: everything runs on the window thread except `update`, which the model calls on
// the worker and which only posts messages to the window.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "camera/action_source.h"
#include "camera/camera_commander.h"
#include "camera/observable.h"
#include "controls/action_button.h"
#include "controls/evf_picture_box.h"
#include "controls/evf_zoom_button.h"
#include "controls/histogram_view.h"
#include "controls/property_combo_boxes.h"
#include "platform/os/launcher.h"
#include "platform/raster/bitmap.h"
#include "platform/ui/dialog.h"
#include "remote/picture_mover.h"
#include "remote/picture_thumbnail.h"

namespace talbex::remote {

class CVellmoraDlg : public ui::Dialog, public camera::ActionSource, public camera::Observer {
  public:
    // Controls the window's code acts on.
    static constexpr int kAeModeList = 1007;
    static constexpr int kAeModeLabels = 1057;  // hidden
    static constexpr int kImageQualityList = 1064;
    static constexpr int kEvfAfModeList = 1029;
    static constexpr int kProgressBar = 1006;
    static constexpr int kChooseFolderButton = 1068;
    static constexpr int kSaveFolderField = 1069;
    static constexpr int kLiveViewPicture = 1022;
    static constexpr int kZoomButton = 1028;
    static constexpr int kFitButton = 1027;
    static constexpr int kTakePictureButton = 1000;
    static constexpr int kStartLiveViewButton = 1013;
    static constexpr int kEndLiveViewButton = 1014;
    // The tethering view's controls.
    static constexpr int kHistogram = 1080;
    static constexpr int kGridBox = 1081;
    static constexpr int kCentreBox = 1082;
    static constexpr int kThumbnail = 1083;
    static constexpr int kLastNameLabel = 1084;
    static constexpr int kLastFolderLabel = 1085;
    static constexpr int kSavedLabel = 1086;
    // Hidden buttons.
    static constexpr int kRefreshValuesButton = 1002;
    static constexpr int kRefreshImageQualityButton = 1065;
    static constexpr int kDeleteButton = 1066;
    static constexpr int kRenameButton = 1067;
    static constexpr int kAskForFolderButton = 1070;
    static constexpr int kMoveButton = 1071;
    static constexpr int kSendCommandButton = 1076;
    // Timers.
    static constexpr uint32_t kReadValuesTimer = 1;
    static constexpr uint32_t kAskForFolderTimer = 2;
    static constexpr uint32_t kRenameTimer = 3;
    static constexpr uint32_t kMoveTimer = 5;
    // Private messages the model's notifications turn into.
    static constexpr ui::MessageId kWmDownloadComplete = ui::kWmApp + 1;
    static constexpr ui::MessageId kWmProgress = ui::kWmApp + 2;
    static constexpr ui::MessageId kWmStartUp = ui::kWmApp + 3;
    static constexpr ui::MessageId kWmPictureLost = ui::kWmApp + 5;
    static constexpr ui::MessageId kWmOfferRefused = ui::kWmApp + 6;
    static constexpr ui::MessageId kWmThumbnailReady = ui::kWmApp + 7;
    static constexpr ui::MessageId kWmDownloadStart = ui::kWmApp + 8;
    static constexpr ui::MessageId kWmFrameShape = ui::kWmApp + 9;

    /// (code, English label) pairs in ascending code order: a list's rows.
    using Rows = std::vector<std::pair<uint32_t, std::string>>;
    /// The rows of list 1064, in row order (at most kMaxImageQualityRows).
    using ImageQualityIndex = Rows;
    static constexpr size_t kMaxImageQualityRows = 100;

    /// `commander` and `camera` belong to the connection the window runs on; pictures
    /// wait in the incoming folder of `programDirectory` (ending with '/'). The last
    /// picture opens through `launcher` (nullptr: the desktop's, xdg-open).
    CVellmoraDlg(camera::CameraCommander* commander, SdkCameraRef camera,
                 std::string programDirectory, int language, os::Launcher* launcher = nullptr);
    ~CVellmoraDlg() override;

    /// The model's notifications (worker thread): the transfer's progress and end, a
    /// transfer that failed, the camera switched off, and a camera that cannot start live
    /// view, each posted to the window.
    void update(camera::Observable* from, camera::ModelEvent* event) override;

    // Operations of the hidden buttons and the timers; public for tests.
    void refreshCameraValues();
    void refreshImageQuality();
    void chooseSaveFolder();
    void askForSaveFolder();
    void renameNewestPicture();
    void moveTodaysPicture();

    int language() const { return language_; }
    /// The live view shown alone (double-click), and the full path of the last picture
    /// that reached the save folder (empty: none yet). Window thread.
    bool liveViewAlone() const { return alone_; }
    const std::string& lastPicture() const { return lastPicture_; }
    const std::string& saveFolder() const { return saveFolder_; }
    const ImageQualityIndex& imageQualityIndex() const { return imageQualityIndex_; }

  protected:
    bool OnInitDialog() override;
    /// The close box (and any other way out) runs the close sequence.
    void OnOK() override { CloseSequence(); }
    void OnCancel() override { CloseSequence(); }
    const ui::MessageMap* GetMessageMap() const override;

  private:
    void wireActions();
    void attachObservers();
    void fillLists();
    void fillList(int listId, const Rows& rows, bool translated);
    const Rows* rowsOf(int listId) const;
    std::string display(const std::string& englishLabel, bool translated) const;

    void OnTimer(uint32_t id);
    ui::LResult OnCommand(ui::WParam wparam, ui::LParam lparam);
    void OnSettingPicked(int listId);
    /// Disables what the camera shows it does not have: a setting list whose property it
    /// lacks, and the button groups of properties it lacks (camera_offers.h).
    void disableWhatTheCameraLacks();
    ui::LResult OnDownloadComplete(ui::WParam, ui::LParam);
    ui::LResult OnProgress(ui::WParam percent, ui::LParam);
    ui::LResult OnStartUp(ui::WParam, ui::LParam);
    ui::LResult OnOfferRefused(ui::WParam offer, ui::LParam);
    ui::LResult OnPictureLost(ui::WParam code, ui::LParam);
    void OnDeletePictures();
    void OnSendCommand();
    void CloseSequence();

    // The tethering view (remote_control_view.cpp).
    ui::LResult OnSize(ui::WParam, ui::LParam);
    ui::LResult OnFrameShape(ui::WParam width, ui::LParam height);
    ui::LResult OnThumbnailReady(ui::WParam, ui::LParam);
    ui::LResult OnDownloadStart(ui::WParam, ui::LParam);
    void OnFrameDrawn(const raster::Histogram& histogram, int width, int height);
    void OnGuides();
    void OnPictureDoubleClicked();
    void OnThumbnailClicked();
    void OnToggleLiveView();
    void OnEscape();
    /// Places the live view and the histogram for the window's size.
    void layOut();
    void showLiveViewAlone(bool alone);
    /// A button's action, by the window's keys: as a click, but also while it is hidden.
    void pressButton(int id);
    void restorePlace();
    void rememberPlace();
    /// Shows the picture that reached the save folder last of `arrived` (full paths).
    void showLastPicture(const std::vector<std::string>& arrived);
    void drawThumbnail();

    /// Names every camera picture waiting and moves what is named to the save folder.
    void handOnPictures();
    /// Moves the named pictures; the first time the save folder refuses one in this
    /// window's life, the user is told.
    void deliverPictures();

    camera::CameraCommander* commander_;  // not owned
    SdkCameraRef camera_;                 // not owned
    const std::string programDirectory_;
    const int language_;
    std::string saveFolder_;
    ImageQualityIndex imageQualityIndex_;
    PictureMover mover_;
    bool toldSaveFolderTrouble_ = false;
    bool closing_ = false;
    // A transfer has started and not yet ended (worker thread): an "error" now is its
    // failure, and the picture did not arrive.
    std::atomic<bool> transferring_{false};
    // A lost picture was told and none has arrived since: the next loss is no news.
    bool toldPictureLost_ = false;

    // The tethering view's state, window thread.
    std::unique_ptr<os::Launcher> ownLauncher_;
    os::Launcher* launcher_;
    int frameWidth_ = 0;  // the shape of the frames drawn (0: none yet)
    int frameHeight_ = 0;
    bool alone_ = false;
    ui::WindowPlacement placeBeforeAlone_;
    std::vector<int> hiddenForAlone_;
    std::string lastPicture_;
    raster::Bitmap thumbnailSource_;
    PictureThumbnail thumbnails_;
    // The camera's name of the picture coming: worker writes, window thread reads.
    std::mutex transferNameMutex_;
    std::string transferName_;

    // The tables of the window's own lists, in ascending code order.
    Rows driveModes_, afModes_, exposureSteps_, whiteBalances_, offOn_, colourSpaces_,
        noiseReductions_, tvs_, avs_, isos_, meterings_, imageQualities_;

    controls::CAEMode aeMode_;
    controls::CTv tv_;
    controls::CAv av_;
    controls::CIso iso_;
    controls::CMeteringMode metering_;
    controls::CExposureComp exposureComp_;
    controls::CImageQuality imageQuality_;
    controls::CEvfAFMode evfAfMode_;
    controls::CEVFPictureBox picture_;
    controls::CEvfZoomButton zoom_;
    controls::CHistogramView histogram_;
    std::array<controls::CActionButton, 19> buttons_;

    // Notes the group of the button pressed last, so that the camera's "not supported"
    // answer to it disables the group (and, for live view, is told to the user instead of
    // leaving the picture blank). Window thread sets, worker takes.
    struct OfferAsked : camera::ActionListener {
        void actionPerformed(const camera::ActionEvent& event) override;
        std::atomic<int> offer{-1};  // an Offer, or -1
    } asked_;
};

}  // namespace talbex::remote
