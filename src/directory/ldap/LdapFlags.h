#pragma once
// Command-line flags in the style of the OpenLDAP client tools, applied to LdapSettings:
//   -H URI        server(s); without it the client configuration's URI is used
//   -b BASE       the one top container to count from
//   -D BINDDN     bind as this entry
//   -w PASSWORD   password on the command line (better: -W or -y)
//   -W            prompt for the password (the program asks; see LdapFlagResult)
//   -y FILE       read the password from FILE (its whole contents; the program reads it)
//   -x            simple bind (the default)
//   -Y MECH       SASL bind with this mechanism
//   -U AUTHCID    SASL authentication identity
//   -Z / -ZZ      try StartTLS / require StartTLS
//   --profile NAME          auto, edirectory, generic or ad
//   --page-size N           objects per batch (default 1000)
//   --per-container         search container by container, not each partition's whole subtree
//   --timeout SECONDS       limit for each server operation (default 30)
//   --network-timeout SECONDS  limit for connecting (default 30)
// A flag's value may follow as the next argument or be attached (-Hldap://..., --profile=ad).

#include <string>
#include <vector>

#include "directory/ldap/LdapSettings.h"

namespace vantor {

struct LdapFlagResult {
    std::vector<std::string> rest;  // arguments that are not LDAP flags, in their order
    std::string error;              // empty when every LDAP flag was good; names the flag
    bool namesServer = false;       // a connection flag was given (anything but --profile)
    bool askPassword = false;       // -W: the password is to be asked for
    std::string passwordFile;       // -y: the password is to be read from this file
};

// Applies the LDAP flags among args to settings. On error, settings may be partly changed.
LdapFlagResult ApplyLdapFlags(const std::vector<std::string>& args, LdapSettings& settings);

}  // namespace vantor
