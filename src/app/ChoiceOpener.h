#pragma once
// Opens the directories the user chooses in the window, starting from the one the command line
// chose: an LDIF export is loaded with the loading splash, an LDAP server is connected and bound
// to at once, with the command line's other LDAP settings (timeouts, page size, SASL).

#include <string>
#include <vector>

#include "directory/source/DirectorySource.h"
#include "window/DirectoryRequest.h"

namespace vantor {

class ChoiceOpener : public DirectoryOpener {
  public:
    explicit ChoiceOpener(DirectoryChoice start) : start_(std::move(start)) {}

    // The command line's choice; the server and base the client configuration names where it
    // leaves them open.
    DirectoryRequest Initial() const override;
    std::vector<std::string> Profiles() const override;
    std::unique_ptr<DirectoryClient> Open(const DirectoryRequest& request,
                                          std::string& error) override;

    // The choice a request stands for.
    DirectoryChoice ChoiceFor(const DirectoryRequest& request) const;

  private:
    DirectoryChoice start_;
};

}  // namespace vantor
