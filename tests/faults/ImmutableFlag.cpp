#include "faults/ImmutableFlag.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vantor::test {

namespace {

// Turns the attribute on or off; 0 or the errno of the failure.
int ChangeFlag(const std::string& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    int flags = 0;
    int error = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
        error = errno;
    } else {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0) {
            error = errno;
        }
    }
    ::close(fd);
    return error;
}

}  // namespace

ImmutableFlag::ImmutableFlag(std::string path) : path_(std::move(path)) {
    const int error = ChangeFlag(path_, true);
    set_ = error == 0;
    if (!set_) {
        error_ = "cannot make " + path_ + " immutable: " + std::strerror(error);
    }
}

ImmutableFlag::~ImmutableFlag() {
    if (set_) {
        ChangeFlag(path_, false);
    }
}

}  // namespace vantor::test
