#include "window/DirectoryDlg.h"

#include "platform/ResourceIds.h"

namespace vantor {

namespace {
constexpr int kLdapFields[] = {res::IDC_DIR_URI, res::IDC_DIR_BASE, res::IDC_DIR_BIND_NAME,
                               res::IDC_DIR_PASSWORD, res::IDC_DIR_STARTTLS};
constexpr const char* kLdifFilter = "LDIF Files (*.ldif)|*.ldif|All Files (*)|*||";
constexpr const char* kProfileFilter = "Profiles (*.profile)|*.profile|All Files (*)|*||";
}  // namespace

CDirectoryDlg::CDirectoryDlg(UiServices& ui, DirectoryRequest request,
                             std::vector<std::string> profiles)
    : CDialog(res::IDD_DIRECTORY, ui),
      m_request(std::move(request)),
      m_profiles(std::move(profiles)) {}

bool CDirectoryDlg::OnInitDialog() {
    m_host->SetListItems(res::IDC_DIR_PROFILE, m_profiles);
    CDialog::OnInitDialog();
    EnableFields();
    return true;
}

void CDirectoryDlg::DoDataExchange(bool save) {
    if (save) {
        m_request.ldap = m_host->Check(res::IDC_DIR_LDAP) != 0;
        m_request.ldifPath = m_host->ControlText(res::IDC_DIR_FILE);
        m_request.uri = m_host->ControlText(res::IDC_DIR_URI);
        m_request.base = m_host->ControlText(res::IDC_DIR_BASE);
        m_request.bindName = m_host->ControlText(res::IDC_DIR_BIND_NAME);
        m_request.password = m_host->ControlText(res::IDC_DIR_PASSWORD);
        m_request.startTls = m_host->Check(res::IDC_DIR_STARTTLS) != 0;
        m_request.profile = m_host->ControlText(res::IDC_DIR_PROFILE);
        m_request.filter = m_host->ControlText(res::IDC_DIR_FILTER);
        return;
    }
    m_host->SetCheck(res::IDC_DIR_LDIF, m_request.ldap ? 0 : 1);
    m_host->SetCheck(res::IDC_DIR_LDAP, m_request.ldap ? 1 : 0);
    m_host->SetControlText(res::IDC_DIR_FILE, m_request.ldifPath);
    m_host->SetControlText(res::IDC_DIR_URI, m_request.uri);
    m_host->SetControlText(res::IDC_DIR_BASE, m_request.base);
    m_host->SetControlText(res::IDC_DIR_BIND_NAME, m_request.bindName);
    m_host->SetControlText(res::IDC_DIR_PASSWORD, m_request.password);
    m_host->SetCheck(res::IDC_DIR_STARTTLS, m_request.startTls ? 1 : 0);
    m_host->SetControlText(res::IDC_DIR_PROFILE, m_request.profile);
    m_host->SetControlText(res::IDC_DIR_FILTER, m_request.filter);
}

void CDirectoryDlg::OnCommand(int id) {
    switch (id) {
        case res::IDC_DIR_LDIF:
        case res::IDC_DIR_LDAP:
            EnableFields();
            break;
        case res::IDC_DIR_BROWSE:
            if (auto path = m_ui.GetOpenFileName(kLdifFilter)) {
                m_host->SetControlText(res::IDC_DIR_FILE, *path);
            }
            break;
        case res::IDC_DIR_PROFILE_BROWSE:
            if (auto path = m_ui.GetOpenFileName(kProfileFilter)) {
                m_host->SetControlText(res::IDC_DIR_PROFILE, *path);
            }
            break;
        default:
            CDialog::OnCommand(id);
    }
}

void CDirectoryDlg::OnOK() {
    if (m_host->Check(res::IDC_DIR_LDIF) != 0 && m_host->ControlText(res::IDC_DIR_FILE).empty()) {
        m_ui.MessageBox("Name the LDIF export to count.");
        m_host->FocusControl(res::IDC_DIR_FILE);
        return;
    }
    CDialog::OnOK();
}

void CDirectoryDlg::EnableFields() {
    const bool ldap = m_host->Check(res::IDC_DIR_LDAP) != 0;
    m_host->EnableControl(res::IDC_DIR_FILE, !ldap);
    m_host->EnableControl(res::IDC_DIR_BROWSE, !ldap);
    for (const int id : kLdapFields) {
        m_host->EnableControl(id, ldap);
    }
}

}  // namespace vantor
