#pragma once
// A private slapd for tests: a temporary folder with mdb databases loaded by slapadd, listening
// on a free port of 127.0.0.1 (and a unix socket when asked), stopped by its process id.
// Every wait is bounded; a server that does not come up is reported, never waited for.

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/LoopbackPort.h"

namespace vantor::test {

struct SlapdDatabase {
    enum class Glue {
        kSeparate,         // a database of its own whose suffix lies under the main one
        kGlued,            // "subordinate": one tree with the main database
        kGluedAdvertised,  // "subordinate advertise": also published in namingContexts
    };
    std::string suffix;
    Glue glue = Glue::kGluedAdvertised;
    std::string ldif;  // its entries, the suffix entry first
};

struct SlapdOptions {
    std::string suffix = "o=acme";
    std::vector<std::string>
        ldifFiles;     // names under tests/data/ldap, loaded into the main database
    std::string ldif;  // more entries for the main database
    std::vector<SlapdDatabase> subordinates;
    std::string sizeLimit = "unlimited";  // slapd's sizelimit setting
    std::string access;  // access lines placed before the default "access to * by * read"
    bool ldapi = false;  // also listen on a unix socket in the server's folder
    bool tls = false;    // StartTLS with a self-signed certificate for 127.0.0.1 (needs openssl)
};

class SlapdServer {
  public:
    static constexpr const char* kRootPassword = "secret";

    // Writes the configuration, loads the data and starts slapd. Null, with the reason in
    // error, when any step fails.
    static std::unique_ptr<SlapdServer> Start(const SlapdOptions& options, std::string& error);
    // Why no server can be started here ("" when slapd and slapadd are installed).
    static std::string Unavailable();

    ~SlapdServer();
    SlapdServer(const SlapdServer&) = delete;
    SlapdServer& operator=(const SlapdServer&) = delete;

    const std::string& Uri() const { return uri_; }  // ldap://127.0.0.1:PORT
    std::string LdapiUri() const;
    int Port() const { return port_.Port(); }
    pid_t Pid() const { return pid_; }
    const std::string& Folder() const { return folder_; }
    // The certificate a client has to trust for StartTLS (options.tls).
    std::string CaCertificate() const { return folder_ + "/server.pem"; }
    std::string RootDn() const { return "cn=admin," + suffix_; }

    // Ends slapd at once with SIGKILL, as a crash would.
    void Kill();
    // Stops (SIGSTOP, returning once slapd is stopped) and continues (SIGCONT) slapd: a server
    // that no longer answers.
    void Pause();
    void Resume();

  private:
    SlapdServer() = default;
    void Stop();

    std::string folder_;
    std::string suffix_;
    std::string uri_;
    ClaimedPort port_;  // ours until the server ends
    pid_t pid_ = -1;
};

// The path of a program found at configure time, "" when it was not found.
std::string OpensslProgram();

}  // namespace vantor::test
