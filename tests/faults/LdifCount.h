#pragma once
// LDIF text loaded and counted as the user meets it: a refusal naming the file, or a run into
// a result tree. With the checks that every broken file must pass, small makers of entries,
// and an export written with what trips readers.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "faults/RunProbe.h"

namespace vantor::test {

// The name texts are loaded under; refusals start with it.
inline constexpr const char* kLdifSource = "export.ldif";

// What the user ends up with: a refusal, or the count in the tree.
struct Counted {
    std::string refusal;  // empty when the file loaded
    CountRunOutcome outcome = CountRunOutcome::kFinished;
    std::int32_t total = 0;
    std::vector<TreeLine> lines;
    std::vector<std::string> shownNames;
};

Counted LoadAndCount(std::string_view ldif, bool byContainer = true);

// The line a refusal names ("export.ldif:12: ..."), 0 when it names none.
unsigned long RefusedLine(const std::string& refusal);
unsigned long LineCount(std::string_view text);
// The line of text on which marker starts.
unsigned long LineOf(const std::string& text, const std::string& marker);

// A refusal names the file, a line inside the text when it names one, and a cause.
void ExpectClearRefusal(const std::string& refusal, std::string_view text);
// A count runs to its end and the grand total is the sum of the lines.
void ExpectWholeCount(const Counted& counted);

std::string Entry(const std::string& dn, const std::string& objectClass);
std::string Org(const std::string& dn);
std::string Unit(const std::string& dn);
// count users uid=<prefix><n> under parent.
std::string Users(const std::string& parent, const std::string& prefix, int count);

// An export with a version line, comments, a folded dn and a folded value, a base64 dn and a
// base64 object class, an escaped dn, a multi-valued RDN and CR LF line ends.
struct Export {
    std::string text;
    // Where each user's record starts and ends (after its last line end).
    std::vector<std::pair<std::size_t, std::size_t>> users;
};
Export MakeExport();

}  // namespace vantor::test
