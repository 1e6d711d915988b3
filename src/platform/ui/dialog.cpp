#include "platform/ui/dialog.h"

#include <algorithm>
#include <mutex>
#include <string>

#include "platform/os/wait_pump.h"
#include "platform/ui/change_listener.h"
#include "platform/ui/window_state.h"

namespace talbex::ui {

namespace {

std::mutex gModalMutex;
std::vector<Dialog*> gModal;

void Announce(detail::DialogShared& shared, ChangeEvent::What what, std::string value) {
    ChangeListener* listener = CurrentChangeListener();
    if (!listener)
        return;
    ChangeEvent event;
    event.dialog = shared.owner;
    event.dialogId = shared.dialogId;
    event.what = what;
    event.value = std::move(value);
    {
        std::lock_guard lock(shared.mutex);
        event.dialogTitle = shared.dialog->text;
    }
    listener->OnChange(event);
}

}  // namespace

Dialog::Dialog(const DialogTemplate& dialogTemplate)
    : template_(dialogTemplate), shared_(std::make_unique<detail::DialogShared>()) {
    shared_->owner = this;
    shared_->dialogId = template_.id;
    auto own = std::make_unique<detail::WindowState>();
    own->shared = shared_.get();
    own->isDialog = true;
    shared_->dialog = own.get();
    states_.push_back(std::move(own));
    for (const ControlTemplate& control : template_.controls) {
        auto state = std::make_unique<detail::WindowState>();
        state->shared = shared_.get();
        state->id = control.id;
        state->kind = control.kind;
        states_.push_back(std::move(state));
        plain_.push_back(std::make_unique<Window>());
        plain_.back()->state_ = states_.back().get();
    }
    state_ = states_[0].get();
    ResetStates();
}

Dialog::~Dialog() {
    if (Handle() != 0)
        Destroy();
}

void Dialog::ResetStates() {
    std::lock_guard lock(shared_->mutex);
    detail::WindowState& own = *states_[0];
    own.text = template_.chinese;
    shared_->smallIcon = 0;
    shared_->bigIcon = 0;
    own.rect = DialogUnitsToPixels(DialogUnitRect{0, 0, template_.width, template_.height});
    shared_->normal = own.rect;
    shared_->positioned = false;
    shared_->maximised = false;
    for (size_t i = 0; i < template_.controls.size(); ++i) {
        const ControlTemplate& control = template_.controls[i];
        detail::WindowState& s = *states_[i + 1];
        s.rect = DialogUnitsToPixels(control.rect);
        s.sorted = (control.style & kStyleSorted) != 0;
        s.text = control.chinese;
        s.tip = control.tipChinese;
        s.checked = false;
        s.enabled = (control.style & kStyleDisabled) == 0;
        s.visible = (control.style & kStyleHidden) == 0;
        s.entries.clear();
        s.selection = -1;
        s.progress = 0;
        s.address.clear();
        if (control.kind == ControlKind::kPicture)
            s.surface = raster::Bitmap(DevicePixels(s.rect.width, shared_->pixelRatio),
                                       DevicePixels(s.rect.height, shared_->pixelRatio));
    }
}

detail::WindowState* Dialog::StateOf(int controlId) {
    for (size_t i = 1; i < states_.size(); ++i)
        if (states_[i]->id == controlId)
            return states_[i].get();
    return nullptr;
}

Window& Dialog::Item(int controlId) {
    auto it = attached_.find(controlId);
    if (it != attached_.end())
        return *it->second;
    for (auto& window : plain_)
        if (window->state_.load()->id == controlId)
            return *window;
    return none_;
}

bool Dialog::AttachControl(int controlId, Window& control) {
    detail::WindowState* state = StateOf(controlId);
    if (!state)
        return false;
    attached_[controlId] = &control;
    control.state_ = state;
    if (Handle() != 0) {
        for (auto& window : plain_) {
            if (window->state_.load() == state) {
                control.handle_ = window->Handle();
                windows::Rebind(window->Handle(), &control);
            }
        }
    }
    return true;
}

void Dialog::Create() {
    queue_ = MessageQueue::ForCurrentThread();
    ResetStates();
    handle_ = windows::Register(this, queue_);
    for (auto& window : plain_) {
        const int id = window->state_.load()->id;
        auto it = attached_.find(id);
        Window* object = it != attached_.end() ? it->second : window.get();
        const WindowHandle handle = windows::Register(object, queue_);
        window->handle_ = handle;
        if (object != window.get())
            object->handle_ = handle;
    }
}

void Dialog::Destroy() {
    for (auto& window : plain_) {
        const WindowHandle handle = window->handle_.exchange(0);
        auto it = attached_.find(window->state_.load()->id);
        if (it != attached_.end())
            it->second->handle_ = 0;
        windows::Unregister(handle);
    }
    windows::Unregister(handle_.exchange(0));
}

int Dialog::DoModal() {
    Create();
    ended_ = false;
    result_ = 0;
    running_ = true;
    {
        std::lock_guard lock(gModalMutex);
        gModal.push_back(this);
    }
    Announce(*shared_, ChangeEvent::What::kDialogOpened, GetWindowText());
    std::shared_ptr<MessageQueue> queue = queue_;
    os::WaitPump previousPump = os::SetWaitPump([queue] { queue->ServeSentMessages(); });

    OnInitDialog();
    while (queue->RunOnce([this] { return ended_; })) {
    }

    os::SetWaitPump(std::move(previousPump));
    {
        std::lock_guard lock(gModalMutex);
        std::erase(gModal, this);
    }
    running_ = false;
    Destroy();
    Announce(*shared_, ChangeEvent::What::kDialogClosed, std::to_string(result_));
    return result_;
}

void Dialog::EndDialog(int result) {
    result_ = result;
    ended_ = true;
}

void Dialog::ApplyEnglishCaptions() {
    if (template_.english[0] != '\0')
        SetWindowText(template_.english);
    for (const ControlTemplate& control : template_.controls) {
        if (control.english[0] != '\0')
            Item(control.id).SetWindowText(control.english);
        if (control.tipEnglish[0] != '\0')
            Item(control.id).SetToolTip(control.tipEnglish);
    }
}

WindowPlacement Dialog::GetPlacement() const {
    std::lock_guard lock(shared_->mutex);
    return WindowPlacement{shared_->normal, shared_->maximised, shared_->positioned};
}

void Dialog::SetPlacement(const WindowPlacement& placement) {
    const PixelRect minimum =
        DialogUnitsToPixels(DialogUnitRect{0, 0, template_.width, template_.height});
    WindowPlacement p = placement;
    if ((template_.style & kDialogResizable) == 0) {
        p.normal.width = minimum.width;
        p.normal.height = minimum.height;
        p.maximised = false;
    }
    p.normal.width = std::max(p.normal.width, minimum.width);
    p.normal.height = std::max(p.normal.height, minimum.height);
    PixelRect client;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->normal = p.normal;
        shared_->positioned = p.positioned;
        shared_->maximised = p.maximised;
        // Maximised, the window's size is the screen's, which the backend tells.
        if (!p.maximised)
            states_[0]->rect = PixelRect{0, 0, p.normal.width, p.normal.height};
        client = states_[0]->rect;
    }
    std::string value = std::to_string(p.normal.left) + "," + std::to_string(p.normal.top) + " " +
                        std::to_string(p.normal.width) + "x" + std::to_string(p.normal.height);
    if (p.maximised)
        value += " maximised";
    Announce(*shared_, ChangeEvent::What::kPlacement, std::move(value));
    if (Handle() != 0)
        WindowProc(kWmSize, p.maximised ? kSizeMaximized : kSizeRestored,
                   MakeSizeLParam(client.width, client.height));
}

bool Dialog::Shown(const WindowPlacement& place, int width, int height) {
    width = std::clamp(width, 1, 32767);
    height = std::clamp(height, 1, 32767);
    {
        std::lock_guard lock(shared_->mutex);
        shared_->normal = place.normal;
        shared_->positioned = true;
        PixelRect& client = states_[0]->rect;
        if (client.width == width && client.height == height &&
            shared_->maximised == place.maximised)
            return false;
        client.width = width;
        client.height = height;
        shared_->maximised = place.maximised;
    }
    WindowProc(kWmSize, place.maximised ? kSizeMaximized : kSizeRestored,
               MakeSizeLParam(width, height));
    return true;
}

void Dialog::PixelRatioChanged(double ratio) {
    if (!(ratio >= 0.25 && ratio <= 16))
        return;
    PixelRect client;
    bool maximised = false;
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->pixelRatio == ratio)
            return;
        shared_->pixelRatio = ratio;
        for (size_t i = 1; i < states_.size(); ++i) {
            detail::WindowState& s = *states_[i];
            if (s.kind == ControlKind::kPicture) {
                s.surface.Resize(DevicePixels(s.rect.width, ratio),
                                 DevicePixels(s.rect.height, ratio));
                s.surface.Fill(raster::kBlack);
            }
        }
        client = states_[0]->rect;
        maximised = shared_->maximised;
    }
    // What the dialog draws itself is drawn anew at the new density.
    WindowProc(kWmSize, maximised ? kSizeMaximized : kSizeRestored,
               MakeSizeLParam(client.width, client.height));
}

void Dialog::SetIcon(int resourceId, bool big) {
    {
        std::lock_guard lock(shared_->mutex);
        (big ? shared_->bigIcon : shared_->smallIcon) = resourceId;
    }
    Announce(*shared_, ChangeEvent::What::kIcon,
             std::string(big ? "big " : "small ") + std::to_string(resourceId));
}

int Dialog::GetIcon(bool big) const {
    std::lock_guard lock(shared_->mutex);
    return big ? shared_->bigIcon : shared_->smallIcon;
}

void Dialog::NotifyFromControl(int controlId, uint32_t code) {
    const WParam wparam = MakeCommandWParam(controlId, code);
    auto it = attached_.find(controlId);
    if (it != attached_.end() && it->second->TryMessageMap(kWmReflectCommand, wparam, 0, nullptr))
        return;
    WindowProc(kWmCommand, wparam, static_cast<LParam>(Item(controlId).Handle()));
}

LResult Dialog::DefWindowProc(MessageId id, WParam wparam, LParam) {
    if (id == kWmClose) {
        OnCancel();
    } else if (id == kWmCommand && CommandCode(wparam) == kBnClicked) {
        if (CommandControlId(wparam) == kIdOk)
            OnOK();
        else if (CommandControlId(wparam) == kIdCancel)
            OnCancel();
    }
    return 0;
}

Dialog* TopmostModal() {
    std::lock_guard lock(gModalMutex);
    return gModal.empty() ? nullptr : gModal.back();
}

WindowHandle TopmostModalHandle() {
    std::lock_guard lock(gModalMutex);
    return gModal.empty() ? 0 : gModal.back()->Handle();
}

std::vector<Dialog*> ModalStack() {
    std::lock_guard lock(gModalMutex);
    return gModal;
}

}  // namespace talbex::ui
