#include "cli/StandardOutput.h"

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace vantor {

void IgnoreBrokenPipeSignal() {
    std::signal(SIGPIPE, SIG_IGN);
}

int WriteStandardOutput(std::string_view text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        return errno != 0 ? errno : EIO;
    }
    return 0;
}

}  // namespace vantor
