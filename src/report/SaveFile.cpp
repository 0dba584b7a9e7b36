#include "report/SaveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vantor {

namespace {

std::string Failure(const std::string& path, int error) {
    return "Could not write \"" + path + "\": " + std::strerror(error);
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes everything to fd; 0 or the errno of the failure.
int WriteAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
}

}  // namespace

std::optional<std::string> SaveFileReplacing(const std::string& requested,
                                             const std::string& content) {
    // A symbolic link is written through: its target gets the new report, the link stays.
    std::string path = requested;
    if (char* resolved = ::realpath(requested.c_str(), nullptr)) {
        path = resolved;
        std::free(resolved);
    }
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or other special file cannot be replaced by a rename; write to it directly.
        const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) {
            return Failure(requested, errno);
        }
        const int error = WriteAll(fd, content);
        if (::close(fd) != 0 && error == 0) {
            return Failure(requested, errno);
        }
        return error == 0 ? std::nullopt : std::optional(Failure(requested, error));
    }

    std::string temporary = DirectoryOf(path) + "/.vantor-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return Failure(requested, errno);
    }
    int error = WriteAll(fd, content);
    if (error == 0) {
        // The report keeps the permissions an existing file had, else the usual ones.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, exists ? existing.st_mode & 07777 : 0666 & ~mask);
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return Failure(requested, error);
    }
    return std::nullopt;
}

}  // namespace vantor
