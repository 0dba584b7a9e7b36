// The progress line on standard error, as a terminal receives it.

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/CliHost.h"

namespace vantor {
namespace {

// What the code run by act writes to standard error.
template <typename Act>
std::string StandardErrorOf(Act act) {
    int pipeEnds[2];
    EXPECT_EQ(::pipe(pipeEnds), 0);
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(pipeEnds[1], STDERR_FILENO);
    ::close(pipeEnds[1]);
    act();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::string written;
    char buffer[512];
    ssize_t got = 0;
    while ((got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
        written.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
    return written;
}

TEST(ProgressLine, ANameCannotMoveTheCursorOrClearTheScreen) {
    const std::string written = StandardErrorOf([] {
        RunRecord record;
        CliHost host(record, true);
        host.Callbacks().showProgress("Evil\n99\x1b[2J\rX\xfc");
    });
    // The line's own clearing sequence, at its start and when the host goes, and nothing else.
    const std::string clear = "\r\x1b[K";
    ASSERT_EQ(written.rfind(clear, 0), 0u) << written;
    ASSERT_GE(written.size(), 2 * clear.size());
    EXPECT_EQ(written.substr(written.size() - clear.size()), clear);
    const std::string line = written.substr(clear.size(), written.size() - 2 * clear.size());
    EXPECT_EQ(line, "1 containers, 0 lines, 0 objects: Evil\\n99\\x1b[2J\\rX\\xfc");
}

}  // namespace
}  // namespace vantor
