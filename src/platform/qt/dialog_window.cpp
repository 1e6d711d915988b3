#include "platform/qt/dialog_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>

#include "platform/qt/list_sync.h"
#include "platform/qt/qt_icons.h"
#include "platform/qt/surface_view.h"
#include "platform/ui/dialog_units.h"
#include "platform/ui/user_input.h"

namespace talbex::qt {

namespace {

using What = ui::ChangeEvent::What;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// A closed drop-down list is one row high; its template height is that of the open list.
constexpr int kClosedListHeightUnits = 14;

}  // namespace

DialogWindow::DialogWindow(ui::Dialog& dialog, const PageServices& pages,
                           std::shared_ptr<GuiMailbox> mailbox, QWidget* parent)
    : QWidget(parent, Qt::Dialog), dialog_(dialog), pages_(pages), mailbox_(std::move(mailbox)) {
    const ui::DialogTemplate& t = dialog.Template();
    setFixedSize(ui::DialogUnitsToPixelsX(t.width), ui::DialogUnitsToPixelsY(t.height));
    // Created in template order, which Qt also takes as the tab order.
    for (const ui::ControlTemplate& control : t.controls) {
        QWidget* widget = MakeControl(control);
        ui::PixelRect r = ui::DialogUnitsToPixels(control.rect);
        if (control.kind == ui::ControlKind::kDropDownList)
            r.height = ui::DialogUnitsToPixelsY(kClosedListHeightUnits);
        widget->setGeometry(r.left, r.top, r.width, r.height);
        controls_[control.id] = ControlWidget{control.kind, widget};
    }
    SyncAll();
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
        case ui::ControlKind::kPicture:
            return new SurfaceView(this);
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
        case ui::ControlKind::kProgressBar:
            static_cast<QProgressBar*>(widget)->setValue(data.GetPos());
            break;
        case ui::ControlKind::kPicture:
        case ui::ControlKind::kWebBrowser:
            break;
    }
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
