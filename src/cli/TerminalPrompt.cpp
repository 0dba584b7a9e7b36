#include "cli/TerminalPrompt.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace vantor {

std::optional<std::string> PromptOnTerminal(std::string_view prompt) {
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) {
        return std::nullopt;
    }
    termios saved{};
    const bool isTerminal = ::tcgetattr(tty, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    (void)!::write(tty, prompt.data(), prompt.size());
    std::string line;
    bool complete = false;
    char c = 0;
    while (::read(tty, &c, 1) == 1) {
        if (c == '\n' || c == '\r') {
            complete = true;
            break;
        }
        line += c;
    }
    if (isTerminal) {
        ::tcsetattr(tty, TCSAFLUSH, &saved);
    }
    (void)!::write(tty, "\n", 1);
    ::close(tty);
    if (!complete && line.empty()) {
        return std::nullopt;
    }
    return line;
}

}  // namespace vantor
