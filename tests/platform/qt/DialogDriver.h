#pragma once
// Drives a dialog's window as a user would, without a modal loop: the window is started up and
// shown, its buttons are clicked and their states read through the widgets themselves.

#include <memory>

#include "platform/qt/QtDialogHost.h"
#include "platform/qt/QtUiServices.h"

namespace vantor::test {

// The dialog's window, started up and shown unless it ended during its start-up; null for a
// dialog without a template. The dialog stays attached until the host is destroyed.
std::unique_ptr<QtDialogHost> ShowDialog(QtUiServices& ui, CDialog& dialog);
// A click on the control: nothing for a disabled button or an unknown id.
void Click(const QtDialogHost& host, int id);
// Whether the control takes input (false for an unknown id).
bool Enabled(const QtDialogHost& host, int id);

}  // namespace vantor::test
