// A window: a dialog or one of its controls. Dialog code reads and writes what a control
// shows through these operations, by id (Dialog::Item) or through a control object bound
// to the control (Dialog::AttachControl), which then also receives the messages posted
// or sent to the control and the notifications it handles itself.
//
// Operations that make no sense for a control's kind (rows of a button) do nothing and
// answer -1, 0 or an empty text; so does every operation of a window not yet bound.
// Threads: the data operations may be called from any thread; handlers run on the window
// thread; Surface() belongs to the window thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/raster/bitmap.h"
#include "platform/ui/dialog_units.h"
#include "platform/ui/message_map.h"
#include "platform/ui/message_queue.h"
#include "platform/ui/messages.h"

namespace talbex::ui {

namespace detail {
struct WindowState;
}

class Window {
  public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    WindowHandle Handle() const { return handle_.load(); }
    /// The control id (0 for a dialog or a window not bound).
    int ControlId() const;

    /// Queues a message for the window's thread and returns at once; false when the
    /// window does not exist (yet or any more).
    bool PostMessage(MessageId id, WParam wparam = 0, LParam lparam = 0) const;
    /// Has the window thread handle the message and answers its result; from the window
    /// thread itself the handler runs directly. 0 when the window does not exist.
    LResult SendMessage(MessageId id, WParam wparam = 0, LParam lparam = 0) const;

    /// Window timers: every `periodMs` (on the clock of clock.h) the window gets kWmTimer
    /// with the timer id; setting an id again restarts it. Window thread only.
    bool SetTimer(uint32_t id, uint32_t periodMs);
    bool KillTimer(uint32_t id);

    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    void ShowWindow(bool show);
    bool IsWindowVisible() const;
    /// Position and size in pixels (for a dialog, the size of its client area).
    PixelRect GetWindowRect() const;
    /// Moves and sizes a control within its dialog (a picture's surface follows, blank);
    /// nothing for a dialog (see Dialog::SetPlacement).
    void MoveWindow(const PixelRect& rect);
    int ClientWidth() const { return GetWindowRect().width; }
    int ClientHeight() const { return GetWindowRect().height; }

    // Drop-down lists. Indexes count from 0; -1 answers "none" or a failure.
    /// Adds a row: at its sorted place in a sorted list, else at the end. Answers its index.
    int AddString(const std::string& text);
    /// Inserts a row at `index` (-1: at the end) whatever the list's style.
    int InsertString(int index, const std::string& text);
    /// Removes every row and empties the edit field.
    void ResetContent();
    int GetCount() const;
    std::string GetLBText(int index) const;
    bool SetItemData(int index, uint32_t value);
    uint32_t GetItemData(int index) const;
    int GetCurSel() const;
    /// Selects a row (-1: none) and shows its text in the edit field; no notification.
    int SetCurSel(int index);
    int FindStringExact(const std::string& text) const;

    /// Check boxes: the check mark.
    void SetCheck(bool checked);
    bool GetCheck() const;

    /// The text shown when the pointer rests on the control (empty: none).
    void SetToolTip(const std::string& tip);
    std::string GetToolTip() const;

    /// Progress bars: 0..100, clamped.
    void SetPos(int position);
    int GetPos() const;

    /// Picture frames: the pixel surface, as large as the control on the screen: its size
    /// times PixelRatio(), so a high-density screen shows it pixel for pixel. Window
    /// thread only; nullptr for other kinds.
    raster::Bitmap* Surface();
    /// Device pixels per pixel of the screen the dialog is shown on (1 headless).
    double PixelRatio() const;
    /// Tells the backend that the surface was drawn on and must be shown again.
    void SurfaceChanged();

    /// Web areas: shows the page at `address` (the headless backend only records it).
    void Navigate(const std::string& address);
    std::string LocationAddress() const;

    /// Handles one message: the message map of the object's class, else the default.
    LResult WindowProc(MessageId id, WParam wparam, LParam lparam);
    /// Handles the message only if the class's map has an entry for it.
    bool TryMessageMap(MessageId id, WParam wparam, LParam lparam, LResult* result);

  protected:
    virtual const MessageMap* GetMessageMap() const { return nullptr; }
    virtual LResult DefWindowProc(MessageId id, WParam wparam, LParam lparam);

  private:
    friend class Dialog;
    std::atomic<WindowHandle> handle_{0};
    std::atomic<detail::WindowState*> state_{nullptr};  // owned by the dialog
};

}  // namespace talbex::ui
