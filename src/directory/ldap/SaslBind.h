#pragma once
// SASL bind without a terminal: the mechanism's questions are answered from the settings.

#include <string>

struct ldap;

namespace vantor {

// Binds with the SASL mechanism; authcid and password answer the mechanism's questions where it
// asks them (EXTERNAL and GSSAPI ask none). Returns the LDAP result code.
int SaslBind(struct ldap* ld, const std::string& mechanism, const std::string& authcid,
             const std::string& password);

}  // namespace vantor
