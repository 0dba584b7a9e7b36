#pragma once
// The windowing services over Qt Widgets: dialogs from templates run modally, the message box,
// the save-file dialog, the busy cursor and the message pump. Tests derive from it and answer
// the dialogs they expect in the overrides.

#include <memory>

#include "platform/Dialog.h"
#include "platform/qt/QtDialogHost.h"

namespace vantor {

class QtUiServices : public UiServices {
  public:
    // Needs the QApplication to exist already. From now on the process writes no Qt settings,
    // and every window it opens uses the main window's font.
    QtUiServices();
    ~QtUiServices() override;
    QtUiServices(const QtUiServices&) = delete;
    QtUiServices& operator=(const QtUiServices&) = delete;

    // Builds the dialog's window, runs its start-up before the window is first shown, runs
    // it modally and returns what EndDialog was given; -1 for a dialog without a template.
    int RunModal(CDialog& dialog) override;
    // The dialog's window, built and started up (the focus placed when the start-up asks for
    // it) but not shown: what RunModal runs. Null for a dialog without a template.
    std::unique_ptr<QtDialogHost> StartDialog(CDialog& dialog, QWidget* parent);

    void MessageBox(const std::string& text) override;
    bool AskYesNo(const std::string& question) override;
    std::optional<std::string> GetSaveFileName(const std::string& defaultName,
                                               const std::string& defaultExtension,
                                               const std::string& filter) override;
    std::optional<std::string> GetOpenFileName(const std::string& filter) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    int PumpMessages() override;

  private:
    class QuitWatch;

    std::unique_ptr<QuitWatch> quitWatch_;
    int waitCursors_ = 0;
};

}  // namespace vantor
