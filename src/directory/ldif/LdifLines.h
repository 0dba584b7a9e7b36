#pragma once
// An LDIF record seen again line by line, only when it is refused: the messages name the line
// at fault, counted in the file as it is written (folded lines and comments included).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// A logical line of a record (continuations joined, comments left out) and where it starts.
struct LogicalLine {
    unsigned long line = 0;
    bool valid = false;  // libldap can read it as "type: value" (or it is a "-" separator)
    std::string type;
    std::string value;  // the whole line when it is not valid
};

// The logical lines of the record text that starts at startLine of its file.
std::vector<LogicalLine> LogicalLines(std::string_view text, unsigned long startLine);

// The line of the record's first logical line.
unsigned long FirstLine(std::string_view text, unsigned long startLine);

// The valid line of the given type (without regard to case), skipping the first skip of them.
const LogicalLine* FindType(const std::vector<LogicalLine>& lines, std::string_view type,
                            std::size_t skip = 0);

// Up to 40 bytes of text, control characters replaced, as a message can show it.
std::string Excerpt(std::string_view text);

}  // namespace vantor
