// A dialog built from its template and run modally on the calling thread, which becomes
// (or already is) a window thread with its own message queue.
//
// DoModal creates the controls, calls OnInitDialog, then runs a nested message loop until
// EndDialog; dialogs opened from a handler nest. While it runs, the thread's wait pump
// (platform/os/wait_pump.h) serves messages sent to the thread, so a window thread that
// blocks waiting for a worker still answers that worker's synchronous hand-overs.
// The controls' data outlive the run, so callers can read what the dialog showed last.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <vector>

#include "platform/ui/dialog_template.h"
#include "platform/ui/window.h"

namespace talbex::ui {

namespace detail {
struct DialogShared;
struct WindowState;
}  // namespace detail

/// Where a dialog's window is: its client area on the screen when not maximised (the
/// position only when `positioned`; else the backend centres it), and whether it is
/// maximised.
struct WindowPlacement {
    PixelRect normal;
    bool maximised = false;
    bool positioned = false;
};

class Dialog : public Window {
  public:
    explicit Dialog(const DialogTemplate& dialogTemplate);
    ~Dialog() override;

    /// Runs the dialog until EndDialog and answers the result given there.
    int DoModal();
    /// Ends the modal run once the current handler returns. Window thread.
    void EndDialog(int result);
    bool IsRunning() const { return running_.load(); }
    const DialogTemplate& Template() const { return template_; }

    /// The object of a control: the one attached to it, else a plain window. An unknown
    /// id answers a window whose operations do nothing.
    Window& Item(int controlId);
    /// Binds a control object to control `controlId` (before or during the run): the
    /// object then reads and writes that control and receives its messages and the
    /// notifications it handles itself. The object must outlive the dialog's run.
    bool AttachControl(int controlId, Window& control);

    /// Replaces the caption and every control's text by the template's English ones
    /// (where the template has one).
    void ApplyEnglishCaptions();

    /// The window's place (see WindowPlacement). SetPlacement asks the backend to show the
    /// window so (a size below the template's is raised to it; a dialog that is not
    /// resizable keeps its size) and, not maximised, takes that size at once, with
    /// kWmSize. Window thread.
    WindowPlacement GetPlacement() const;
    void SetPlacement(const WindowPlacement& placement);

    /// What the backend tells of the real window, on the window thread: where it is when
    /// not maximised (`place.normal`, which is then positioned), whether it is maximised,
    /// and the size of its client area now. kWmSize follows when the size or the
    /// maximised state changed; answers whether it did.
    bool Shown(const WindowPlacement& place, int width, int height);
    /// The window went to a screen of another pixel density: the picture surfaces are
    /// resized (blank) and kWmSize follows, so the dialog draws anew. Window thread.
    void PixelRatioChanged(double ratio);

    /// The window's small (title bar, task switcher) or big icon: a resource id of
    /// resources/icons.h; 0 for none. Window thread.
    void SetIcon(int resourceId, bool big);
    int GetIcon(bool big) const;

    /// A control's notification, as user input produces it: offered first to the
    /// control's own object (reflected), then to the dialog as kWmCommand. Window thread.
    void NotifyFromControl(int controlId, uint32_t code);

    /// The dialog class's base map, for derived classes' maps to extend.
    static const MessageMap* BaseMap() { return nullptr; }

  protected:
    /// Called once the controls exist, before the loop runs.
    virtual bool OnInitDialog() { return true; }
    /// The OK button (id 1) and Cancel button (id 2) / close box defaults.
    virtual void OnOK() { EndDialog(kIdOk); }
    virtual void OnCancel() { EndDialog(kIdCancel); }
    LResult DefWindowProc(MessageId id, WParam wparam, LParam lparam) override;

  private:
    void ResetStates();
    void Create();
    void Destroy();
    detail::WindowState* StateOf(int controlId);

    const DialogTemplate& template_;
    std::unique_ptr<detail::DialogShared> shared_;
    std::vector<std::unique_ptr<detail::WindowState>> states_;  // [0]: the dialog
    std::vector<std::unique_ptr<Window>> plain_;                // one per control
    std::map<int, Window*> attached_;
    std::shared_ptr<MessageQueue> queue_;
    std::atomic<bool> running_{false};
    bool ended_ = false;
    int result_ = 0;
    Window none_;
};

/// Modal dialogs running now, innermost last (all window threads). A script driver acts
/// on the topmost one.
Dialog* TopmostModal();
std::vector<Dialog*> ModalStack();
/// The handle of the topmost modal dialog, 0 when none runs. Unlike the pointer, a handle
/// can be kept by another thread while the dialog ends: it then simply stops answering
/// (windows::Lookup, QueueOf and PostTask find nothing).
WindowHandle TopmostModalHandle();

}  // namespace talbex::ui
