#include "ScriptedUi.h"

#include <QApplication>
#include <QWidget>

#include "platform/ResourceIds.h"
#include "platform/qt/DialogDriver.h"

namespace vantor::test {

namespace {

int VisibleTopLevelWindowsExcept(const QWidget* shown) {
    int visible = 0;
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != shown && widget->isVisible()) {
            ++visible;
        }
    }
    return visible;
}

}  // namespace

int ScriptedUi::RunModal(CDialog& dialog) {
    const std::unique_ptr<QtDialogHost> host = ShowDialog(*this, dialog);
    if (host == nullptr) {
        return -1;
    }
    switch (dialog.TemplateId()) {
        case res::IDD_SPLASH:
            ++splashShown;
            otherWindowsVisibleAtSplash = VisibleTopLevelWindowsExcept(host.get());
            test::Click(*host, res::IDOK);
            break;
        case res::IDD_ABOUT:
            ++aboutShown;
            test::Click(*host, res::IDOK);
            break;
        case res::IDD_NOTICE: {
            ++noticeShown;
            noticeBoxEnabled = test::Enabled(*host, res::IDC_DONT_SHOW);
            noticeBoxClearAtOpen = host->Check(res::IDC_DONT_SHOW) == 0;
            NoticeAnswer answer = NoticeAnswer::kOk;
            if (!noticeAnswers.empty()) {
                answer = noticeAnswers.front();
                noticeAnswers.pop_front();
            }
            if (answer == NoticeAnswer::kTickAndOk || answer == NoticeAnswer::kTickAndCancel) {
                test::Click(*host, res::IDC_DONT_SHOW);
            }
            const bool ok = answer == NoticeAnswer::kOk || answer == NoticeAnswer::kTickAndOk;
            test::Click(*host, ok ? res::IDOK : res::IDCANCEL);
            break;
        }
        case res::IDD_DIRECTORY: {
            directoryShown.push_back(
                {host->Check(res::IDC_DIR_LDAP) != 0, host->ControlText(res::IDC_DIR_FILE),
                 host->ControlText(res::IDC_DIR_URI), host->ControlText(res::IDC_DIR_BASE),
                 host->ControlText(res::IDC_DIR_BIND_NAME),
                 host->ControlText(res::IDC_DIR_PASSWORD), host->ControlText(res::IDC_DIR_PROFILE),
                 test::Enabled(*host, res::IDC_DIR_FILE), test::Enabled(*host, res::IDC_DIR_URI)});
            if (onDirectoryDialog) {
                onDirectoryDialog(*host);
            } else {
                test::Click(*host, res::IDCANCEL);
            }
            break;
        }
        default:
            break;
    }
    // A dialog that was not ended by its buttons would be waiting for a user.
    return host->Ended() ? host->result() : -1;
}

bool ScriptedUi::AskYesNo(const std::string& question) {
    questions.push_back(question);
    if (yesNoAnswers.empty()) {
        return false;
    }
    const bool yes = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return yes;
}

std::optional<std::string> ScriptedUi::GetSaveFileName(const std::string& defaultName,
                                                       const std::string& defaultExtension,
                                                       const std::string& filter) {
    saveRequests.push_back({defaultName, defaultExtension, filter});
    return savePath;
}

std::optional<std::string> ScriptedUi::GetOpenFileName(const std::string& /*filter*/) {
    return openPath;
}

int ScriptedUi::PumpMessages() {
    ++pumps;
    if (onPump) {
        onPump(pumps);
    }
    return QtUiServices::PumpMessages();
}

}  // namespace vantor::test
