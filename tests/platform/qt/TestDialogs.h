#pragma once
// Dialog objects for the platform tests: they record what the window tells them, and the
// helpers reach the modal window that is running.

#include <QApplication>
#include <functional>
#include <unordered_map>
#include <vector>

#include "platform/Dialog.h"
#include "platform/qt/QtDialogHost.h"

namespace vantor::test {

class RecordingDialog : public CDialog {
  public:
    RecordingDialog(int templateId, UiServices& ui) : CDialog(templateId, ui) {}

    bool OnInitDialog() override {
        ++inits;
        shownAtInit = Host() != nullptr && dynamic_cast<QtDialogHost*>(Host())->isVisible();
        const bool focus = CDialog::OnInitDialog();
        if (onInit) {
            onInit(*this);
        }
        return focus;
    }
    void OnCommand(int id) override {
        commands.push_back(id);
        if (const auto handler = handlers.find(id); handler != handlers.end()) {
            handler->second(*this);
            return;
        }
        CDialog::OnCommand(id);
    }
    // Like the main window: a cancel is noted and closes nothing, unless asked to.
    void OnCancel() override {
        ++cancels;
        if (endOnCancel) {
            CDialog::OnCancel();
        }
    }

    UiServices& Ui() { return m_ui; }

    int inits = 0;
    bool shownAtInit = false;
    int cancels = 0;
    bool endOnCancel = false;
    std::vector<int> commands;
    std::function<void(RecordingDialog&)> onInit;
    std::unordered_map<int, std::function<void(RecordingDialog&)>> handlers;
};

template <typename Window>
Window* ActiveModal() {
    return qobject_cast<Window*>(QApplication::activeModalWidget());
}

}  // namespace vantor::test
