#include "directory/source/LoadingText.h"

#include <algorithm>

namespace vantor {

std::string GroupedNumber(std::uint64_t number) {
    std::string digits = std::to_string(number);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), 1, ',');
    }
    return digits;
}

std::optional<int> LoadedPercent(const LdifProgress& progress) {
    if (!progress.totalBytes || *progress.totalBytes == 0) {
        return std::nullopt;
    }
    const std::uint64_t read = std::min(progress.bytesRead, *progress.totalBytes);
    return static_cast<int>(read * 100 / *progress.totalBytes);
}

std::string LoadingText(const LdifProgress& progress) {
    std::string text = GroupedNumber(progress.entries) + " entries read";
    if (const auto percent = LoadedPercent(progress)) {
        text += " (" + std::to_string(*percent) + "%)";
    }
    return text;
}

std::string NotCountedText(const std::vector<ClassTally>& notCounted) {
    if (notCounted.empty()) {
        return {};
    }
    std::string text = "not counted as any kind:";
    for (std::size_t i = 0; i < notCounted.size(); ++i) {
        text += i == 0 ? " " : ", ";
        text += notCounted[i].className + " " + GroupedNumber(notCounted[i].entries);
    }
    return text;
}

}  // namespace vantor
