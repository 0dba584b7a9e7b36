#pragma once
// What the system says when a file cannot be created in a folder, found by trying it.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace vantor::test {

// The cause the system gives for creating a file in folder; "" when it can be done.
inline std::string CreateFailureCause(const std::string& folder) {
    const std::string probe = folder + "/vantor-probe";
    const int fd = ::open(probe.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        ::unlink(probe.c_str());
        return {};
    }
    return std::strerror(errno);
}

}  // namespace vantor::test
