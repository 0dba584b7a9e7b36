#include "directory/ldif/LdifLines.h"

#include <lber.h>
#include <ldif.h>

#include <algorithm>
#include <cstring>

#include "directory/profile/ClassProfile.h"

namespace vantor {

std::vector<LogicalLine> LogicalLines(std::string_view text, unsigned long startLine) {
    std::string work(text);
    std::vector<LogicalLine> lines;
    char* next = work.data();
    while (char* line = ldif_getline(&next)) {
        LogicalLine logical;
        const auto offset = static_cast<std::size_t>(line - work.data());
        logical.line =
            startLine + static_cast<unsigned long>(std::count(
                            text.begin(), text.begin() + static_cast<long>(offset), '\n'));
        berval type{};
        berval value{};
        int freeValue = 0;
        if (std::strcmp(line, "-") == 0) {
            logical.valid = true;
            logical.type = "-";
        } else if (ldif_parse_line2(line, &type, &value, &freeValue) >= 0) {
            logical.valid = true;
            logical.type.assign(type.bv_val, type.bv_len);
            logical.value.assign(value.bv_val, value.bv_len);
            if (freeValue != 0) {
                ber_memfree(value.bv_val);
            }
        } else {
            logical.value = line;
        }
        lines.push_back(std::move(logical));
    }
    return lines;
}

const LogicalLine* FindType(const std::vector<LogicalLine>& lines, std::string_view type,
                            std::size_t skip) {
    for (const LogicalLine& line : lines) {
        if (line.valid && EqualsIgnoreCase(line.type, type) && skip-- == 0) {
            return &line;
        }
    }
    return nullptr;
}

unsigned long FirstLine(std::string_view text, unsigned long startLine) {
    const std::vector<LogicalLine> lines = LogicalLines(text, startLine);
    return lines.empty() ? startLine : lines.front().line;
}

std::string Excerpt(std::string_view text) {
    std::string out(text.substr(0, 40));
    std::replace_if(
        out.begin(), out.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }, '?');
    return text.size() > out.size() ? out + "..." : out;
}

}  // namespace vantor
