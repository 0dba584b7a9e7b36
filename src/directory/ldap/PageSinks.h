#pragma once
// What the back end keeps of a page: a listing's containers, a search batch's DNs, or only how
// many entries came.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "directory/dn/Dn.h"
#include "directory/ldap/LdapBuffers.h"
#include "directory/ldap/PagedSearch.h"
#include "directory/ldap/PartitionRoots.h"
#include "directory/profile/ClassProfile.h"

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

// Keeps the DNs of the entries a page brings (references are left out).
class DnListSink final : public PageSink {
  public:
    void Entry(struct ldap* ld, struct ldapmsg* entry) override;
    void Reference(const std::vector<std::string>& /*urls*/) override {}

    std::vector<Dn> dns;
    std::string badDn;  // the last DN that could not be read, if any
};

// Counts what a page brings and keeps nothing.
class CountingSink final : public PageSink {
  public:
    void Entry(struct ldap* /*ld*/, struct ldapmsg* /*entry*/) override { ++entries; }
    void Reference(const std::vector<std::string>& /*urls*/) override {}

    int entries = 0;
};

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>{}(text);
    }
};
using CountsByText = std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>>;

// Several kinds counted by one search: each entry counts once for each of kinds whose class
// rule its object classes match (the search asks for objectClass).
struct KindSorting {
    const ClassProfile* profile = nullptr;
    std::vector<std::size_t> kinds;
};

// Counts the entries of a search by their parent's DN as the server spells it, into counts that
// several searches share: the objects of a whole subtree in one counter per parent, none of them
// kept. References are left out. With a sorting, one set of counts per sorted kind, in its
// order.
class ParentCountingSink final : public PageSink {
  public:
    explicit ParentCountingSink(CountsByText& counts) : counts_{&counts} {}
    ParentCountingSink(std::vector<CountsByText>& countsByKind, const KindSorting& sorting);

    void Entry(struct ldap* ld, struct ldapmsg* entry) override;
    void Reference(const std::vector<std::string>& /*urls*/) override {}

  private:
    std::vector<CountsByText*> counts_;
    const KindSorting* sorting_ = nullptr;
};

}  // namespace vantor
