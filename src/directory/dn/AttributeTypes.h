#pragma once
// The attribute types that name entries, by name or OID, as a server tells them apart.

#include <string>
#include <string_view>

namespace vantor {

// One spelling for every name and the OID of a standard naming attribute type (2.5.4.10,
// organizationName and O are all "o"); any other type lower-cased as given.
std::string CanonicalType(std::string_view type);

}  // namespace vantor
