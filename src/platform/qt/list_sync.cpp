#include "platform/qt/list_sync.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace talbex::qt {

void SyncList(QComboBox& box, const ui::Window& data, bool withText) {
    const QSignalBlocker quiet(box);
    // What the user sees typed stays unless the data's text is to be shown.
    const QString shown = box.lineEdit() != nullptr ? box.lineEdit()->text() : QString();
    const int count = std::max(0, data.GetCount());
    int same = 0;
    while (same < box.count() && same < count &&
           box.itemText(same).toStdString() == data.GetLBText(same))
        ++same;
    if (same != box.count()) {
        box.clear();
        same = 0;
    }
    for (int row = same; row < count; ++row)
        box.addItem(QString::fromStdString(data.GetLBText(row)));
    const int selection = data.GetCurSel();
    if (box.currentIndex() != selection)
        box.setCurrentIndex(selection);
    // The edit field may show a text that is no row's (a current value set directly).
    const QString text = withText ? QString::fromStdString(data.GetWindowText()) : shown;
    if (box.lineEdit() != nullptr && box.lineEdit()->text() != text)
        box.lineEdit()->setText(text);
}

}  // namespace talbex::qt
