#pragma once
// The DNs of an export's entries, in the form the LDIF directory needs: a key that finds an
// entry's parent whatever the spelling, and the plain RDN values that make the typeless dotted
// names the engine composes. The DN helper does the parsing; this keeps what an export repeats.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "directory/dn/Dn.h"

namespace vantor {

struct EntryDn {
    // The DN's key (see Dn::Key): the key of an ancestor is a suffix of the key of its
    // descendants.
    std::string key;
    // Length of the leading RDN in key; the parent's key starts after it and its ','.
    std::size_t firstRdnKeyLength = 0;
    std::size_t rdnCount = 0;
    // One per RDN, own RDN first (see DnRdn::value). Filled only when asked for.
    std::vector<std::string> values;

    std::string_view OwnKey() const { return std::string_view(key).substr(0, firstRdnKeyLength); }
    // The parent DN's key; empty for a DN of one RDN.
    std::string_view ParentKey() const {
        return rdnCount > 1 ? std::string_view(key).substr(firstRdnKeyLength + 1) : "";
    }
};

// An export names the same parent over and over, so the parser remembers the last parent and
// the last DN: a DN below one of them has only its first RDN parsed.
class EntryDnParser {
  public:
    // Parses dn into name, reusing its storage. False when libldap refuses dn, also for a DN
    // with an embedded NUL. The empty DN gives rdnCount 0.
    bool Parse(std::string_view dn, bool withValues, EntryDn& name);

  private:
    struct Known {
        std::string text;
        std::string key;
        std::size_t rdnCount = 0;
    };

    bool ParseWhole(std::string_view dn, bool withValues, EntryDn& name);

    DnRdn first_;
    Known lastParent_;
    Known lastEntry_;
};

// Position of the ',' that ends the RDN starting at from in a key, or npos.
std::size_t NextRdnBoundary(std::string_view key, std::size_t from);

}  // namespace vantor
