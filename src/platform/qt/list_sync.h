// Shows a drop-down list's data in a QComboBox: its rows (appended where the shown rows
// are the start of the data's, rebuilt otherwise), its selection and its edit field,
// without the combo box reporting any of it as the user's doing.
#pragma once

#include <QComboBox>

#include "platform/ui/window.h"

namespace talbex::qt {

/// `withText`: also show the edit field's text (false while the user's typing is on
/// its way to the data).
void SyncList(QComboBox& box, const ui::Window& data, bool withText);

}  // namespace talbex::qt
