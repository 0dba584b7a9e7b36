#include "directory/ldif/LdifRecords.h"

#include <algorithm>
#include <cstring>

namespace vantor {

namespace {

constexpr std::size_t kReadBytes = std::size_t{1} << 20;

// A blank line starts at `at`: 1 or 2 for its length, 0 when it does not, -1 when the bytes
// before end cannot tell yet.
int BlankLineAt(const char* at, const char* end, bool atEnd) {
    if (at == end) {
        return atEnd ? 0 : -1;
    }
    if (*at == '\n') {
        return 1;
    }
    if (*at != '\r') {
        return 0;
    }
    if (at + 1 == end) {
        return atEnd ? 0 : -1;
    }
    return at[1] == '\n' ? 2 : 0;
}

}  // namespace

LdifRecordSplitter::LdifRecordSplitter(LdifInput& input,
                                       std::function<bool(std::uint64_t)> keepGoing)
    : input_(input), keepGoing_(std::move(keepGoing)) {}

bool LdifRecordSplitter::Stop(LdifError error) {
    error_ = std::move(error);
    atEnd_ = true;
    return false;
}

bool LdifRecordSplitter::Fill() {
    if (atEnd_) {
        return false;
    }
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    // What is kept is the record still unfinished.
    if (end_ > kMaxRecordBytes) {
        return Stop({line_, "a record longer than " + std::to_string(kMaxRecordBytes >> 20) +
                                " MiB (is a blank line missing between entries?)"});
    }
    if (buffer_.size() - end_ < kReadBytes) {
        buffer_.resize(std::max(buffer_.size() * 2, end_ + kReadBytes));
    }
    for (;;) {
        if (keepGoing_ && !keepGoing_(bytesRead_)) {
            return Stop({0, {}, true});
        }
        const LdifInput::ReadResult read =
            input_.Read(buffer_.data() + end_, buffer_.size() - end_);
        if (read.error != 0) {
            return Stop({0, std::string("read error: ") + std::strerror(read.error)});
        }
        if (!read.waiting) {
            end_ += read.bytes;
            bytesRead_ += read.bytes;
            atEnd_ = read.bytes == 0;
            return !atEnd_;
        }
    }
}

std::optional<LdifRecord> LdifRecordSplitter::Next() {
    // Blank lines between records.
    for (;;) {
        const int blank = BlankLineAt(buffer_.data() + begin_, buffer_.data() + end_, atEnd_);
        if (blank > 0) {
            begin_ += static_cast<std::size_t>(blank);
            ++line_;
        } else if (blank < 0 || begin_ == end_) {
            if (!Fill()) {
                if (error_ || begin_ == end_) {
                    return std::nullopt;
                }
            }
        } else {
            break;
        }
    }
    // The record runs to the first line end followed by a blank line, or to the end.
    std::size_t scanned = 0;  // bytes after begin_ looked at
    unsigned long lines = 0;
    for (;;) {
        const char* start = buffer_.data() + begin_;
        const std::size_t available = end_ - begin_;
        const auto* newline =
            static_cast<const char*>(std::memchr(start + scanned, '\n', available - scanned));
        if (newline == nullptr) {
            scanned = available;
            if (atEnd_) {
                break;
            }
        } else {
            const auto at = static_cast<std::size_t>(newline - start);
            const int blank = BlankLineAt(newline + 1, start + available, atEnd_);
            if (blank >= 0) {
                ++lines;
                scanned = at + 1;
                if (blank > 0) {
                    break;
                }
                continue;
            }
            scanned = at;
        }
        if (!Fill() && error_) {
            return std::nullopt;
        }
    }
    LdifRecord record{{buffer_.data() + begin_, scanned}, line_};
    line_ += lines;
    begin_ += scanned;
    return record;
}

}  // namespace vantor
