#pragma once
// One widget for each kind of template control.

#include <QWidget>

#include "platform/DialogTemplate.h"

namespace vantor {

// The control's widget, a child of parent, not yet placed. Tree views come out empty; radio
// grouping, placement and commands are the dialog's business.
QWidget* CreateControl(const ControlTemplate& control, QWidget* parent);

}  // namespace vantor
