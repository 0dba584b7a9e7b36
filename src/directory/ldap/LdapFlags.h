#pragma once
// Command-line flags in the style of the OpenLDAP client tools, applied to LdapSettings:
//   -H URI        server(s); without it the client configuration's URI is used
//   -b BASE       the one top container to count from
//   -D BINDDN     bind as this entry
//   -w PASSWORD   password on the command line (better: -W or -y)
//   -W            prompt for the password
//   -y FILE       read the password from FILE (its whole contents)
//   -x            simple bind (the default)
//   -Y MECH       SASL bind with this mechanism
//   -U AUTHCID    SASL authentication identity
//   -Z / -ZZ      try StartTLS / require StartTLS
//   --profile NAME          auto, edirectory, generic or ad
//   --page-size N           objects per batch (default 1000)
//   --timeout SECONDS       limit for each server operation (default 30)
//   --network-timeout SECONDS  limit for connecting (default 30)
// A flag's value may follow as the next argument or be attached (-Hldap://..., --profile=ad).

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "directory/ldap/LdapSettings.h"

namespace vantor {

// Asks the user for a password; nullopt when none was entered (no terminal, cancelled).
using PasswordPrompt = std::function<std::optional<std::string>(std::string_view prompt)>;

struct LdapFlagResult {
    std::vector<std::string> rest;  // arguments that are not LDAP flags, in their order
    std::string error;              // empty when every LDAP flag was good; names the flag
    bool namesServer = false;       // a connection flag was given (anything but --profile)
};

// Applies the LDAP flags among args to settings. -W calls prompt once, after all flags are read
// and only when they are all good. On error, settings may be partly changed.
LdapFlagResult ApplyLdapFlags(const std::vector<std::string>& args, LdapSettings& settings,
                              const PasswordPrompt& prompt);

}  // namespace vantor
