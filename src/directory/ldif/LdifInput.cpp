#include "directory/ldif/LdifInput.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vantor {

namespace {

constexpr int kPollMilliseconds = 100;

class FileInput : public LdifInput {
  public:
    FileInput(int fd, bool owned, std::optional<std::uint64_t> size)
        : fd_(fd), owned_(owned), size_(size) {}
    ~FileInput() override {
        if (owned_) {
            ::close(fd_);
        }
    }
    FileInput(const FileInput&) = delete;
    FileInput& operator=(const FileInput&) = delete;

    ReadResult Read(char* into, std::size_t size) override {
        if (!size_) {
            // A pipe or terminal may stay silent: wait a little, then give the caller its turn.
            pollfd ready{fd_, POLLIN, 0};
            const int polled = ::poll(&ready, 1, kPollMilliseconds);
            if (polled == 0 || (polled < 0 && errno == EINTR)) {
                return {0, true, 0};
            }
        }
        const ssize_t got = ::read(fd_, into, size);
        if (got < 0) {
            return errno == EINTR || errno == EAGAIN ? ReadResult{0, true, 0}
                                                     : ReadResult{0, false, errno};
        }
        return {static_cast<std::size_t>(got), false, 0};
    }

    std::optional<std::uint64_t> Size() const override { return size_; }

  private:
    int fd_;
    bool owned_;
    std::optional<std::uint64_t> size_;
};

class TextInput : public LdifInput {
  public:
    explicit TextInput(std::string_view text) : text_(text) {}

    ReadResult Read(char* into, std::size_t size) override {
        const std::size_t n = std::min(size, text_.size());
        std::memcpy(into, text_.data(), n);
        text_.remove_prefix(n);
        return {n, false, 0};
    }

    std::optional<std::uint64_t> Size() const override { return text_.size(); }

  private:
    std::string_view text_;
};

}  // namespace

std::unique_ptr<LdifInput> OpenLdifInput(const std::string& path, std::string& error) {
    const bool standardInput = path == "-";
    const int fd = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return nullptr;
    }
    struct stat status {};
    std::optional<std::uint64_t> size;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        size = static_cast<std::uint64_t>(status.st_size);
    }
    return std::make_unique<FileInput>(fd, !standardInput, size);
}

std::unique_ptr<LdifInput> TextLdifInput(std::string_view text) {
    return std::make_unique<TextInput>(text);
}

}  // namespace vantor
