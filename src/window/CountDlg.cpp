#include "window/CountDlg.h"

#include "engine/ObjectKinds.h"
#include "platform/ResourceIds.h"
#include "report/PrintedReport.h"
#include "report/ReportDate.h"
#include "report/SaveFile.h"
#include "report/TextReport.h"
#include "tree/VisibleText.h"
#include "window/Dialogs.h"
#include "window/DirectoryDlg.h"
#include "window/WindowRunHost.h"

namespace vantor {

std::int32_t g_cancelRequested = 0;

namespace {
constexpr const char* kDiscardQuestion = "The count has not been saved. Quit and discard it?";
constexpr int kKindRadios[] = {res::IDC_USERS, res::IDC_SERVERS, res::IDC_GROUPS,
                               res::IDC_PARTITIONS};
constexpr int kTreeImageWidth = 12;
}  // namespace

CCountDlg::CCountDlg(UiServices& ui, DirectoryClient& directory, PrintService& printers,
                     DirectoryOpener* opener)
    : CDialog(res::IDD_MAIN, ui),
      CTreeWalk(m_tree),
      m_directory(&directory),
      m_printers(printers),
      m_opener(opener) {
    m_tree.onSelectionChanged = [this](HTREEITEM selected) { OnSelChangedTree(selected); };
}

CCountDlg::~CCountDlg() = default;

void CCountDlg::DoDataExchange(bool save) {
    if (save) {
        m_currentContainer = m_host->ControlText(res::IDC_CURRENT_CONTAINER);
        m_countByContainer = m_host->Check(res::IDC_BY_CONTAINER);
    } else {
        m_host->SetControlText(res::IDC_CURRENT_CONTAINER, m_currentContainer);
        m_host->SetCheck(res::IDC_BY_CONTAINER, m_countByContainer);
    }
}

bool CCountDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_host->SetIcon(res::IDI_MAIN);
    m_host->EnableControl(res::IDCANCEL, false);
    m_host->EnableControl(res::IDC_PRINT, false);
    m_host->EnableControl(res::IDC_SAVE, false);
    m_host->SetCheck(res::IDC_USERS, 1);
    m_host->EnableControl(res::IDC_CURRENT_LABEL, false);
    m_host->AttachTree(res::IDC_TREE, m_tree, res::IDB_TREE_IMAGES, kTreeImageWidth);
    m_host->SetTreeIndent(res::IDC_TREE, m_host->TreeIndent(res::IDC_TREE) / 2);
    m_host->EnableControl(res::IDC_DIRECTORY, m_opener != nullptr);
    ShowDirectory();
    g_cancelRequested = 0;
    CSplashDlg splash(m_ui);
    splash.DoModal();
    return true;
}

void CCountDlg::OnCommand(int id) {
    switch (id) {
        case res::IDC_COUNT:
            OnCount();
            break;
        case res::IDC_PRINT:
            OnPrint();
            break;
        case res::IDC_SAVE:
            OnSave();
            break;
        case res::IDC_BY_CONTAINER:
            OnCountByContainer();
            break;
        case res::IDC_ABOUT:
            OnAbout();
            break;
        case res::IDC_DIRECTORY:
            OnDirectory();
            break;
        default:
            CDialog::OnCommand(id);
    }
}

void CCountDlg::OnOK() {
    if (m_unsavedResults != 0 && !m_ui.AskYesNo(kDiscardQuestion)) {
        return;
    }
    CDialog::OnOK();
}

void CCountDlg::OnCancel() {
    if (m_running) {
        g_cancelRequested = 1;
    }
}

void CCountDlg::SetRunning(bool running) {
    m_running = running;
    m_host->EnableControl(res::IDC_COUNT, !running);
    m_host->EnableControl(res::IDOK, !running);
    m_host->EnableControl(res::IDCANCEL, running);
    m_host->EnableControl(res::IDC_PRINT, !running);
    m_host->EnableControl(res::IDC_ABOUT, !running);
    m_host->EnableControl(res::IDC_DIRECTORY, !running && m_opener != nullptr);
    m_host->EnableControl(res::IDC_CURRENT_CONTAINER, running);
    m_host->EnableControl(res::IDC_CURRENT_LABEL, running);
    m_host->EnableControl(res::IDC_SAVE, !running && m_unsavedResults != 0);
}

std::string CCountDlg::ReadObjectKind() {
    for (std::size_t kind = 0; kind < std::size(kKindRadios); ++kind) {
        if (m_host->Check(kKindRadios[kind]) != 0) {
            m_objectKind = static_cast<std::int32_t>(kind);
            break;
        }
    }
    return std::string(kKindClassNames.at(static_cast<std::size_t>(m_objectKind)));
}

void CCountDlg::OnCountByContainer() {
    m_countByContainer = m_host->Check(res::IDC_BY_CONTAINER);
}

void CCountDlg::OnAbout() {
    CAboutDlg about(m_ui);
    about.DoModal();
}

void CCountDlg::ShowDirectory() {
    // Until a count shows where it is, the container field says what will be counted.
    m_host->SetControlText(res::IDC_CURRENT_CONTAINER,
                           "Directory: " + VisibleText(m_directory->Description()));
}

void CCountDlg::OnDirectory() {
    if (m_opener == nullptr) {
        return;
    }
    if (!m_directoryRequest) {
        m_directoryRequest = m_opener->Initial();
    }
    CDirectoryDlg dialog(m_ui, *m_directoryRequest, m_opener->Profiles());
    if (dialog.DoModal() != res::IDOK) {
        return;
    }
    DirectoryRequest request = std::move(dialog.m_request);
    std::string error;
    m_ui.BeginWaitCursor();
    std::unique_ptr<DirectoryClient> opened = m_opener->Open(request, error);
    m_ui.EndWaitCursor();
    request.password.clear();
    // Shown again next time, also after a failure, so that a typing error is mended there.
    m_directoryRequest = std::move(request);
    if (!opened) {
        m_ui.MessageBox("The directory could not be opened.\n\n" + error);
        return;  // the directory counted stays the one before
    }
    m_chosenDirectory = std::move(opened);
    m_directory = m_chosenDirectory.get();
    ShowDirectory();
}

void CCountDlg::OnCount() {
    if (m_showNotice == 1) {
        CNoticeDlg notice(m_ui);
        if (notice.DoModal() != res::IDOK) {
            return;
        }
        m_showNotice = notice.m_dontShowAgain == 0 ? 1 : 0;
    }
    // The totals of the previous count go with it.
    m_host->SetControlText(res::IDC_TOTAL, "");
    m_host->SetControlText(res::IDC_BRANCH_TOTAL, "");
    const bool countHadFocus = m_host->FocusedControl() == res::IDC_COUNT;
    SetRunning(true);
    // Count is disabled while the run goes, so the focus moved on, to where a Space would
    // change the counting mode; unless the user moved it since, it comes back.
    const int focusWhileRunning = m_host->FocusedControl();
    WindowRunHost host(*this, m_ui);
    const CountRunOutcome outcome = RunCount(*m_directory, m_tree, host, m_countByContainer != 0);
    if (outcome == CountRunOutcome::kFinished || outcome == CountRunOutcome::kRunCancelled) {
        m_unsavedResults = 1;
    }
    SetRunning(false);
    if (countHadFocus && m_host->FocusedControl() == focusWhileRunning) {
        m_host->FocusControl(res::IDC_COUNT);
    }
}

void CCountDlg::OnSave() {
    const auto path = m_ui.GetSaveFileName("vantor.txt", "txt", "Text Files (*.txt)|*.txt||");
    if (!path) {
        return;
    }
    const std::string report = BuildTextReport(m_tree, *this, m_objectKind, FormatReportDate());
    if (auto error = SaveFileReplacing(*path, report)) {
        m_depth = 0;
        m_ui.MessageBox(*error);
        return;
    }
    m_unsavedResults = 0;
    SetRunning(false);
}

void CCountDlg::OnPrint() {
    std::unique_ptr<PrintDevice> device = m_printers.ChoosePrinter();
    if (!device) {
        return;
    }
    if (auto error = PrintAndDeliver(*device, m_tree, *this, m_objectKind, FormatReportDate())) {
        m_ui.MessageBox(*error);
    }
}

void CCountDlg::OnSelChangedTree(HTREEITEM selected) {
    if (selected == 0) {
        return;  // no item to read; the field keeps its text
    }
    if (m_host != nullptr && m_host->HasControl(res::IDC_BRANCH_TOTAL)) {
        m_host->SetControlText(res::IDC_BRANCH_TOTAL, std::to_string(BranchTotal(selected)));
    }
}

int CCountDlg::IsCancelled() {
    return g_cancelRequested == 1 ? 1 : 0;
}

int CCountDlg::PumpMessages() {
    if (m_pumpPacer.Due()) {
        m_pumpResult = m_ui.PumpMessages();
    }
    return m_pumpResult;
}

int CCountDlg::ShowProgress(const char* text) {
    if (text != nullptr && m_host != nullptr) {
        m_host->SetControlText(res::IDC_CURRENT_CONTAINER, VisibleText(text));
    }
    PumpMessages();
    return 1;
}

}  // namespace vantor
