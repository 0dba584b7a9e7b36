#pragma once
// Splits the bytes of an LDIF export into records at blank lines, and counts lines so that
// every message can name one. It is our own because libldap's record reader follows
// "include:" lines, which an export never needs, and reads a line only up to a NUL byte.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "directory/ldif/LdifInput.h"

namespace vantor {

// A refusal, at a line of the file (counted from 1), or of the whole file when line is 0.
struct LdifError {
    unsigned long line = 0;
    std::string message;
    bool cancelled = false;  // the reader was asked to stop; message and line are empty
};

// One record: its text up to and including the line end of its last line (none at the end of
// a file without one), and the line its first line is on.
struct LdifRecord {
    std::string_view text;
    unsigned long line = 0;
};

class LdifRecordSplitter {
  public:
    // No record may be longer: a file without blank lines would otherwise be read whole.
    static constexpr std::size_t kMaxRecordBytes = std::size_t{64} << 20;

    // keepGoing is called before every read (at least every tenth of a second while a pipe is
    // silent) with the bytes read so far; false stops the reading as cancelled.
    LdifRecordSplitter(LdifInput& input, std::function<bool(std::uint64_t)> keepGoing);

    // The next record, nullopt at the end of the input; error then holds a refusal or a
    // cancel, if that is what ended it. The text lives until the next call.
    std::optional<LdifRecord> Next();
    const std::optional<LdifError>& Error() const { return error_; }
    std::uint64_t BytesRead() const { return bytesRead_; }

  private:
    // Reads more after end_, keeping [begin_, end_); false at the end of the input or on error.
    bool Fill();
    bool Stop(LdifError error);

    LdifInput& input_;
    std::function<bool(std::uint64_t)> keepGoing_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // the first byte not yet handed out
    std::size_t end_ = 0;    // the end of the bytes read
    bool atEnd_ = false;
    unsigned long line_ = 1;  // the line at begin_
    std::uint64_t bytesRead_ = 0;
    std::optional<LdifError> error_;
};

}  // namespace vantor
