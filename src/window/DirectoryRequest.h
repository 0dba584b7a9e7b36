#pragma once
// The directory the user asks the window to count, as the directory dialog holds it, and the
// program's side that opens it (the window does not know the back ends).

#include <memory>
#include <string>
#include <vector>

#include "engine/DirectoryClient.h"

namespace vantor {

struct DirectoryRequest {
    bool ldap = false;     // an LDAP server; otherwise an LDIF export
    std::string ldifPath;  // the export
    std::string uri;       // empty: the client configuration's server
    std::string base;      // empty: the server's naming contexts
    std::string bindName;  // empty: anonymous
    std::string password;  // asked for each time; the window never keeps it
    bool startTls = false;
    std::string profile = "auto";  // a built-in profile's name, or a profile file
    std::string filter;            // only objects it matches count; empty: all
};

class DirectoryOpener {
  public:
    virtual ~DirectoryOpener() = default;
    // The directory the program started with, as the dialog first shows it (no password).
    virtual DirectoryRequest Initial() const = 0;
    // The built-in class profiles to choose from (a profile file may be named instead).
    virtual std::vector<std::string> Profiles() const = 0;
    // Loads the export, or connects to the server and binds (so that a wrong password is
    // told now, not at the next count). Null with the cause in error when it cannot.
    virtual std::unique_ptr<DirectoryClient> Open(const DirectoryRequest& request,
                                                  std::string& error) = 0;
};

}  // namespace vantor
