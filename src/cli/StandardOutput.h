#pragma once
// Standard output of the command-line counter, whose reader may go away early (head, a pager
// that was quit): that has to show up as a failed write, the same over every back end.

#include <string_view>

namespace vantor {

// Ignores SIGPIPE, so that writing to a pipe whose reader has gone fails with EPIPE instead of
// ending the program without a word or an exit status of its own.
void IgnoreBrokenPipeSignal();

// Writes text whole to standard output and flushes it: 0, or the errno of the failure.
int WriteStandardOutput(std::string_view text);

}  // namespace vantor
