#include "directory/ldif/LdifReader.h"

#include <lber.h>
#include <ldif.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "directory/ldif/Excerpt.h"
#include "directory/profile/ClassProfile.h"

namespace vantor {

namespace {

// libldap writes its complaints about a line through liblber's print function: while a file is
// read they are kept here, to become part of the message that names the line, instead of
// reaching standard error on their own.
class LibldapMessages {
  public:
    LibldapMessages() {
        ber_get_option(nullptr, LBER_OPT_LOG_PRINT_FN, &previous_);
        ber_set_option(nullptr, LBER_OPT_LOG_PRINT_FN, reinterpret_cast<void*>(&Keep));
    }
    ~LibldapMessages() {
        ber_set_option(nullptr, LBER_OPT_LOG_PRINT_FN, reinterpret_cast<void*>(previous_));
    }
    LibldapMessages(const LibldapMessages&) = delete;
    LibldapMessages& operator=(const LibldapMessages&) = delete;

    static void Clear() { Kept().clear(); }
    // What libldap said since Clear, as " (libldap: ...)", or "".
    static std::string Said() {
        std::string said = Kept();
        while (!said.empty() && (said.back() == '\n' || said.back() == ' ')) {
            said.pop_back();
        }
        // "function_name: what went wrong": the function's name says nothing to a user.
        if (const std::size_t colon = said.find(": ");
            colon != std::string::npos && said.find(' ') > colon) {
            said.erase(0, colon + 2);
        }
        return said.empty() ? said : " (libldap: " + Excerpt(said, 100) + ")";
    }

  private:
    static std::string& Kept() {
        thread_local std::string kept;
        return kept;
    }
    static void Keep(const char* text) { Kept() += text; }

    BER_LOG_PRINT_FN previous_ = nullptr;
};

enum class RecordKind { kNothing, kEntry, kReference };

// What one record holds. The views point into the parser's work copy of the record.
struct ParsedRecord {
    RecordKind kind = RecordKind::kNothing;
    bool anyLine = false;  // false for a record of comments only
    std::string_view dn;
    unsigned long line = 0;
    std::vector<std::string_view> classes;
    std::vector<std::string_view> referrals;
};

bool AllDigits(const char* line) {
    const std::size_t length = std::strlen(line);
    return length > 0 && std::all_of(line, line + length, [](char c) {
               return std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '\r';
           });
}

std::string_view View(const berval& value) {
    return {value.bv_val, value.bv_len};
}

// Parses the records of a file one at a time into a work copy, which libldap's line routines
// change in place; the record's own text stays for the messages.
class RecordParser {
  public:
    std::optional<LdifError> Parse(const LdifRecord& record, bool topOfFile, ParsedRecord& out);

  private:
    // The line of the file that the byte at offset of the record is on.
    unsigned long LineAt(std::size_t offset) const {
        const std::string_view before = record_.text.substr(0, offset);
        return record_.line +
               static_cast<unsigned long>(std::count(before.begin(), before.end(), '\n'));
    }
    LdifError At(const char* line, std::string message) const {
        return {LineAt(static_cast<std::size_t>(line - work_.data())), std::move(message)};
    }
    // Checks what can be told before libldap reads the line.
    std::optional<LdifError> CheckShape(const char* line, bool firstOfRecord,
                                        bool& separator) const;
    std::optional<LdifError> EntryLine(const char* line, std::string_view type,
                                       std::string_view value, ParsedRecord& out) const;

    LdifRecord record_;
    std::string work_;
};

std::optional<LdifError> RecordParser::CheckShape(const char* line, bool firstOfRecord,
                                                  bool& separator) const {
    const char* colon = std::strchr(line, ':');
    separator = false;
    if (colon == nullptr) {
        if (std::strcmp(line, "-") == 0 || std::strcmp(line, "-\r") == 0) {
            separator = true;
            return std::nullopt;
        }
        return At(line, "not an LDIF line: \"" + Excerpt(line) + "\"");
    }
    const char* type = line;
    while (type < colon && std::isspace(static_cast<unsigned char>(*type)) != 0) {
        ++type;
    }
    if (type == colon) {
        return At(line, "no attribute type before the colon: \"" + Excerpt(line) + "\"");
    }
    const std::string_view name(type, static_cast<std::size_t>(colon - type));
    if (firstOfRecord && EqualsIgnoreCase(name, "include")) {
        return At(line,
                  "\"include:\" is refused: an export is one file, and the line would "
                  "read another one");
    }
    if (colon[1] == '<') {
        return At(line, "the value of \"" + Excerpt(name) +
                            "\" is a URL (\":<\"), which is refused: an export holds its "
                            "values, and reading the URL would read another file");
    }
    return std::nullopt;
}

std::optional<LdifError> RecordParser::EntryLine(const char* line, std::string_view type,
                                                 std::string_view value, ParsedRecord& out) const {
    if (EqualsIgnoreCase(type, "objectClass")) {
        out.classes.push_back(value);
    } else if (EqualsIgnoreCase(type, "ref")) {
        out.referrals.push_back(value);
    } else if (EqualsIgnoreCase(type, "dn")) {
        return At(line, "second dn in one record (a blank line missing before it?)");
    } else if (EqualsIgnoreCase(type, "changetype") && !EqualsIgnoreCase(value, "add")) {
        return At(line, "change record (changetype: " + Excerpt(value) +
                            "), not an entry of a directory export");
    }
    return std::nullopt;
}

std::optional<LdifError> RecordParser::Parse(const LdifRecord& record, bool topOfFile,
                                             ParsedRecord& out) {
    record_ = record;
    out = {};
    if (const void* nul = std::memchr(record.text.data(), '\0', record.text.size())) {
        const auto offset =
            static_cast<std::size_t>(static_cast<const char*>(nul) - record.text.data());
        return LdifError{LineAt(offset),
                         "a NUL byte, which LDIF text cannot hold (a value with "
                         "one is written in base64)"};
    }
    work_.assign(record.text);
    work_ += '\n';  // ldif_getline wants every line ended, then the end of the text
    work_ += '\0';
    char* next = work_.data();
    bool firstOfRecord = true;  // no line of the record read yet
    const char* firstWithoutDn = nullptr;
    std::string firstTypeWithoutDn;
    while (char* line = ldif_getline(&next)) {
        if (firstOfRecord && AllDigits(line)) {
            firstOfRecord = false;  // an index number, as old tools wrote before a record
            out.anyLine = true;
            continue;
        }
        bool separator = false;
        if (auto refused = CheckShape(line, firstOfRecord, separator)) {
            return refused;
        }
        if (separator) {
            return At(line, "\"-\" outside a change record");
        }
        const bool first = firstOfRecord && out.kind == RecordKind::kNothing;
        firstOfRecord = false;
        out.anyLine = true;
        const std::string excerpt = Excerpt(line);
        berval type{};
        berval value{};
        int freeValue = 0;
        LibldapMessages::Clear();
        if (ldif_parse_line2(line, &type, &value, &freeValue) < 0) {
            return At(line, "not an LDIF line: \"" + excerpt + "\"" + LibldapMessages::Said());
        }
        if (out.kind == RecordKind::kEntry) {
            if (auto refused = EntryLine(line, View(type), View(value), out)) {
                return refused;
            }
            continue;
        }
        if (EqualsIgnoreCase(View(type), "version") && first && topOfFile) {
            firstOfRecord = true;  // the dn may follow in the same record
            continue;
        }
        if (EqualsIgnoreCase(View(type), "dn")) {
            if (firstWithoutDn != nullptr) {
                return At(firstWithoutDn,
                          "expected \"dn:\" first, found \"" + firstTypeWithoutDn + ":\"");
            }
            out.kind = RecordKind::kEntry;
            out.dn = View(value);
            out.line = LineAt(static_cast<std::size_t>(line - work_.data()));
            continue;
        }
        // ldapsearch's own lines, in a record without a dn.
        if (firstWithoutDn == nullptr) {
            firstWithoutDn = line;
            firstTypeWithoutDn = Excerpt(View(type));
        }
        if (EqualsIgnoreCase(View(type), "version")) {
            return At(line, "\"version:\" is allowed only at the top of the file");
        }
        if (EqualsIgnoreCase(View(type), "result")) {
            // An export that a size or time limit cut short would count too few.
            const std::string_view result = View(value);
            if (result != "0" && result.substr(0, 2) != "0 ") {
                return At(line, "the search that wrote this file ended with \"" + Excerpt(result) +
                                    "\": the file is incomplete");
            }
        } else if (EqualsIgnoreCase(View(type), "ref")) {
            if (out.referrals.empty()) {
                out.line = LineAt(static_cast<std::size_t>(line - work_.data()));
            }
            out.referrals.push_back(View(value));
        } else if (!EqualsIgnoreCase(View(type), "search")) {
            // A dn further down gets the message above; otherwise the dn is missing.
            while (char* rest = ldif_getline(&next)) {
                const char* colon = std::strchr(rest, ':');
                if (colon != nullptr &&
                    EqualsIgnoreCase(std::string_view(rest, static_cast<std::size_t>(colon - rest)),
                                     "dn")) {
                    return At(firstWithoutDn,
                              "expected \"dn:\" first, found \"" + firstTypeWithoutDn + ":\"");
                }
            }
            return At(firstWithoutDn, "missing dn");
        }
    }
    if (out.kind == RecordKind::kNothing && !out.referrals.empty()) {
        out.kind = RecordKind::kReference;
    }
    return std::nullopt;
}

}  // namespace

std::optional<LdifError> ReadLdifEntries(LdifInput& input, const LdifEntrySink& sink,
                                         const LdifProgressCheck& keepGoing) {
    const LibldapMessages messages;
    LdifProgress progress;
    progress.totalBytes = input.Size();
    LdifRecordSplitter records(input, [&](std::uint64_t bytesRead) {
        progress.bytesRead = bytesRead;
        return !keepGoing || keepGoing(progress);
    });
    RecordParser parser;
    ParsedRecord parsed;
    bool topOfFile = true;
    while (const auto record = records.Next()) {
        if (auto refused = parser.Parse(*record, topOfFile, parsed)) {
            return refused;
        }
        topOfFile = topOfFile && !parsed.anyLine;
        if (parsed.kind == RecordKind::kNothing) {
            continue;
        }
        ++progress.entries;
        const LdifEntry entry{parsed.dn, parsed.classes, parsed.referrals, parsed.line};
        if (auto refused = sink(entry)) {
            return refused;
        }
    }
    if (records.Error()) {
        return records.Error();
    }
    if (progress.entries == 0) {
        return LdifError{0, "no entries"};
    }
    return std::nullopt;
}

}  // namespace vantor
