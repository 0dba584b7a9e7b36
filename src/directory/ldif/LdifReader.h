#pragma once
// Reads the entries of an LDIF content file (RFC 2849, as slapcat and ldapsearch write it)
// record by record with libldap's LDIF routines, and says exactly where a file goes wrong.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct LDIFFP;  // libldap's LDIF stream

namespace vantor {

// A refusal, at a line of the file (counted from 1), or of the whole file when line is 0.
struct LdifError {
    unsigned long line = 0;
    std::string message;
};

// What the directory needs of one entry. The views live until the callback returns.
struct LdifEntry {
    std::string_view dn;
    const std::vector<std::string_view>& objectClasses;
    unsigned long line;  // the line of the dn
};

using LdifEntrySink = std::function<std::optional<LdifError>(const LdifEntry&)>;

// Hands every entry to sink in file order and stops at the first refusal, the file's or the
// sink's. Skipped: ldapsearch's own records without a dn (a "version:" at the top of the file,
// "search:" and "result:" at its end, "ref:" search references). Refused: a file without
// entries; a "result:" other than 0 (an export cut short by a limit); a change record
// (changetype other than add); a record without a dn, or with lines before it; a second dn
// inside a record (a lost blank line). The root DSE (empty dn) is handed over like any entry.
// As libldap does, an "include:" line reads the file it names, and so does a ":<" value; for
// some malformed records libldap also writes a line of its own to stderr.
std::optional<LdifError> ReadLdifEntries(LDIFFP* file, const LdifEntrySink& sink);

}  // namespace vantor
