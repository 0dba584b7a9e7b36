#include "app/CountApp.h"

#include "window/CountDlg.h"

namespace vantor {

bool CCountApp::InitInstance() {
    CCountDlg window(m_ui, m_directory, m_printers, &m_opener);
    m_pMainWnd = &window;
    window.DoModal();
    m_pMainWnd = nullptr;
    return false;
}

}  // namespace vantor
