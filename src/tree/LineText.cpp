#include "tree/LineText.h"

#include "tree/VisibleText.h"

namespace vantor {

NameAndCount SplitResultLine(std::string_view text) {
    const std::size_t blank = text.rfind(' ');
    if (blank == std::string_view::npos) {
        return {std::string(text), {}};
    }
    return {std::string(text.substr(0, blank + 1)), std::string(text.substr(blank + 1))};
}

std::string ReportNameField(std::string_view text, bool isResultLine) {
    return VisibleText(isResultLine ? SplitResultLine(text).name : text);
}

}  // namespace vantor
