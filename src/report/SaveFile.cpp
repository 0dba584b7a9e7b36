#include "report/SaveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

// Writes everything to fd and flushes it to the disk; 0 or the errno of the failure.
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
    // Pipes and terminals have nothing to flush.
    return ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP ? 0 : errno;
}

// The path of the file an open descriptor stands for, as the kernel resolved it.
std::string PathOf(int fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::string path(4096, '\0');
    const ssize_t n = ::readlink(link.c_str(), path.data(), path.size());
    path.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return path;
}

// Where the content goes when path is, or leads to, a regular file or nothing yet.
struct Destination {
    std::string file;           // the file to replace: a symbolic link's target, resolved
    bool existed = false;       // with the owner and permissions of `before`
    bool createdEmpty = false;  // made empty through a link to nothing, removed on failure
    struct stat before {};
};

// Writes into a device or FIFO, which a rename would replace instead of feeding.
std::optional<std::string> WriteInto(const std::string& path, const std::string& content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return Failure(path, errno);
    }
    const int error = WriteAll(fd, content);
    if (::close(fd) != 0 && error == 0) {
        return Failure(path, errno);
    }
    return error == 0 ? std::nullopt : std::optional(Failure(path, error));
}

// Puts content in place of the destination file: an exclusive temporary file with a random name
// in the same folder, written, flushed, given the old file's owner and permissions, renamed.
std::optional<std::string> Replace(const std::string& requested, const Destination& to,
                                   const std::string& content) {
    const std::string folder = DirectoryOf(to.file);
    std::string temporary = folder + "/.vantor-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return Failure(requested, errno);
    }
    int error = WriteAll(fd, content);
    if (error == 0 && to.existed) {
        // Root may hand the file back to its owner; anyone else keeps their own.
        (void)!::fchown(fd, to.before.st_uid, to.before.st_gid);
    }
    if (error == 0) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        const mode_t mode = to.existed ? to.before.st_mode & 07777 : 0666 & ~mask;
        error = ::fchmod(fd, mode) == 0 ? 0 : errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), to.file.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        if (to.createdEmpty) {
            ::unlink(to.file.c_str());
        }
        return Failure(requested, error);
    }
    // The rename itself reaches the disk with the folder.
    if (const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> SaveFileReplacing(const std::string& requested,
                                             const std::string& content) {
    if (requested.empty()) {
        return std::string("Could not write the file: no file name was given");
    }
    Destination to;
    // The kernel follows symbolic links here as for any open, with its protections in shared
    // folders; the file reached is the one written.
    int fd = ::open(requested.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        struct stat link {};
        if (::lstat(requested.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            to.file = requested;  // a new file
            return Replace(requested, to, content);
        }
        // A link to nothing yet: its target is made, as writing through the link would.
        fd = ::open(requested.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666);
        to.createdEmpty = fd >= 0;
    }
    if (fd < 0) {
        return Failure(requested, errno);
    }
    const bool gotStatus = ::fstat(fd, &to.before) == 0;
    const int statusError = errno;
    to.file = PathOf(fd);
    ::close(fd);
    if (!gotStatus) {
        return Failure(requested, statusError);
    }
    if (!S_ISREG(to.before.st_mode)) {
        return WriteInto(requested, content);  // a device, a FIFO; a folder refuses
    }
    to.existed = !to.createdEmpty;
    if (to.file.empty()) {
        return Failure(requested, ENOENT);
    }
    return Replace(requested, to, content);
}

}  // namespace vantor
