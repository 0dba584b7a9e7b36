#pragma once
// A class profile as a small text file, so that a directory with classes of its own can be
// counted (--profile FILE), and a built-in profile shown in the same form as a starting point
// (--profile-show NAME). The form:
//
//   # comments and blank lines are ignored
//   name: mycorp
//   containers: organization organizationalUnit domain container
//   partition: partition
//   users: inetOrgPerson OpenLDAPperson
//   users-not: computer
//   users-filter: (|(objectClass=inetOrgPerson)(objectClass=OpenLDAPperson))
//   servers: ncpServer
//   groups: groupOfNames groupOfUniqueNames
//   partitions: partition
//
// Each line is a key, a colon and its value; class names are separated by blanks. "containers"
// and every kind's class list are required; "KIND-not" lists classes that keep an entry out of
// that kind; "KIND-filter" is the filter an LDAP server is asked with, made from the class lists
// when it is not given. A key may appear once.

#include <string>
#include <string_view>
#include <variant>

#include "directory/profile/ClassProfile.h"

namespace vantor {

// The profile in the text form above; ParseProfileText(ProfileText(p)) gives p again.
std::string ProfileText(const ClassProfile& profile);

// The profile the text describes, or a message naming the line at fault
// ("mycorp.profile:4: unknown key \"user\"").
std::variant<ClassProfile, std::string> ParseProfileText(std::string_view text,
                                                         std::string_view sourceName);

// The filter that selects entries with one of anyOf and none of noneOf.
std::string ClassFilter(const KindRule& rule);

}  // namespace vantor
