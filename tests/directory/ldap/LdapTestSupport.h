#pragma once
// Small readers for the LDAP back end tests: LDIF makers, and the engine's ways of calling the
// directory (a whole listing, a whole search) with what came back batch by batch.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "directory/ldap/LdapDirectory.h"
#include "directory/ldap/LdapSettings.h"
#include "support/SlapdServer.h"

namespace vantor::test {

// An organizational unit entry; extra lines (e.g. "objectClass: partition") go in as they are.
std::string OuLdif(const std::string& dn, const std::string& ou,
                   const std::vector<std::string>& extra = {});
// count inetOrgPerson entries uid=<prefix><n> under parent.
std::string UsersLdif(const std::string& parent, const std::string& prefix, int count);

// Settings for the server, with a small page size so that batches are several.
LdapSettings SettingsFor(const SlapdServer& server, int pageSize = 10);

struct Listing {
    int result = 0;  // 0, or the first failing call's code
    std::vector<std::string> names;
    std::vector<std::uint32_t> flags;
    int batches = 0;
};
// Every batch of NWDSListContainers under name, each read with NWDSGetObjName.
Listing ListAll(DirectoryClient& dir, DirContext context, const std::string& name);

// A one-level search for a class under a base, batch by batch, as the engine makes it.
class SearchCursor {
  public:
    SearchCursor(DirectoryClient& dir, DirContext context, std::string base,
                 const std::string& className);
    ~SearchCursor();
    SearchCursor(const SearchCursor&) = delete;
    SearchCursor& operator=(const SearchCursor&) = delete;

    // The next batch: NWDSSearch, then NWDSGetObjCount into count. The first failing code.
    int Next(std::uint32_t& count);
    std::int32_t Handle() const { return handle_; }
    DirBuffer* Reply() const { return reply_; }

  private:
    DirectoryClient& dir_;
    DirContext context_;
    std::string base_;
    DirBuffer* reply_ = nullptr;
    DirBuffer* filter_ = nullptr;
    int setup_ = 0;  // the failing setup step's code
    std::int32_t handle_ = kNoIteration;
};

struct Search {
    int result = 0;
    std::uint32_t count = 0;
    int batches = 0;
    std::int32_t handle = kNoIteration;  // after the last call
};
// Every batch of a one-level search for className under base; maxBatches stops early, leaving
// the handle of the unfinished search.
Search SearchAll(DirectoryClient& dir, DirContext context, const std::string& base,
                 const std::string& className, int maxBatches = 1000);

struct NodeError {
    int code = 0;
    std::string name;  // the failed call's name
    std::string cause;
};

struct NodeResult {
    std::string fullName;
    std::int32_t count = 0;
    std::int32_t hasErrors = 0;
    int result = 0;
    std::vector<NodeError> errors;
    std::string dn;  // as ReadEntryDn gives it
};

// The Count command's loop over a context of its own: the root node, then every queued node
// first in, first out.
std::vector<NodeResult> RunEngine(DirectoryClient& dir, const char* className, bool byPartition);

// A port of 127.0.0.1 that refuses connections for as long as this object lives: bound, never
// listening, so no other program can take it meanwhile.
class ClosedPort {
  public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;
    std::string Uri() const { return "ldap://127.0.0.1:" + std::to_string(port_); }

  private:
    int fd_ = -1;
    int port_ = 0;
};

// Starts a server for a test suite; on failure the reason, and the tests skip (no slapd) or fail.
class ServerHolder {
  public:
    void Start(const SlapdOptions& options);
    void Stop() { server_.reset(); }
    // Call first in each test: GTEST_SKIP / FAIL when the server is not there.
    bool Ready() const { return server_ != nullptr; }
    const std::string& Error() const { return error_; }
    SlapdServer& operator*() const { return *server_; }
    SlapdServer* operator->() const { return server_.get(); }

  private:
    std::unique_ptr<SlapdServer> server_;
    std::string error_;
};

// The fixture of a test suite whose tests share one slapd, started with what Options gives
// before the first test and stopped after the last.
template <SlapdOptions (*Options)(), class Base = testing::Test>
class SlapdSuite : public Base {
  protected:
    static void SetUpTestSuite() { server_.Start(Options()); }
    static void TearDownTestSuite() { server_.Stop(); }

    static inline ServerHolder server_;
};

}  // namespace vantor::test

// Skips the test when slapd is not installed, fails it when the server did not start.
#define REQUIRE_SLAPD(holder)                                           \
    do {                                                                \
        if (!::vantor::test::SlapdServer::Unavailable().empty()) {      \
            GTEST_SKIP() << ::vantor::test::SlapdServer::Unavailable(); \
        }                                                               \
        ASSERT_TRUE((holder).Ready()) << (holder).Error();              \
    } while (false)
