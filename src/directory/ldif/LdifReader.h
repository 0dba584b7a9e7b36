#pragma once
// Reads the entries of an LDIF content file (RFC 2849, as slapcat and ldapsearch write it)
// record by record, each line with libldap's LDIF line routines, and says exactly where a file
// goes wrong.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "directory/filter/ObjectFilter.h"
#include "directory/ldif/LdifInput.h"
#include "directory/ldif/LdifRecords.h"

namespace vantor {

// What the directory needs of one entry. The views live until the callback returns.
struct LdifEntry {
    std::string_view dn;  // "" for a search reference, which has none
    std::span<const std::string_view> objectClasses;
    // The URLs of a referral: its "ref" values (a referral object of an export, or a search
    // reference that ldapsearch wrote).
    std::span<const std::string_view> referrals;
    unsigned long line;         // the line of the dn, or of the first "ref"
    bool matchesFilter = true;  // false when the user's filter turned the entry down
};

using LdifEntrySink = std::function<std::optional<LdifError>(const LdifEntry&)>;

// How far a read has come.
struct LdifProgress {
    std::uint64_t entries = 0;
    std::uint64_t bytesRead = 0;
    std::optional<std::uint64_t> totalBytes;  // when known before reading
};
// Called between reads, at least every tenth of a second; false cancels the read.
using LdifProgressCheck = std::function<bool(const LdifProgress&)>;

// Hands every entry to sink in file order and stops at the first refusal, the file's or the
// sink's, or at a cancel (an LdifError whose cancelled is set).
// Skipped: ldapsearch's own records without a dn (a "version:" at the top of the file,
// "search:" and "result:" at its end); comments; a line of digits where a record starts (an
// old index number). Handed over: search references ("ref:" records without a dn), and the
// root DSE (empty dn) like any entry.
// Refused, at their line: a file without entries; a "result:" other than 0 (an export cut
// short by a limit); a change record (changetype other than add); a record without a dn, or
// with lines before it; a second dn inside a record (a lost blank line); a line that is not
// "type: value"; an "include:" line and a ":<" URL value (an export never needs them, and
// following them would read other files); a NUL byte (LDIF text cannot hold one); a record
// over LdifRecordSplitter::kMaxRecordBytes.
// With a filter, each entry's attributes are read and the filter evaluated on them (search
// references have none and always match).
std::optional<LdifError> ReadLdifEntries(LdifInput& input, const LdifEntrySink& sink,
                                         const LdifProgressCheck& keepGoing = {},
                                         const ObjectFilter* filter = nullptr);

}  // namespace vantor
