#pragma once
// Names from a directory may hold any bytes. Wherever one is shown to a person or written into
// a report (the window, the text report, the printed report, the progress line), it goes
// through VisibleText, so that no name can start a line of its own, move a terminal's cursor or
// pass for something else.

#include <cstddef>
#include <string>
#include <string_view>

namespace vantor {

// The text with every control character as a visible escape: "\n", "\r", "\t", other C0
// characters and DEL as "\x1b" and the like, C1 characters (U+0080 to U+009F) as "\u009b",
// and each byte that is not part of valid UTF-8 as "\xe9". Everything else stays as it is; a
// backslash stays single, as the back ends already write a name's own backslash as "\\".
std::string VisibleText(std::string_view text);

// The length of the valid UTF-8 sequence at the start of text (shortest form, no surrogates,
// at most U+10FFFF), or 0 when text is empty or does not start with one.
std::size_t Utf8SequenceLength(std::string_view text);

}  // namespace vantor
