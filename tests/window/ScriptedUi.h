#pragma once
// Windowing services that answer the program's dialogs the way a user would, without a modal
// loop: each dialog is built and started for real, its buttons are clicked, and what it showed
// is noted. Message boxes and the save-file dialog are answered from the script.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/QtUiServices.h"

namespace vantor::test {

enum class NoticeAnswer { kOk, kTickAndOk, kCancel, kTickAndCancel };

class ScriptedUi : public QtUiServices {
  public:
    int RunModal(CDialog& dialog) override;
    void MessageBox(const std::string& text) override { messages.push_back(text); }
    // Answers from yesNoAnswers, No when none is left.
    bool AskYesNo(const std::string& question) override;
    std::optional<std::string> GetSaveFileName(const std::string& defaultName,
                                               const std::string& defaultExtension,
                                               const std::string& filter) override;
    std::optional<std::string> GetOpenFileName(const std::string& filter) override;
    // Counts the call and runs onPump before the events are dispatched, so that whatever
    // onPump queues (a click on Cancel) arrives through this very pump.
    int PumpMessages() override;

    // Script. The notice is answered with OK when no answer is left.
    std::deque<NoticeAnswer> noticeAnswers;
    std::optional<std::string> savePath;
    std::deque<bool> yesNoAnswers;
    std::function<void(int pumpNumber)> onPump;
    std::optional<std::string> openPath;
    // Fills in the directory dialog and clicks its buttons; without it the dialog is
    // cancelled. What the dialog showed at its start is noted in directoryShown.
    std::function<void(QtDialogHost& dialog)> onDirectoryDialog;

    // What the program showed.
    int splashShown = 0;
    int otherWindowsVisibleAtSplash = 0;
    int aboutShown = 0;
    int noticeShown = 0;
    bool noticeBoxEnabled = false;
    bool noticeBoxClearAtOpen = false;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    struct SaveRequest {
        std::string defaultName;
        std::string defaultExtension;
        std::string filter;
    };
    std::vector<SaveRequest> saveRequests;
    struct ShownDirectory {
        bool ldap = false;
        std::string file, uri, base, bindName, password, profile;
        bool fileEnabled = false;
        bool uriEnabled = false;
    };
    std::vector<ShownDirectory> directoryShown;
    int pumps = 0;
};

}  // namespace vantor::test
