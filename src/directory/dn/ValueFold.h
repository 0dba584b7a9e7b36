#pragma once
// Attribute values as a server compares them for equality in a DN: the string a value in #hex
// form encodes, Unicode case folded and normalized (ICU's NFKC case fold), without leading and
// trailing spaces, and inner runs of spaces counted as one.

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The string that a BER-encoded value (a DN's #hex form, decoded by libldap) holds, as UTF-8,
// or nullopt when the bytes are no single string of a string type.
std::optional<std::string> BerString(std::string_view ber);

// The value folded for comparison. Bytes that are not UTF-8 are kept as they are, with only
// ASCII letters lower-cased.
std::string FoldValue(std::string_view value);

}  // namespace vantor
