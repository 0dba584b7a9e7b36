#pragma once
// What the back end keeps of a page: a listing's containers, a search batch's DNs, or only how
// many entries came.

#include <string>
#include <vector>

#include "directory/dn/Dn.h"
#include "directory/ldap/LdapBuffers.h"
#include "directory/ldap/PagedSearch.h"
#include "directory/ldap/PartitionRoots.h"

namespace vantor {

// One container of a listing: an entry, or an entry that refers to another server (a referral
// object, or a continuation reference in place of one).
struct ListedChild {
    Dn dn;
    std::vector<std::string> referralUrls;  // set for a referral
};

// Collects a listing's containers and learns their partition markers on the way. A referral
// object (read as an entry under the ManageDsaIT control) or a continuation reference stands
// for a container held by another server, which starts a partition there.
class ListingSink final : public PageSink {
  public:
    explicit ListingSink(PartitionRoots& roots) : roots_(roots) {}

    void Entry(struct ldap* ld, struct ldapmsg* entry) override;
    void Reference(const std::vector<std::string>& urls) override;

    std::vector<ListedChild> children;
    std::string badDn;  // the last DN that could not be read, if any

  private:
    PartitionRoots& roots_;
};

// Collects the DNs of a search batch; names are read from them only when asked for.
// References are left out (see LdapSession).
class SearchSink final : public PageSink {
  public:
    void Entry(struct ldap* ld, struct ldapmsg* entry) override;
    void Reference(const std::vector<std::string>& /*urls*/) override {}

    std::vector<BatchEntry> entries;
};

// Counts what a page brings and keeps nothing.
class CountingSink final : public PageSink {
  public:
    void Entry(struct ldap* /*ld*/, struct ldapmsg* /*entry*/) override { ++entries; }
    void Reference(const std::vector<std::string>& /*urls*/) override {}

    int entries = 0;
};

}  // namespace vantor
