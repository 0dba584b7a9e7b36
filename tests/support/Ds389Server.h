#pragma once
// A private 389 Directory Server for tests: an instance made from the package's own template
// configuration in a temporary folder (nothing under /etc or /var), listening on a free port of
// 127.0.0.1 only, loaded with ldapmodify as Directory Manager, stopped by its process id and
// removed with its folder. Every wait is bounded.

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "support/LdapTools.h"
#include "support/LoopbackPort.h"

namespace vantor::test {

class Ds389Server {
  public:
    static constexpr const char* kRootDn = "cn=Directory Manager";
    static constexpr const char* kRootPassword = "Vantor-389-test";

    // Makes an empty instance (no back end), starts it and applies the LDIF files in order
    // (back ends and mapping-tree entries under cn=config come first in them). Null, with the
    // reason in error, when any step fails.
    static std::unique_ptr<Ds389Server> Start(const std::vector<std::string>& ldifFiles,
                                              std::string& error);
    // Why no instance can be made here ("" when 389 Directory Server is installed).
    static std::string Unavailable();

    ~Ds389Server();
    Ds389Server(const Ds389Server&) = delete;
    Ds389Server& operator=(const Ds389Server&) = delete;

    const std::string& Uri() const { return login_.uri; }  // ldap://127.0.0.1:PORT
    // Directory Manager, whose searches no size or look-through limit bounds.
    const LdapLogin& RootLogin() const { return login_; }
    LdapLogin AnonymousLogin() const { return {login_.uri, "", ""}; }
    // Applies an LDIF file as Directory Manager; "" or why it failed.
    std::string Apply(const std::string& ldifFile) const;
    pid_t Pid() const { return pid_; }

  private:
    Ds389Server() = default;
    bool MakeInstance(std::string& error);

    std::string folder_;
    LdapLogin login_;
    ClaimedPort port_;
    pid_t pid_ = -1;
};

}  // namespace vantor::test
