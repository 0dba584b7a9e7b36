#pragma once
// How a server tells whether an entry has children: slapd and 389 Directory Server answer
// hasSubordinates (389 also numSubordinates), and both may be searched for; Active Directory and
// Samba have neither, so there an entry's children are found only by listing them.

#include <string>
#include <vector>

#include "directory/ldap/EntryRead.h"
#include "directory/profile/ClassProfile.h"

namespace vantor {

enum class ChildrenMarker {
    kHasSubordinates,
    kNumSubordinates,
    kNone,
};

// The attributes to read of an entry to learn the server's marker.
const std::vector<std::string>& ChildrenMarkerAttributes();
// The marker an entry read with ChildrenMarkerAttributes() shows.
ChildrenMarker MarkerOf(const Attributes& attributes);
// The filter that finds entries with children; "" for kNone. Entries of no container class are
// told apart by leaving out what a listing returned: a filter that names a class the server does
// not know (such as another server's container class) is undefined, and so is its negation.
std::string HasChildrenFilter(ChildrenMarker marker);

}  // namespace vantor
