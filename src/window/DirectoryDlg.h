#pragma once
// The directory dialog: an LDIF export (typed or chosen with Browse...) or an LDAP server
// (URI, base, bind name, password, StartTLS), and for either the class profile (a built-in one,
// or a profile file typed or chosen with its Browse...) and a filter.

#include <string>
#include <vector>

#include "platform/Dialog.h"
#include "window/DirectoryRequest.h"

namespace vantor {

class CDirectoryDlg : public CDialog {
  public:
    CDirectoryDlg(UiServices& ui, DirectoryRequest request, std::vector<std::string> profiles);

    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void DoDataExchange(bool save) override;
    // OK only with an export named when an export is chosen.
    void OnOK() override;

    // What the dialog shows at the start and what the user chose after OK.
    DirectoryRequest m_request;

  private:
    // The fields of the kind not chosen are greyed.
    void EnableFields();

    std::vector<std::string> m_profiles;
};

}  // namespace vantor
