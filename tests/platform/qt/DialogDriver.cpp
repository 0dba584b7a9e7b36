#include "DialogDriver.h"

#include <QAbstractButton>

namespace vantor::test {

std::unique_ptr<QtDialogHost> ShowDialog(QtUiServices& ui, CDialog& dialog) {
    std::unique_ptr<QtDialogHost> host = ui.StartDialog(dialog, nullptr);
    if (host != nullptr && !host->Ended()) {
        host->show();
    }
    return host;
}

void Click(const QtDialogHost& host, int id) {
    // click() itself ignores a disabled button, as a user's click would be.
    if (auto* button = qobject_cast<QAbstractButton*>(host.Control(id))) {
        button->click();
    }
}

bool Enabled(const QtDialogHost& host, int id) {
    const QWidget* widget = host.Control(id);
    return widget != nullptr && widget->isEnabledTo(&host);
}

}  // namespace vantor::test
