// What a user does to a dialog, as entry points that change the controls and produce the
// same notifications as real input: a script driver or a desktop backend calls these.
// Each refuses (answers false) what a user could not do: act on a control that is
// missing, hidden or disabled, or of the wrong kind.
//
// Threads: the actions run on the dialog's window thread. From another thread, use
// RunOnWindowThread to queue them there and WaitUntilIdle to let them take effect.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "platform/ui/dialog.h"
#include "platform/ui/keys.h"

namespace talbex::ui::user {

/// Clicks a push button (its own object or the dialog gets kBnClicked), a check box (its
/// mark turns over first) or a picture frame (kStnClicked).
bool Click(Dialog& dialog, int controlId);
/// Double-clicks a picture frame: kStnDblClk.
bool DoubleClick(Dialog& dialog, int controlId);
/// Presses a key on the window: the dialog's accelerator for it (dialog_template.h)
/// clicks its button or check box, which must be enabled but need not be visible (the
/// key belongs to the window), or sends its command. False when the window has no
/// accelerator for the key or its button is disabled.
bool PressKey(Dialog& dialog, Key key);
/// Picks a row of a drop-down list: it becomes the selection and its text fills the edit
/// field, then kCbnSelChange. Picking the row already selected notifies again, as a
/// user's pick does.
bool PickRow(Dialog& dialog, int controlId, int index);
bool PickRow(Dialog& dialog, int controlId, const std::string& label);
/// Types into an edit field (replacing its text), or into a list's edit field.
bool TypeText(Dialog& dialog, int controlId, const std::string& text);
/// The window's close box: posts kWmClose. Any thread.
bool CloseWindow(Dialog& dialog);

/// Whether a user could act on the control now: it exists, is shown and enabled, and so
/// is the dialog. Window thread.
bool CanUse(Dialog& dialog, int controlId);

/// Queues `action` to run on the dialog's window thread; false when it is not running.
bool RunOnWindowThread(Dialog& dialog, std::function<void()> action);
/// Waits until the dialog's window thread has nothing left to do; false on time-out or
/// when the dialog is not running (any more).
bool WaitUntilIdle(Dialog& dialog, std::chrono::milliseconds timeout);

}  // namespace talbex::ui::user
