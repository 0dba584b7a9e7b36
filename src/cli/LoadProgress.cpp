#include "cli/LoadProgress.h"

#include <cstdio>

#include "directory/source/LoadingText.h"

namespace vantor {

void LoadProgress::Show(const LdifProgress& progress) {
    const auto now = std::chrono::steady_clock::now();
    if (!show_ || (shown_ && now - last_ < std::chrono::milliseconds(100))) {
        return;
    }
    last_ = now;
    shown_ = true;
    std::fprintf(stderr, "\r\033[KReading the export: %s", LoadingText(progress).c_str());
    std::fflush(stderr);
}

void LoadProgress::Done() {
    if (shown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        shown_ = false;
    }
}

}  // namespace vantor
