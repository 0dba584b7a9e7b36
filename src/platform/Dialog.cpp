#include "platform/Dialog.h"

#include "platform/ResourceIds.h"

namespace vantor {

CDialog::CDialog(int templateId, UiServices& ui) : m_ui(ui), m_templateId(templateId) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
    return m_ui.RunModal(*this);
}

bool CDialog::OnInitDialog() {
    DoDataExchange(false);
    return true;
}

void CDialog::OnCommand(int id) {
    if (id == res::IDOK) {
        OnOK();
    } else if (id == res::IDCANCEL) {
        OnCancel();
    }
}

void CDialog::OnOK() {
    DoDataExchange(true);
    EndDialog(res::IDOK);
}

void CDialog::OnCancel() {
    EndDialog(res::IDCANCEL);
}

void CDialog::DoDataExchange(bool) {}

void CDialog::EndDialog(int result) {
    if (m_host != nullptr) {
        m_host->EndDialog(result);
    }
}

}  // namespace vantor
