#pragma once
// A private Samba Active Directory domain controller for tests: a domain provisioned into a
// temporary folder, serving LDAP only (no SMB, DNS, NetBIOS or Kerberos) on 127.0.0.1, loaded
// with ldapmodify as the domain's Administrator, stopped by its process id and removed with its
// folder. Every wait is bounded.
//
// Samba's LDAP ports are fixed (389 and the global catalog's 3268), so one instance runs on a
// machine at a time: a lock file shared by every test process of the machine serialises them.
//
// Provisioning takes from 20 seconds to a minute. With VANTOR_SERVER_CACHE naming a folder,
// the first start provisions and loads into it, stopped, and every later start with the same
// LDIF files copies that domain instead (one CI run provisions once for all its builds).

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "support/LdapTools.h"
#include "support/LoopbackPort.h"

namespace vantor::test {

class SambaAdServer {
  public:
    static constexpr const char* kRealm = "CORP.EXAMPLE";
    static constexpr const char* kDomain = "CORP";
    static constexpr const char* kBaseDn = "DC=corp,DC=example";
    static constexpr const char* kAdministrator = "Administrator@corp.example";
    static constexpr const char* kAdminPassword = "Vantor-AD-test-1";

    // Provisions (or copies from the cache) a domain, starts Samba and applies the LDIF files
    // in order. Null, with the reason in error, when any step fails.
    static std::unique_ptr<SambaAdServer> Start(const std::vector<std::string>& ldifFiles,
                                                std::string& error);
    // Why no domain controller can run here ("" when Samba's AD DC is installed).
    static std::string Unavailable();

    ~SambaAdServer();
    SambaAdServer(const SambaAdServer&) = delete;
    SambaAdServer& operator=(const SambaAdServer&) = delete;

    const std::string& Uri() const { return login_.uri; }  // ldap://127.0.0.1:389
    const LdapLogin& AdminLogin() const { return login_; }
    pid_t Pid() const { return pid_; }

  private:
    SambaAdServer() = default;
    bool Provision(const std::vector<std::string>& ldifFiles, std::string& error);
    bool Run(std::string& error);
    void Stop();

    std::string folder_;  // the temporary folder; the domain is in folder_/domain
    LdapLogin login_;
    MachineLock ports_;  // 127.0.0.1:389 and :3268 are ours while held
    pid_t pid_ = -1;
};

}  // namespace vantor::test
