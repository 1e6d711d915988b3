// The Qt window of one running dialog: a top-level widget of the template's size with a
// widget per control at its dialog-unit position, in template order (which is also the
// tab order). The dialog's data stay the truth: the window shows them (Sync) and turns
// what the user does into the framework's user input, queued on the window thread like
// any other message, so handlers never run inside Qt's input handling.
//
// A resizable dialog's window can be resized (not below the template's size) and
// maximised; the dialog is told its place, size and the screen's pixel density and lays
// its controls out itself. Its accelerators are the window's keys: they win over the
// keys of whatever control has the focus.
#pragma once

#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/qt/gui_mailbox.h"
#include "platform/qt/page_view.h"
#include "platform/ui/change_listener.h"
#include "platform/ui/dialog.h"

namespace talbex::qt {

class SurfaceView;

class DialogWindow final : public QWidget {
  public:
    DialogWindow(ui::Dialog& dialog, const PageServices& pages, std::shared_ptr<GuiMailbox> mailbox,
                 QWidget* parent);

    ui::Dialog& dialog() const { return dialog_; }
    /// The widget of control `controlId`, or nullptr.
    QWidget* Control(int controlId) const;

    /// Shows one change: the control's (or, for 0, the window's) current data.
    void Sync(int controlId, ui::ChangeEvent::What what);
    /// Shows all data: every control, the caption, the icon.
    void SyncAll();
    /// True once the dialog gave the window a place of its own (it is then not centred).
    bool positioned() const { return positioned_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct ControlWidget {
        ui::ControlKind kind;
        QWidget* widget;
    };
    QWidget* MakeControl(const ui::ControlTemplate& control);
    void SyncControl(int controlId, const ControlWidget& control, ui::ChangeEvent::What what);
    void SyncIcon();
    void SyncPlacement();
    void MakeAccelerators();
    /// Tells the dialog where the window is and how large (queued, read when it runs).
    void TellPlace();
    void TellPixelRatio();
    /// Queues a user action on the dialog's window thread.
    void Input(std::function<void(ui::Dialog&)> action);
    void Typed(int controlId, const std::string& text);

    ui::Dialog& dialog_;
    PageServices pages_;
    std::shared_ptr<GuiMailbox> mailbox_;
    std::map<int, ControlWidget> controls_;
    std::map<int, int> typing_;  // typed texts per control not yet in its data
    bool positioned_ = false;
    bool placeTold_ = false;  // a TellPlace is queued
    bool screenWatched_ = false;
};

}  // namespace talbex::qt
