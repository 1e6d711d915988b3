// The remote-control window as a tethering view: its live view grows with the window and
// can be shown alone, a histogram of every frame lies under it, guides go over it, keys
// of the whole window drive it, the last picture saved shows with its thumbnail, and the
// window's place is remembered.
#include <strings.h>

#include "platform/raster/stretch.h"
#include "remote/remote_control_dialog.h"
#include "remote/remote_control_layout.h"
#include "remote/remote_control_texts.h"
#include "remote/window_place_file.h"
#include "resources/dialog_templates.h"

namespace talbex::remote {

namespace {

constexpr raster::Rgb kNoThumbnail{40, 40, 40};

bool IsJpegName(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return false;
    const std::string extension = path.substr(dot + 1);
    return strcasecmp(extension.c_str(), "jpg") == 0 || strcasecmp(extension.c_str(), "jpeg") == 0;
}

}  // namespace

ui::LResult CVellmoraDlg::OnSize(ui::WParam, ui::LParam) {
    layOut();
    return 0;
}

void CVellmoraDlg::layOut() {
    const ui::PixelRect client = GetWindowRect();
    const RemoteLayout layout = LayOutRemoteControl(Template(), client.width, client.height,
                                                    frameWidth_, frameHeight_, alone_);
    Item(kLiveViewPicture).MoveWindow(layout.picture);
    Item(kHistogram).MoveWindow(layout.histogram);
    Item(kThumbnail).MoveWindow(layout.thumbnail);
    for (int i = 0; i < 4; ++i)
        Item(RemoteLayout::kLineIds[i]).MoveWindow(layout.lines[i]);
    // Pictures resized come back blank: what the window draws itself is drawn again (a
    // live view's next frame comes by itself).
    histogram_.Redraw();
    drawThumbnail();
    // A thumbnail grown well beyond what was decoded for it is decoded again, larger.
    const raster::Bitmap* thumbnail = Item(kThumbnail).Surface();
    if (!lastPicture_.empty() && !thumbnailSource_.Empty() && thumbnail != nullptr &&
        raster::FitInside(thumbnailSource_.Width(), thumbnailSource_.Height(),
                          raster::Rect{0, 0, thumbnail->Width(), thumbnail->Height()})
                .width > thumbnailSource_.Width() * 5 / 4)
        thumbnails_.Request(lastPicture_, thumbnail->Width(), thumbnail->Height(), Handle(),
                            kWmThumbnailReady);
}

void CVellmoraDlg::OnFrameDrawn(const raster::Histogram& histogram, int width, int height) {
    histogram_.Show(histogram);
    // Frames of another shape (the first ones, another camera mode) lay the window out
    // anew once this frame is on screen.
    if (width > 0 && height > 0 &&
        (frameWidth_ == 0 ||
         static_cast<int64_t>(width) * frameHeight_ != static_cast<int64_t>(height) * frameWidth_))
        PostMessage(kWmFrameShape, static_cast<ui::WParam>(width), height);
}

ui::LResult CVellmoraDlg::OnFrameShape(ui::WParam width, ui::LParam height) {
    if (width == 0 || height <= 0 ||
        (frameWidth_ != 0 && static_cast<int64_t>(width) * frameHeight_ == height * frameWidth_))
        return 0;
    frameWidth_ = static_cast<int>(width);
    frameHeight_ = static_cast<int>(height);
    layOut();
    return 0;
}

void CVellmoraDlg::OnGuides() {
    uint32_t guides = 0;
    if (Item(kGridBox).GetCheck())
        guides |= controls::kGuideThirds;
    if (Item(kCentreBox).GetCheck())
        guides |= controls::kGuideCentre;
    picture_.setGuides(guides);
}

void CVellmoraDlg::pressButton(int id) {
    if (Item(id).IsWindowEnabled())
        NotifyFromControl(id, ui::kBnClicked);
}

void CVellmoraDlg::OnToggleLiveView() {
    pressButton(picture_.loopRunning() ? kEndLiveViewButton : kStartLiveViewButton);
}

void CVellmoraDlg::OnEscape() {
    if (alone_)
        showLiveViewAlone(false);
    else
        PostMessage(ui::kWmClose);
}

void CVellmoraDlg::OnPictureDoubleClicked() {
    showLiveViewAlone(!alone_);
}

void CVellmoraDlg::showLiveViewAlone(bool alone) {
    if (alone == alone_ || closing_)
        return;
    if (alone) {
        placeBeforeAlone_ = GetPlacement();
        hiddenForAlone_.clear();
        for (const ui::ControlTemplate& control : Template().controls)
            if (control.id != kLiveViewPicture && Item(control.id).IsWindowVisible()) {
                Item(control.id).ShowWindow(false);
                hiddenForAlone_.push_back(control.id);
            }
        alone_ = true;
        ui::WindowPlacement large = placeBeforeAlone_;
        large.maximised = true;
        SetPlacement(large);
    } else {
        alone_ = false;
        for (int id : hiddenForAlone_)
            Item(id).ShowWindow(true);
        hiddenForAlone_.clear();
        SetPlacement(placeBeforeAlone_);
    }
    layOut();
}

void CVellmoraDlg::restorePlace() {
    const ui::PixelRect minimum = GetWindowRect();
    if (const std::optional<ui::WindowPlacement> place =
            ReadWindowPlace(programDirectory_, minimum.width, minimum.height))
        SetPlacement(*place);
    else
        layOut();
}

void CVellmoraDlg::rememberPlace() {
    // The place the user gave the window, not the one the live view alone took.
    const ui::WindowPlacement place = alone_ ? placeBeforeAlone_ : GetPlacement();
    // Only a window that was really shown somewhere has a place worth keeping.
    if (place.positioned)
        WriteWindowPlace(programDirectory_, place);
}

ui::LResult CVellmoraDlg::OnDownloadStart(ui::WParam, ui::LParam) {
    std::string name;
    {
        std::lock_guard lock(transferNameMutex_);
        name = transferName_;
    }
    // The progress bar shows the name with its percentage.
    Item(kProgressBar).SetWindowText(name);
    return 0;
}

void CVellmoraDlg::showLastPicture(const std::vector<std::string>& arrived) {
    // Of pictures arriving together (RAW and JPEG of one shot), a JPEG shows best.
    std::string path = arrived.back();
    for (auto it = arrived.rbegin(); it != arrived.rend(); ++it)
        if (IsJpegName(*it)) {
            path = *it;
            break;
        }
    const size_t slash = path.rfind('/');
    lastPicture_ = path;
    Item(kLastNameLabel).SetWindowText(path.substr(slash + 1));
    Item(kLastFolderLabel).SetWindowText(slash == 0 ? "/" : path.substr(0, slash));
    Item(kSavedLabel).SetWindowText(SavedText(language_));
    thumbnailSource_ = raster::Bitmap();
    drawThumbnail();
    const raster::Bitmap* surface = Item(kThumbnail).Surface();
    if (surface != nullptr)
        thumbnails_.Request(path, surface->Width(), surface->Height(), Handle(), kWmThumbnailReady);
}

ui::LResult CVellmoraDlg::OnThumbnailReady(ui::WParam, ui::LParam) {
    std::optional<PictureThumbnail::Result> result = thumbnails_.Take();
    if (!result || result->path != lastPicture_)
        return 0;
    thumbnailSource_ = std::move(result->picture);
    drawThumbnail();
    return 0;
}

void CVellmoraDlg::drawThumbnail() {
    raster::Bitmap* surface = Item(kThumbnail).Surface();
    if (surface == nullptr || surface->Empty())
        return;
    surface->Fill(kNoThumbnail);
    if (!thumbnailSource_.Empty()) {
        const raster::Rect box{0, 0, surface->Width(), surface->Height()};
        raster::ShrinkBlit(
            thumbnailSource_, *surface,
            raster::FitInside(thumbnailSource_.Width(), thumbnailSource_.Height(), box));
    }
    Item(kThumbnail).SurfaceChanged();
}

void CVellmoraDlg::OnThumbnailClicked() {
    if (!lastPicture_.empty())
        launcher_->OpenInBackground(lastPicture_);
}

}  // namespace talbex::remote
