#include "cli/TerminalPrompt.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace vantor {

std::optional<std::string> PromptOnTerminal(std::string_view prompt) {
    const int terminal = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    // Without a controlling terminal the line comes from standard input (a pipe, say).
    const int tty = terminal >= 0 ? terminal : STDIN_FILENO;
    const int shown = terminal >= 0 ? terminal : STDERR_FILENO;
    termios saved{};
    const bool isTerminal = ::tcgetattr(tty, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    (void)!::write(shown, prompt.data(), prompt.size());
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
    (void)!::write(shown, "\n", 1);
    if (terminal >= 0) {
        ::close(terminal);
    }
    if (!complete && line.empty()) {
        return std::nullopt;
    }
    return line;
}

}  // namespace vantor
