#pragma once
// OpenLDAP's command-line clients run by tests against their private servers: ldapmodify to
// load and change a server, ldapsearch to learn what the server itself says.

#include <string>
#include <vector>

namespace vantor::test {

// Who a tool binds as. An empty bindDn binds anonymously; passwordFile holds the password
// alone (read with -y, so it never shows on a command line).
struct LdapLogin {
    std::string uri;
    std::string bindDn;
    std::string passwordFile;
};

// Writes the password alone into a file only its owner may read, for -y. False when it could
// not be written.
bool WritePasswordFile(const std::string& path, const std::string& password);

// ldapmodify -a: applies an LDIF file (records without a changetype are additions), logging to
// logFile. "" or why it failed.
std::string ApplyLdif(const LdapLogin& login, const std::string& ldifFile,
                      const std::string& logFile);

// The values of one attribute ("dn" for the DNs) of every entry an ldapsearch finds, with paging
// so that a server's size limit does not cut the answer short. Fails the calling test when
// ldapsearch fails or prints a value it had to encode.
std::vector<std::string> LdapsearchValues(const LdapLogin& login, const std::string& base,
                                          const std::string& scope, const std::string& filter,
                                          const std::string& attribute,
                                          const std::string& workFolder);

// Why the tools cannot run here ("" when ldapmodify and ldapsearch are installed).
std::string LdapToolsUnavailable();

}  // namespace vantor::test
