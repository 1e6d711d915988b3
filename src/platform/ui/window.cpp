#include "platform/ui/window.h"

#include <strings.h>
#include <algorithm>
#include <optional>

#include "platform/ui/change_listener.h"
#include "platform/ui/window_state.h"

namespace talbex::ui {

namespace {

using detail::WindowState;
using What = ChangeEvent::What;

std::string JoinRows(const WindowState& s) {
    std::string rows;
    for (size_t i = 0; i < s.entries.size(); ++i) {
        if (i != 0)
            rows += " | ";
        rows += s.entries[i].text;
    }
    return rows;
}

// Runs `change` under the dialog's lock; it answers what changed (or nothing). The
// listener hears about it after the lock is released.
template <class F>
auto Mutate(WindowState* s, F change) {
    std::optional<ChangeEvent> event;
    using Result = decltype(change(*s, event));
    Result result{};
    {
        std::lock_guard lock(s->shared->mutex);
        result = change(*s, event);
        if (event) {
            event->dialog = s->shared->owner;
            event->dialogId = s->shared->dialogId;
            event->dialogTitle = s->shared->dialog ? s->shared->dialog->text : "";
            event->controlId = s->id;
        }
    }
    if (event)
        if (ChangeListener* listener = CurrentChangeListener())
            listener->OnChange(*event);
    return result;
}

template <class F>
auto Read(const WindowState* s, F read) {
    std::lock_guard lock(s->shared->mutex);
    return read(*s);
}

bool IsList(const WindowState& s) {
    return s.kind == ControlKind::kDropDownList && !s.isDialog;
}

// A picture's surface at its control's size on the screen, blank. Under the dialog's lock.
void ResizeSurface(WindowState& s) {
    const double ratio = s.shared->pixelRatio;
    s.surface.Resize(DevicePixels(s.rect.width, ratio), DevicePixels(s.rect.height, ratio));
    s.surface.Fill(raster::kBlack);
}

ChangeEvent Event(What what, std::string value) {
    ChangeEvent e;
    e.what = what;
    e.value = std::move(value);
    return e;
}

}  // namespace

Window::~Window() = default;

int Window::ControlId() const {
    WindowState* s = state_.load();
    return s ? s->id : 0;
}

bool Window::PostMessage(MessageId id, WParam wparam, LParam lparam) const {
    return windows::Post(Handle(), id, wparam, lparam);
}

LResult Window::SendMessage(MessageId id, WParam wparam, LParam lparam) const {
    return windows::Send(Handle(), id, wparam, lparam);
}

bool Window::SetTimer(uint32_t id, uint32_t periodMs) {
    auto queue = windows::QueueOf(Handle());
    if (!queue)
        return false;
    queue->SetTimer(Handle(), id, periodMs);
    return true;
}

bool Window::KillTimer(uint32_t id) {
    auto queue = windows::QueueOf(Handle());
    return queue && queue->KillTimer(Handle(), id);
}

void Window::SetWindowText(const std::string& text) {
    if (WindowState* s = state_.load())
        Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>& e) {
            if (st.text != text) {
                st.text = text;
                e = Event(What::kText, text);
            }
            return 0;
        });
}

std::string Window::GetWindowText() const {
    const WindowState* s = state_.load();
    return s ? Read(s, [](const WindowState& st) { return st.text; }) : std::string();
}

void Window::EnableWindow(bool enable) {
    if (WindowState* s = state_.load())
        Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>& e) {
            if (st.enabled != enable) {
                st.enabled = enable;
                e = Event(What::kEnabled, enable ? "1" : "0");
            }
            return 0;
        });
}

bool Window::IsWindowEnabled() const {
    const WindowState* s = state_.load();
    return s && Read(s, [](const WindowState& st) { return st.enabled; });
}

void Window::ShowWindow(bool show) {
    if (WindowState* s = state_.load())
        Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>& e) {
            if (st.visible != show) {
                st.visible = show;
                e = Event(What::kVisible, show ? "1" : "0");
            }
            return 0;
        });
}

bool Window::IsWindowVisible() const {
    const WindowState* s = state_.load();
    return s && Read(s, [](const WindowState& st) { return st.visible; });
}

PixelRect Window::GetWindowRect() const {
    const WindowState* s = state_.load();
    return s ? Read(s, [](const WindowState& st) { return st.rect; }) : PixelRect{};
}

void Window::MoveWindow(const PixelRect& rect) {
    if (WindowState* s = state_.load())
        Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>& e) {
            if (st.isDialog || st.rect == rect)
                return 0;
            st.rect = rect;
            if (st.kind == ControlKind::kPicture)
                ResizeSurface(st);
            e = Event(What::kRect, std::to_string(rect.left) + "," + std::to_string(rect.top) +
                                       " " + std::to_string(rect.width) + "x" +
                                       std::to_string(rect.height));
            return 0;
        });
}

void Window::SetCheck(bool checked) {
    if (WindowState* s = state_.load())
        Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>& e) {
            if (st.kind != ControlKind::kCheckBox || st.isDialog || st.checked == checked)
                return 0;
            st.checked = checked;
            e = Event(What::kCheck, checked ? "1" : "0");
            return 0;
        });
}

bool Window::GetCheck() const {
    const WindowState* s = state_.load();
    return s && Read(s, [](const WindowState& st) { return st.checked; });
}

void Window::SetToolTip(const std::string& tip) {
    if (WindowState* s = state_.load())
        Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>& e) {
            if (st.tip != tip) {
                st.tip = tip;
                e = Event(What::kToolTip, tip);
            }
            return 0;
        });
}

std::string Window::GetToolTip() const {
    const WindowState* s = state_.load();
    return s ? Read(s, [](const WindowState& st) { return st.tip; }) : std::string();
}

int Window::AddString(const std::string& text) {
    WindowState* s = state_.load();
    if (!s)
        return -1;
    return Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>& e) {
        if (!IsList(st))
            return -1;
        auto at = st.entries.end();
        if (st.sorted) {
            // Case-insensitive order, as drop-down lists sort; equal texts keep the order
            // they were added in.
            at = std::upper_bound(st.entries.begin(), st.entries.end(), text,
                                  [](const std::string& t, const detail::ListEntry& entry) {
                                      return strcasecmp(t.c_str(), entry.text.c_str()) < 0;
                                  });
        }
        const int index = static_cast<int>(at - st.entries.begin());
        st.entries.insert(at, detail::ListEntry{text, 0});
        if (st.selection >= index)
            ++st.selection;
        e = Event(What::kEntries, JoinRows(st));
        return index;
    });
}

int Window::InsertString(int index, const std::string& text) {
    WindowState* s = state_.load();
    if (!s)
        return -1;
    return Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>& e) {
        if (!IsList(st) || index < -1 || index > static_cast<int>(st.entries.size()))
            return -1;
        const int at = index == -1 ? static_cast<int>(st.entries.size()) : index;
        st.entries.insert(st.entries.begin() + at, detail::ListEntry{text, 0});
        if (st.selection >= at)
            ++st.selection;
        e = Event(What::kEntries, JoinRows(st));
        return at;
    });
}

void Window::ResetContent() {
    if (WindowState* s = state_.load())
        Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>& e) {
            if (!IsList(st))
                return 0;
            const bool changed = !st.entries.empty() || !st.text.empty() || st.selection != -1;
            st.entries.clear();
            st.selection = -1;
            st.text.clear();
            if (changed)
                e = Event(What::kEntries, "");
            return 0;
        });
}

int Window::GetCount() const {
    const WindowState* s = state_.load();
    return s ? Read(s,
                    [](const WindowState& st) {
                        return IsList(st) ? static_cast<int>(st.entries.size()) : -1;
                    })
             : -1;
}

std::string Window::GetLBText(int index) const {
    const WindowState* s = state_.load();
    if (!s)
        return {};
    return Read(s, [&](const WindowState& st) {
        if (!IsList(st) || index < 0 || index >= static_cast<int>(st.entries.size()))
            return std::string();
        return st.entries[static_cast<size_t>(index)].text;
    });
}

bool Window::SetItemData(int index, uint32_t value) {
    WindowState* s = state_.load();
    if (!s)
        return false;
    return Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>&) {
        if (!IsList(st) || index < 0 || index >= static_cast<int>(st.entries.size()))
            return false;
        st.entries[static_cast<size_t>(index)].itemData = value;
        return true;
    });
}

uint32_t Window::GetItemData(int index) const {
    const WindowState* s = state_.load();
    if (!s)
        return 0;
    return Read(s, [&](const WindowState& st) {
        if (!IsList(st) || index < 0 || index >= static_cast<int>(st.entries.size()))
            return uint32_t{0};
        return st.entries[static_cast<size_t>(index)].itemData;
    });
}

int Window::GetCurSel() const {
    const WindowState* s = state_.load();
    return s ? Read(s, [](const WindowState& st) { return IsList(st) ? st.selection : -1; }) : -1;
}

int Window::SetCurSel(int index) {
    WindowState* s = state_.load();
    if (!s)
        return -1;
    return Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>& e) {
        if (!IsList(st) || index < -1 || index >= static_cast<int>(st.entries.size()))
            return -1;
        const std::string text =
            index == -1 ? std::string() : st.entries[static_cast<size_t>(index)].text;
        if (st.selection != index || st.text != text) {
            st.selection = index;
            st.text = text;
            e = Event(What::kSelection, std::to_string(index) + " " + text);
        }
        return index;
    });
}

int Window::FindStringExact(const std::string& text) const {
    const WindowState* s = state_.load();
    if (!s)
        return -1;
    return Read(s, [&](const WindowState& st) {
        if (!IsList(st))
            return -1;
        for (size_t i = 0; i < st.entries.size(); ++i)
            if (st.entries[i].text == text)
                return static_cast<int>(i);
        return -1;
    });
}

void Window::SetPos(int position) {
    if (WindowState* s = state_.load())
        Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>& e) {
            if (st.kind != ControlKind::kProgressBar || st.isDialog)
                return 0;
            const int clamped = std::clamp(position, 0, 100);
            if (st.progress != clamped) {
                st.progress = clamped;
                e = Event(What::kProgress, std::to_string(clamped));
            }
            return 0;
        });
}

int Window::GetPos() const {
    const WindowState* s = state_.load();
    return s ? Read(s, [](const WindowState& st) { return st.progress; }) : 0;
}

raster::Bitmap* Window::Surface() {
    WindowState* s = state_.load();
    if (!s || s->isDialog || s->kind != ControlKind::kPicture)
        return nullptr;
    return &s->surface;
}

double Window::PixelRatio() const {
    const WindowState* s = state_.load();
    return s ? Read(s, [](const WindowState& st) { return st.shared->pixelRatio; }) : 1.0;
}

void Window::SurfaceChanged() {
    if (WindowState* s = state_.load())
        Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>& e) {
            if (st.kind == ControlKind::kPicture && !st.isDialog)
                e = Event(What::kSurface, std::to_string(st.surface.Width()) + "x" +
                                              std::to_string(st.surface.Height()));
            return 0;
        });
}

void Window::Navigate(const std::string& address) {
    if (WindowState* s = state_.load())
        Mutate(s, [&](WindowState& st, std::optional<ChangeEvent>& e) {
            if (st.kind != ControlKind::kWebBrowser || st.isDialog)
                return 0;
            st.address = address;
            e = Event(What::kAddress, address);
            return 0;
        });
}

std::string Window::LocationAddress() const {
    const WindowState* s = state_.load();
    return s ? Read(s, [](const WindowState& st) { return st.address; }) : std::string();
}

bool Window::TryMessageMap(MessageId id, WParam wparam, LParam lparam, LResult* result) {
    const MessageMap* map = GetMessageMap();
    const MessageMap::Entry* entry = map ? map->Find(id, wparam) : nullptr;
    if (!entry)
        return false;
    LResult r = entry->handler(*this, wparam, lparam);
    if (result)
        *result = r;
    return true;
}

LResult Window::WindowProc(MessageId id, WParam wparam, LParam lparam) {
    LResult result = 0;
    if (TryMessageMap(id, wparam, lparam, &result))
        return result;
    return DefWindowProc(id, wparam, lparam);
}

LResult Window::DefWindowProc(MessageId, WParam, LParam) {
    return 0;
}

}  // namespace talbex::ui
