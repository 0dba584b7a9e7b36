#include "window/Dialogs.h"

#include "platform/ResourceIds.h"

namespace vantor {

CSplashDlg::CSplashDlg(UiServices& ui) : CDialog(res::IDD_SPLASH, ui) {}

CAboutDlg::CAboutDlg(UiServices& ui) : CDialog(res::IDD_ABOUT, ui) {}

CNoticeDlg::CNoticeDlg(UiServices& ui) : CDialog(res::IDD_NOTICE, ui) {}

bool CNoticeDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_host->HasControl(res::IDC_DONT_SHOW) && m_allowDontShow == 0) {
        m_host->EnableControl(res::IDC_DONT_SHOW, false);
    }
    return true;
}

void CNoticeDlg::DoDataExchange(bool save) {
    if (save) {
        m_dontShowAgain = m_host->Check(res::IDC_DONT_SHOW);
    } else {
        m_host->SetCheck(res::IDC_DONT_SHOW, m_dontShowAgain);
    }
}

}  // namespace vantor
