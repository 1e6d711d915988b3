#include "platform/qt/dialog_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QWindow>

#include <vector>

#include "platform/qt/list_sync.h"
#include "platform/qt/qt_icons.h"
#include "platform/qt/surface_view.h"
#include "platform/ui/dialog_units.h"
#include "platform/ui/screen_fit.h"
#include "platform/ui/user_input.h"

namespace talbex::qt {

namespace {

using What = ui::ChangeEvent::What;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// A closed drop-down list is one row high; its template height is that of the open list.
constexpr int kClosedListHeightUnits = 14;

bool Resizable(const ui::Dialog& dialog) {
    return (dialog.Template().style & ui::kDialogResizable) != 0;
}

QRect ToQt(const ui::PixelRect& r) {
    return QRect(r.left, r.top, r.width, r.height);
}

}  // namespace

DialogWindow::DialogWindow(ui::Dialog& dialog, const PageServices& pages,
                           std::shared_ptr<GuiMailbox> mailbox, QWidget* parent)
    : QWidget(parent, Resizable(dialog) ? Qt::Window : Qt::Dialog),
      dialog_(dialog),
      pages_(pages),
      mailbox_(std::move(mailbox)) {
    const ui::DialogTemplate& t = dialog.Template();
    const QSize templateSize(ui::DialogUnitsToPixelsX(t.width), ui::DialogUnitsToPixelsY(t.height));
    if (Resizable(dialog)) {
        setMinimumSize(templateSize);
        const ui::PixelRect size = dialog.GetWindowRect();
        resize(std::max(size.width, templateSize.width()),
               std::max(size.height, templateSize.height()));
    } else {
        setFixedSize(templateSize);
    }
    // Created in template order, which Qt also takes as the tab order.
    for (const ui::ControlTemplate& control : t.controls) {
        QWidget* widget = MakeControl(control);
        ui::PixelRect r = ui::DialogUnitsToPixels(control.rect);
        if (control.kind == ui::ControlKind::kDropDownList)
            r.height = ui::DialogUnitsToPixelsY(kClosedListHeightUnits);
        widget->setGeometry(r.left, r.top, r.width, r.height);
        controls_[control.id] = ControlWidget{control.kind, widget};
    }
    MakeAccelerators();
    SyncAll();
    // The screen's density is known before the window shows: the surfaces take it at once.
    TellPixelRatio();
}

void DialogWindow::MakeAccelerators() {
    for (const ui::Accelerator& accelerator : dialog_.Template().accelerators) {
        auto* shortcut = new QShortcut(QKeySequence(static_cast<int>(accelerator.key)), this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false);
        const ui::Key key = accelerator.key;
        connect(shortcut, &QShortcut::activated, this,
                [this, key] { Input([key](ui::Dialog& d) { ui::user::PressKey(d, key); }); });
    }
    if (dialog_.Template().accelerators.empty())
        return;
    // A focused list's edit field or button would take these keys for itself.
    for (const auto& [id, control] : controls_) {
        control.widget->installEventFilter(this);
        if (auto* list = qobject_cast<QComboBox*>(control.widget); list && list->lineEdit())
            list->lineEdit()->installEventFilter(this);
    }
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers held =
            key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (held == 0)
            for (const ui::Accelerator& accelerator : dialog_.Template().accelerators)
                if (static_cast<int>(accelerator.key) == key->key()) {
                    // Not taken by the control: the window's shortcut gets it.
                    event->ignore();
                    return true;
                }
    }
    return QWidget::eventFilter(watched, event);
}

QWidget* DialogWindow::MakeControl(const ui::ControlTemplate& control) {
    const int id = control.id;
    switch (control.kind) {
        case ui::ControlKind::kPushButton: {
            auto* button = new QPushButton(this);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this,
                    [this, id] { Input([id](ui::Dialog& d) { ui::user::Click(d, id); }); });
            return button;
        }
        case ui::ControlKind::kLabel: {
            auto* label = new QLabel(this);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ui::ControlKind::kEdit: {
            auto* edit = new QLineEdit(this);
            connect(edit, &QLineEdit::textEdited, this,
                    [this, id](const QString& text) { Typed(id, text.toStdString()); });
            return edit;
        }
        case ui::ControlKind::kDropDownList: {
            auto* list = new QComboBox(this);
            list->setEditable(true);
            list->setInsertPolicy(QComboBox::NoInsert);
            list->setMaxVisibleItems(std::max(1, control.rect.height / kClosedListHeightUnits));
            connect(list, &QComboBox::activated, this, [this, id](int row) {
                Input([id, row](ui::Dialog& d) { ui::user::PickRow(d, id, row); });
            });
            connect(list->lineEdit(), &QLineEdit::textEdited, this,
                    [this, id](const QString& text) { Typed(id, text.toStdString()); });
            return list;
        }
        case ui::ControlKind::kProgressBar: {
            auto* bar = new QProgressBar(this);
            bar->setRange(0, 100);
            bar->setTextVisible(false);
            return bar;
        }
        case ui::ControlKind::kCheckBox: {
            auto* box = new QCheckBox(this);
            // The box marks itself at once; a click the dialog refuses takes it back.
            connect(box, &QCheckBox::clicked, this, [this, id] {
                Input([this, id](ui::Dialog& d) {
                    if (!ui::user::Click(d, id))
                        Sync(id, What::kCheck);
                });
            });
            return box;
        }
        case ui::ControlKind::kPicture: {
            auto* view = new SurfaceView(this);
            view->SetClicks(
                [this, id] { Input([id](ui::Dialog& d) { ui::user::Click(d, id); }); },
                [this, id] { Input([id](ui::Dialog& d) { ui::user::DoubleClick(d, id); }); });
            return view;
        }
        case ui::ControlKind::kWebBrowser:
            return new PageView(this, pages_, mailbox_);
    }
    return new QWidget(this);
}

QWidget* DialogWindow::Control(int controlId) const {
    auto it = controls_.find(controlId);
    return it == controls_.end() ? nullptr : it->second.widget;
}

void DialogWindow::Input(std::function<void(ui::Dialog&)> action) {
    ui::Dialog* dialog = &dialog_;
    // Dropped with the dialog's window if it ends first.
    ui::user::RunOnWindowThread(dialog_, [dialog, action = std::move(action)] { action(*dialog); });
}

void DialogWindow::Typed(int controlId, const std::string& text) {
    // While typed text is on its way to the data, showing the data would undo keystrokes
    // not yet applied; once the last one is in, the field shows the data again (which
    // also undoes typing the dialog refused).
    ++typing_[controlId];
    ui::Dialog* dialog = &dialog_;
    ui::user::RunOnWindowThread(dialog_, [this, dialog, controlId, text] {
        ui::user::TypeText(*dialog, controlId, text);
        if (--typing_[controlId] == 0)
            Sync(controlId, What::kText);
    });
}

void DialogWindow::SyncAll() {
    Sync(0, What::kText);
    Sync(0, What::kEnabled);
    SyncIcon();
    for (const auto& [id, control] : controls_)
        SyncControl(id, control, What::kEntries);
}

void DialogWindow::SyncIcon() {
    const int small = dialog_.GetIcon(false);
    const int big = dialog_.GetIcon(true);
    if (small != 0 || big != 0)
        setWindowIcon(WindowIcon(small, big));
}

void DialogWindow::Sync(int controlId, What what) {
    if (controlId == 0) {
        if (what == What::kText)
            setWindowTitle(Text(dialog_.GetWindowText()));
        else if (what == What::kEnabled)
            setEnabled(dialog_.IsWindowEnabled());
        else if (what == What::kIcon)
            SyncIcon();
        else if (what == What::kPlacement)
            SyncPlacement();
        return;
    }
    auto it = controls_.find(controlId);
    if (it != controls_.end())
        SyncControl(controlId, it->second, what);
}

void DialogWindow::SyncControl(int controlId, const ControlWidget& control, What what) {
    ui::Window& data = dialog_.Item(controlId);
    QWidget* widget = control.widget;
    if (what == What::kSurface) {
        if (raster::Bitmap* surface = data.Surface())
            static_cast<SurfaceView*>(widget)->Show(*surface);
        return;
    }
    if (what == What::kAddress) {
        static_cast<PageView*>(widget)->Navigate(data.LocationAddress());
        return;
    }
    if (what == What::kRect || what == What::kEntries) {
        ui::PixelRect r = data.GetWindowRect();
        if (control.kind == ui::ControlKind::kDropDownList)
            r.height = ui::DialogUnitsToPixelsY(kClosedListHeightUnits);
        if (widget->geometry() != ToQt(r))
            widget->setGeometry(ToQt(r));
        if (what == What::kRect) {
            if (raster::Bitmap* surface = data.Surface())
                static_cast<SurfaceView*>(widget)->Show(*surface);
            return;
        }
    }
    widget->setToolTip(Text(data.GetToolTip()));
    widget->setEnabled(data.IsWindowEnabled());
    widget->setVisible(data.IsWindowVisible());
    const bool typing = typing_.count(controlId) != 0 && typing_.at(controlId) > 0;
    switch (control.kind) {
        case ui::ControlKind::kPushButton:
            static_cast<QPushButton*>(widget)->setText(Text(data.GetWindowText()));
            break;
        case ui::ControlKind::kLabel:
            static_cast<QLabel*>(widget)->setText(Text(data.GetWindowText()));
            break;
        case ui::ControlKind::kEdit: {
            auto* edit = static_cast<QLineEdit*>(widget);
            const QString text = Text(data.GetWindowText());
            if (!typing && edit->text() != text)
                edit->setText(text);
            break;
        }
        case ui::ControlKind::kDropDownList:
            SyncList(*static_cast<QComboBox*>(widget), data, !typing);
            break;
        case ui::ControlKind::kProgressBar: {
            auto* bar = static_cast<QProgressBar*>(widget);
            bar->setValue(data.GetPos());
            // A text (the picture coming) shows with the percentage.
            const QString text = Text(data.GetWindowText());
            bar->setTextVisible(!text.isEmpty());
            bar->setFormat(text.isEmpty() ? QString() : text + "   %p%");
            break;
        }
        case ui::ControlKind::kCheckBox: {
            auto* box = static_cast<QCheckBox*>(widget);
            box->setText(Text(data.GetWindowText()));
            const QSignalBlocker quiet(box);
            box->setChecked(data.GetCheck());
            break;
        }
        case ui::ControlKind::kPicture:
            if (raster::Bitmap* surface = data.Surface())
                static_cast<SurfaceView*>(widget)->Show(*surface);
            break;
        case ui::ControlKind::kWebBrowser:
            break;
    }
}

void DialogWindow::SyncPlacement() {
    if (!Resizable(dialog_))
        return;
    std::vector<ui::PixelRect> screens;
    QList<QScreen*> all = QGuiApplication::screens();
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        all.removeAll(primary);
        all.prepend(primary);
    }
    for (QScreen* screen : all) {
        const QRect a = screen->availableGeometry();
        screens.push_back(ui::PixelRect{a.x(), a.y(), a.width(), a.height()});
    }
    const ui::WindowPlacement place = ui::FitOnScreens(dialog_.GetPlacement(), screens);
    if (place.maximised) {
        // Restored later to the place given; shown maximised now.
        if (!isMaximized()) {
            if (place.positioned)
                setGeometry(ToQt(place.normal));
            setWindowState(windowState() | Qt::WindowMaximized);
        }
    } else {
        if (isMaximized())
            setWindowState(windowState() & ~Qt::WindowMaximized);
        if (place.positioned)
            setGeometry(ToQt(place.normal));
        else
            resize(place.normal.width, place.normal.height);
    }
    positioned_ = positioned_ || place.positioned;
}

void DialogWindow::TellPlace() {
    if (!Resizable(dialog_) || placeTold_)
        return;
    // Resizes, moves and the change to maximised come in any order: the dialog is told
    // the window as it is once they are all in.
    placeTold_ = true;
    QPointer<DialogWindow> self(this);
    Input([self](ui::Dialog& d) {
        if (self.isNull())
            return;
        self->placeTold_ = false;
        ui::WindowPlacement place;
        const QRect normal =
            self->normalGeometry().isValid() ? self->normalGeometry() : self->geometry();
        place.normal = ui::PixelRect{normal.x(), normal.y(), normal.width(), normal.height()};
        place.maximised = self->isMaximized();
        place.positioned = true;
        d.Shown(place, self->width(), self->height());
    });
}

void DialogWindow::TellPixelRatio() {
    const double ratio = devicePixelRatioF();
    Input([ratio](ui::Dialog& d) { d.PixelRatioChanged(ratio); });
}

void DialogWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible())
        TellPlace();
}

void DialogWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible())
        TellPlace();
}

void DialogWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isVisible())
        TellPlace();
}

void DialogWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    TellPlace();
    QWindow* window = windowHandle();
    if (window != nullptr && !screenWatched_) {
        // Another screen may have another density; the surfaces follow it.
        screenWatched_ = true;
        connect(window, &QWindow::screenChanged, this, [this] { TellPixelRatio(); });
    }
    TellPixelRatio();
}

void DialogWindow::closeEvent(QCloseEvent* event) {
    // The dialog decides: the close box is a request its own handler answers.
    event->ignore();
    ui::user::CloseWindow(dialog_);
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        ui::user::CloseWindow(dialog_);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The focused button, else the OK button if the dialog has one.
        int target = -1;
        for (const auto& [id, control] : controls_)
            if (control.widget == focusWidget() && control.kind == ui::ControlKind::kPushButton)
                target = id;
        if (target == -1 && controls_.count(ui::kIdOk) != 0)
            target = ui::kIdOk;
        if (target != -1)
            Input([target](ui::Dialog& d) { ui::user::Click(d, target); });
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace talbex::qt
