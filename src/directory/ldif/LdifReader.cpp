#include "directory/ldif/LdifReader.h"

#include <lber.h>
#include <ldif.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <utility>

#include "directory/ldif/EntryBatches.h"
#include "directory/ldif/Excerpt.h"

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
    std::vector<FilterAttribute> attributes;  // of an entry, when a filter needs them

    void Clear() {
        kind = RecordKind::kNothing;
        anyLine = false;
        dn = {};
        line = 0;
        classes.clear();  // keeping their storage for the next record
        referrals.clear();
        attributes.clear();
    }
};

// The attribute types that the reader looks at; the values of all others are never read.
enum class LineType {
    kDn,
    kObjectClass,
    kRef,
    kChangeType,
    kVersion,
    kResult,
    kSearch,
    kInclude,
    kOther
};

bool SameType(std::string_view type, std::string_view lowerName) {
    if (type.size() != lowerName.size()) {
        return false;
    }
    for (std::size_t i = 0; i < type.size(); ++i) {
        if ((type[i] | 0x20) != lowerName[i]) {  // ASCII letters only in these names
            return false;
        }
    }
    return true;
}

LineType Classify(std::string_view type) {
    static constexpr std::pair<std::string_view, LineType> kTypes[] = {
        {"dn", LineType::kDn},           {"objectclass", LineType::kObjectClass},
        {"ref", LineType::kRef},         {"changetype", LineType::kChangeType},
        {"version", LineType::kVersion}, {"result", LineType::kResult},
        {"search", LineType::kSearch},   {"include", LineType::kInclude}};
    for (const auto& [name, lineType] : kTypes) {
        if (SameType(type, name)) {
            return lineType;
        }
    }
    return LineType::kOther;
}

bool AllDigits(std::string_view line) {
    return !line.empty() && std::all_of(line.begin(), line.end(),
                                        [](char c) { return (c >= '0' && c <= '9') || c == '\r'; });
}

// As isspace in the C locale, which libldap's line parser uses.
bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view View(const berval& value) {
    return {value.bv_val, value.bv_len};
}

// A logical line as far as it can be told before libldap reads it.
struct LineShape {
    std::string_view type;  // without the blanks around it
    LineType lineType = LineType::kOther;
    bool separator = false;  // the "-" that ends a change
    bool url = false;        // "type:< URL"
};

// Parses the records of a file one at a time into a work copy, which libldap's line routines
// change in place; the record's own text stays for the messages.
class RecordParser {
  public:
    // keepAttributes: every attribute value of an entry is read, not only those the count needs.
    explicit RecordParser(bool keepAttributes) : keepAttributes_(keepAttributes) {}

    std::optional<LdifError> Parse(const LdifRecord& record, bool topOfFile, ParsedRecord& out);

  private:
    std::size_t OffsetOf(const char* line) const {
        return static_cast<std::size_t>(line - work_.data());
    }
    // The line of the file that the byte at offset of the record is on.
    unsigned long LineAt(std::size_t offset) const {
        const std::string_view before = record_.text.substr(0, offset);
        return record_.line +
               static_cast<unsigned long>(std::count(before.begin(), before.end(), '\n'));
    }
    LdifError At(const char* line, std::string message) const {
        return {LineAt(OffsetOf(line)), std::move(message)};
    }
    // The start of a logical line as the file has it, for a message.
    std::string Quoted(const char* line) const {
        std::string_view text = record_.text.substr(OffsetOf(line));
        text = text.substr(0, std::min(text.find('\n'), text.size()));
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        std::string quoted = "\"";
        quoted += Excerpt(text);
        quoted += '"';
        return quoted;
    }
    std::optional<LdifError> Shape(const char* line, LineShape& shape) const;
    std::optional<LdifError> EntryLine(const char* line, LineType type, std::string_view value,
                                       ParsedRecord& out) const;
    // A record without a dn whose first line is at `first`: its dn is missing, or comes later.
    LdifError WithoutDn(const char* first, std::string_view firstType, char* next) const;

    bool keepAttributes_ = false;
    LdifRecord record_;
    std::string work_;
};

std::optional<LdifError> RecordParser::Shape(const char* line, LineShape& shape) const {
    shape = {};
    const char* colon = std::strchr(line, ':');
    if (colon == nullptr) {
        if (std::strcmp(line, "-") == 0 || std::strcmp(line, "-\r") == 0) {
            shape.separator = true;
            return std::nullopt;
        }
        return At(line, "not an LDIF line: " + Quoted(line));
    }
    const char* type = line;
    const char* typeEnd = colon;
    while (type < colon && IsBlank(*type)) {
        ++type;
    }
    while (typeEnd > type && IsBlank(typeEnd[-1])) {
        --typeEnd;
    }
    if (type == typeEnd) {
        return At(line, "no attribute type before the colon: " + Quoted(line));
    }
    shape.type = std::string_view(type, static_cast<std::size_t>(typeEnd - type));
    shape.lineType = Classify(shape.type);
    shape.url = colon[1] == '<';
    return std::nullopt;
}

std::optional<LdifError> RecordParser::EntryLine(const char* line, LineType type,
                                                 std::string_view value, ParsedRecord& out) const {
    switch (type) {
        case LineType::kObjectClass:
            out.classes.push_back(value);
            break;
        case LineType::kRef:
            out.referrals.push_back(value);
            break;
        case LineType::kDn:
            return At(line, "second dn in one record (a blank line missing before it?)");
        case LineType::kChangeType:
            if (!SameType(value, "add")) {
                return At(line, "change record (changetype: " + Excerpt(value) +
                                    "), not an entry of a directory export");
            }
            break;
        default:
            break;
    }
    return std::nullopt;
}

LdifError RecordParser::WithoutDn(const char* first, std::string_view firstType, char* next) const {
    while (char* rest = ldif_getline(&next)) {
        LineShape shape;
        if (!Shape(rest, shape) && shape.lineType == LineType::kDn) {
            return At(first, "expected \"dn:\" first, found \"" + Excerpt(firstType) + ":\"");
        }
    }
    return At(first, "missing dn");
}

std::optional<LdifError> RecordParser::Parse(const LdifRecord& record, bool topOfFile,
                                             ParsedRecord& out) {
    record_ = record;
    out.Clear();
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
    bool firstOfRecord = true;             // no line of the record read yet, but for a version line
    const char* firstWithoutDn = nullptr;  // the first of ldapsearch's own lines
    std::string_view firstTypeWithoutDn;
    LineShape shape;
    while (char* line = ldif_getline(&next)) {
        const bool first = firstOfRecord;
        firstOfRecord = false;
        out.anyLine = true;
        if (first && AllDigits(line)) {
            continue;  // an index number, as old tools wrote before a record
        }
        if (auto refused = Shape(line, shape)) {
            return refused;
        }
        if (shape.separator) {
            return At(line, "\"-\" outside a change record");
        }
        if (first && shape.lineType == LineType::kInclude) {
            return At(line,
                      "\"include:\" is refused: an export is one file, and the line would "
                      "read another one");
        }
        if (shape.url) {
            return At(line, "the value of \"" + Excerpt(shape.type) +
                                "\" is a URL (\":<\"), which is refused: an export holds its "
                                "values, and reading the URL would read another file");
        }
        const LineType type = shape.lineType;
        if (out.kind == RecordKind::kEntry && type == LineType::kOther && !keepAttributes_) {
            continue;  // a value the count never needs
        }
        if (out.kind != RecordKind::kEntry && type == LineType::kOther) {
            return WithoutDn(firstWithoutDn != nullptr ? firstWithoutDn : line,
                             firstWithoutDn != nullptr ? firstTypeWithoutDn : shape.type, next);
        }
        const char* start = line;
        const std::string_view typeName = shape.type;
        berval typeValue{};
        berval value{};
        int freeValue = 0;
        LibldapMessages::Clear();
        if (ldif_parse_line2(line, &typeValue, &value, &freeValue) < 0) {
            return At(start, "not an LDIF line: " + Quoted(start) + LibldapMessages::Said());
        }
        if (out.kind == RecordKind::kEntry) {
            if (auto refused = EntryLine(start, type, View(value), out)) {
                return refused;
            }
            if (keepAttributes_ && type != LineType::kChangeType) {
                out.attributes.push_back({typeName, View(value)});
            }
            continue;
        }
        if (type == LineType::kVersion && first && topOfFile) {
            firstOfRecord = true;  // the dn may follow in the same record
            continue;
        }
        if (type == LineType::kDn) {
            if (firstWithoutDn != nullptr) {
                return At(firstWithoutDn,
                          "expected \"dn:\" first, found \"" + Excerpt(firstTypeWithoutDn) + ":\"");
            }
            out.kind = RecordKind::kEntry;
            out.dn = View(value);
            out.line = LineAt(OffsetOf(start));
            continue;
        }
        // ldapsearch's own lines, in a record without a dn.
        if (firstWithoutDn == nullptr) {
            firstWithoutDn = start;
            firstTypeWithoutDn = typeName;
        }
        switch (type) {
            case LineType::kVersion:
                return At(start, "\"version:\" is allowed only at the top of the file");
            case LineType::kResult: {
                // An export that a size or time limit cut short would count too few.
                const std::string_view result = View(value);
                if (result != "0" && result.substr(0, 2) != "0 ") {
                    return At(start, "the search that wrote this file ended with \"" +
                                         Excerpt(result) + "\": the file is incomplete");
                }
                break;
            }
            case LineType::kRef:
                if (out.referrals.empty()) {
                    out.line = LineAt(OffsetOf(start));
                }
                out.referrals.push_back(View(value));
                break;
            case LineType::kSearch:
                break;
            default:
                return WithoutDn(firstWithoutDn, firstTypeWithoutDn, next);
        }
    }
    if (out.kind == RecordKind::kNothing && !out.referrals.empty()) {
        out.kind = RecordKind::kReference;
    }
    return std::nullopt;
}

// Reads and parses the records of input into batches for queue, until the end of the input,
// a refusal, or a stop of the queue. The last batch says why it ended.
void ProduceBatches(LdifInput& input, BatchQueue& queue, std::atomic<std::uint64_t>& bytesRead,
                    const ObjectFilter* filter) {
    constexpr std::size_t kBatchEntries = 2048;
    constexpr std::size_t kBatchBytes = std::size_t{256} << 10;
    auto batch = std::make_unique<EntryBatch>();
    try {
        LdifRecordSplitter records(input, [&](std::uint64_t read) {
            bytesRead = read;
            return !queue.Stopped();
        });
        RecordParser parser(filter != nullptr);
        ParsedRecord parsed;
        bool topOfFile = true;
        while (const auto record = records.Next()) {
            if (auto refused = parser.Parse(*record, topOfFile, parsed)) {
                batch->end = std::move(refused);
                break;
            }
            topOfFile = topOfFile && !parsed.anyLine;
            if (parsed.kind == RecordKind::kNothing) {
                continue;
            }
            const bool matches = filter == nullptr || parsed.kind != RecordKind::kEntry ||
                                 filter->Matches(parsed.attributes);
            batch->Add(parsed.dn, parsed.classes, parsed.referrals, parsed.line, matches);
            if (batch->Size() >= kBatchEntries || batch->Bytes() >= kBatchBytes) {
                if (!queue.Push(std::exchange(batch, std::make_unique<EntryBatch>()))) {
                    return;
                }
            }
        }
        if (!batch->end && records.Error()) {
            batch->end = records.Error();
        }
    } catch (const std::bad_alloc&) {
        batch->end = LdifError{0, "not enough memory to read the file"};
    }
    batch->last = true;
    queue.Push(std::move(batch));
}

}  // namespace

std::optional<LdifError> ReadLdifEntries(LdifInput& input, const LdifEntrySink& sink,
                                         const LdifProgressCheck& keepGoing,
                                         const ObjectFilter* filter) {
    // The file is read and parsed on a second thread while this one hands the entries to sink,
    // in file order, and reports progress.
    const LibldapMessages messages;
    LdifProgress progress;
    progress.totalBytes = input.Size();
    BatchQueue queue;
    std::atomic<std::uint64_t> bytesRead{0};
    std::thread reader([&] { ProduceBatches(input, queue, bytesRead, filter); });
    // However this thread leaves (a sink may throw), the reader is stopped and waited for.
    const auto joinReader = [&](std::thread* thread) {
        queue.Stop();
        thread->join();
    };
    const std::unique_ptr<std::thread, decltype(joinReader)> joined(&reader, joinReader);
    std::optional<LdifError> outcome;
    for (bool more = true; more && !outcome;) {
        progress.bytesRead = bytesRead;
        if (keepGoing && !keepGoing(progress)) {
            outcome = LdifError{0, {}, true};
            break;
        }
        const std::unique_ptr<EntryBatch> batch = queue.Pop(std::chrono::milliseconds(100));
        if (!batch) {
            continue;
        }
        for (std::size_t i = 0; i < batch->Size() && !outcome; ++i) {
            const EntryBatch::Entry entry = batch->At(i);
            ++progress.entries;
            outcome =
                sink({entry.dn, entry.classes, entry.referrals, entry.line, entry.matchesFilter});
        }
        if (!outcome && batch->last) {
            outcome = batch->end;
            more = false;
        }
    }
    if (!outcome && progress.entries == 0) {
        return LdifError{0, "no entries"};
    }
    return outcome;
}

}  // namespace vantor
