#include "directory/ldif/LdifReader.h"

#include <lber.h>
#include <ldap.h>
#include <ldif.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <strings.h>

#include "directory/ldif/LdifLines.h"
#include "directory/profile/ClassProfile.h"

namespace vantor {

namespace {

// Controls in an export say nothing about the entries; records without a changetype are
// entries.
constexpr unsigned int kParseFlags = LDIF_DEFAULT_ADD | LDIF_NO_CONTROLS;

// The record buffer that ldif_read_record grows and reuses.
struct RecordBuffer {
    RecordBuffer() = default;
    RecordBuffer(const RecordBuffer&) = delete;
    RecordBuffer& operator=(const RecordBuffer&) = delete;
    ~RecordBuffer() { ber_memfree(data); }
    char* data = nullptr;
    int size = 0;
};

struct ParsedRecord {
    ParsedRecord() = default;
    ParsedRecord(const ParsedRecord&) = delete;
    ParsedRecord& operator=(const ParsedRecord&) = delete;
    ~ParsedRecord() { ldap_ldif_record_done(&record); }
    LDIFRecord record{};
};

bool IsType(const berval& type, std::string_view name) {
    return type.bv_val != nullptr && type.bv_len == name.size() &&
           strncasecmp(type.bv_val, name.data(), name.size()) == 0;
}

bool IsType(const char* type, const char* name) {
    // Every entry has a dozen types to look at: the first letter settles most of them.
    return type != nullptr && (type[0] | 0x20) == (name[0] | 0x20) && strcasecmp(type, name) == 0;
}

LdifError ChangeRecord(const LogicalLine& line) {
    return {line.line, "change record (changetype: " + Excerpt(line.value) +
                           "), not an entry of a directory export"};
}

// Why libldap refused a record, at the line that shows it.
LdifError Malformed(std::string_view text, unsigned long startLine) {
    const std::vector<LogicalLine> lines = LogicalLines(text, startLine);
    for (const LogicalLine& line : lines) {
        if (!line.valid) {
            return {line.line, "not an LDIF line: \"" + Excerpt(line.value) + "\""};
        }
    }
    if (const LogicalLine* line = FindType(lines, "changetype")) {
        return ChangeRecord(*line);
    }
    if (const LogicalLine* line = FindType(lines, "-")) {
        return {line->line, "\"-\" outside a change record"};
    }
    return {lines.empty() ? startLine : lines.front().line, "malformed record"};
}

// The dn is the first logical line (after a version line at the top of the file), so its
// physical line is the first that starts with "dn:".
unsigned long DnLine(std::string_view text, unsigned long startLine) {
    unsigned long line = startLine;
    for (std::size_t at = 0; at < text.size(); ++line) {
        if (text.size() - at >= 3 && strncasecmp(text.data() + at, "dn:", 3) == 0) {
            return line;
        }
        const std::size_t end = text.find('\n', at);
        at = end == std::string_view::npos ? text.size() : end + 1;
    }
    return startLine;
}

// A record in which libldap found nothing but a line starting with a digit: it takes such a
// line for an old-style index number and drops it whole, leaving the buffer as it was (null
// before the first record). Comments before it may be left in the buffer.
bool OnlyIndexLine(std::string_view text) {
    return (text.empty() || text.front() == '#') && LogicalLines(text, 0).empty();
}

// The first line that libldap's record parser takes for a line without an attribute type: its
// offset in text, or npos. That is a line (not a continuation, not a comment) whose first
// character after blanks and carriage returns is the colon, or the "-" that ends a change.
// Right after the dn the parser reads such a type through a null pointer, so these records are
// judged here.
std::size_t FirstLineWithoutType(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\v\f";
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.front() != ' ' && line.front() != '#') {
            const std::size_t first = line.find_first_not_of(kBlanks);
            const bool colonFirst = first != std::string_view::npos && line[first] == ':';
            const bool separator = line.find_first_not_of("-\r") == std::string_view::npos &&
                                   std::count(line.begin(), line.end(), '-') == 1;
            if (colonFirst || separator) {
                return at;
            }
        }
        at = end + 1;
    }
    return std::string_view::npos;
}

std::optional<LdifError> LineWithoutType(std::string_view text, unsigned long startLine) {
    const std::size_t at = FirstLineWithoutType(text);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view found = text.substr(at, text.find('\n', at) - at);
    const unsigned long line =
        startLine + static_cast<unsigned long>(std::count(text.begin(), text.begin() + at, '\n'));
    if (found.find(':') != std::string_view::npos) {
        return LdifError{line, "no attribute type before the colon: \"" + Excerpt(found) + "\""};
    }
    const std::vector<LogicalLine> lines = LogicalLines(text, startLine);
    const LogicalLine* change = FindType(lines, "changetype");
    if (change != nullptr && !EqualsIgnoreCase(change->value, "add")) {
        return ChangeRecord(*change);
    }
    return LdifError{line, "\"-\" outside a change record"};
}

// ldif_read_record counts the blank line that ends a record, but not an end of file.
unsigned long RecordStart(std::string_view text, unsigned long lineAfter, bool atEnd) {
    std::uint32_t lines = 0;  // a narrow counter lets the compiler vectorise the loop
    for (const char c : text) {
        lines += c == '\n' ? 1U : 0U;
    }
    return lineAfter + (atEnd ? 1 : 0) - lines;
}

// A record without a dn holds ldapsearch's own lines: the version at the top of the file, the
// outcome of the search at its end, search references. nullopt: nothing to count in it.
std::optional<LdifError> CheckWithoutDn(std::string_view text, unsigned long startLine,
                                        bool topOfFile) {
    const std::vector<LogicalLine> lines = LogicalLines(text, startLine);
    for (const LogicalLine& line : lines) {
        if (EqualsIgnoreCase(line.type, "version")) {
            if (!topOfFile) {
                return LdifError{line.line, "\"version:\" is allowed only at the top of the file"};
            }
        } else if (EqualsIgnoreCase(line.type, "result")) {
            // An export that a size or time limit cut short would count too few.
            if (line.value != "0" && line.value.rfind("0 ", 0) != 0) {
                return LdifError{line.line, "the search that wrote this file ended with \"" +
                                                Excerpt(line.value) + "\": the file is incomplete"};
            }
        } else if (!EqualsIgnoreCase(line.type, "search") && !EqualsIgnoreCase(line.type, "ref")) {
            return LdifError{lines.front().line, "missing dn"};
        }
    }
    return std::nullopt;
}

// Checks that a record libldap accepted with a dn is an entry, and collects its object classes.
std::optional<LdifError> CheckEntry(const LDIFRecord& record, std::string_view text,
                                    unsigned long startLine, bool topOfFile,
                                    std::vector<std::string_view>& classes) {
    const std::size_t dnIndex =
        topOfFile && record.lr_lines > 1 && IsType(record.lr_btype[0], "version") ? 1 : 0;
    if (!IsType(record.lr_btype[dnIndex], "dn")) {
        const berval& type = record.lr_btype[dnIndex];
        const std::string found = type.bv_val != nullptr ? std::string(type.bv_val) : "-";
        return LdifError{FirstLine(text, startLine),
                         "expected \"dn:\" first, found \"" + Excerpt(found) + ":\""};
    }
    if (record.lr_op != LDAP_REQ_ADD) {
        const auto lines = LogicalLines(text, startLine);
        const LogicalLine* line = FindType(lines, "changetype");
        return line != nullptr ? ChangeRecord(*line)
                               : LdifError{FirstLine(text, startLine), "not an entry"};
    }
    classes.clear();
    for (LDAPMod** mod = record.lrop_mods; mod != nullptr && *mod != nullptr; ++mod) {
        if (IsType((*mod)->mod_type, "dn")) {
            const auto lines = LogicalLines(text, startLine);
            const LogicalLine* second = FindType(lines, "dn", 1);
            return LdifError{second != nullptr ? second->line : startLine,
                             "second dn in one record (a blank line missing before it?)"};
        }
        if (IsType((*mod)->mod_type, "objectClass")) {
            for (berval** value = (*mod)->mod_bvalues; value != nullptr && *value != nullptr;
                 ++value) {
                classes.emplace_back((*value)->bv_val, (*value)->bv_len);
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<LdifError> ReadLdifEntries(LDIFFP* file, const LdifEntrySink& sink) {
    RecordBuffer buffer;
    unsigned long lineAfter = 0;
    bool topOfFile = true;
    bool anyEntry = false;
    std::vector<std::string_view> classes;
    std::string work;  // libldap parses a record in place; the record stays for error messages
    for (;;) {
        if (buffer.data != nullptr) {
            buffer.data[0] = '\0';  // else a record of only an index line repeats the last one
        }
        errno = 0;
        const int found = ldif_read_record(file, &lineAfter, &buffer.data, &buffer.size);
        const int readErrno = errno;
        if (found < 0) {
            return LdifError{lineAfter, "include failed"};
        }
        if (found == 0) {
            if (std::ferror(file->fp) != 0) {
                return LdifError{0, std::string("read error: ") + std::strerror(readErrno)};
            }
            break;
        }
        const std::string_view text(buffer.data != nullptr ? buffer.data : "");
        const bool atEnd = std::feof(file->fp) != 0;
        if (OnlyIndexLine(text)) {
            // Its entry, if the line held one, is lost to libldap: refuse rather than count less.
            return LdifError{atEnd ? lineAfter : lineAfter - 1,
                             "a line starting with a digit where an entry should start (libldap "
                             "drops it as an index number)"};
        }
        const unsigned long startLine = RecordStart(text, lineAfter, atEnd);
        if (auto refused = LineWithoutType(text, startLine)) {
            return refused;
        }
        work.assign(text);
        berval rest{work.size(), work.data()};
        ParsedRecord parsed;
        if (ldap_parse_ldif_record(&rest, startLine, &parsed.record, "ldif", kParseFlags) !=
            LDAP_SUCCESS) {
            return Malformed(text, startLine);
        }
        const LDIFRecord& record = parsed.record;
        if (record.lr_dn.bv_val == nullptr) {
            if (auto refused = CheckWithoutDn(text, startLine, topOfFile)) {
                return refused;
            }
            topOfFile = false;
            continue;
        }
        if (auto refused = CheckEntry(record, text, startLine, topOfFile, classes)) {
            return refused;
        }
        topOfFile = false;
        anyEntry = true;
        const LdifEntry entry{
            {record.lr_dn.bv_val, record.lr_dn.bv_len}, classes, DnLine(text, startLine)};
        if (auto refused = sink(entry)) {
            return refused;
        }
    }
    if (!anyEntry) {
        return LdifError{0, "no entries"};
    }
    return std::nullopt;
}

}  // namespace vantor
