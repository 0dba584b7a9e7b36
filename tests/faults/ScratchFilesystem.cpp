#include "faults/ScratchFilesystem.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace vantor::test {

namespace {

constexpr unsigned kChildSeconds = 20;

void WriteAll(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n <= 0) {
            return;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

// A record is its length (8 bytes) and its bytes; the first one says "ran" or why not.
void Send(int fd, const std::string& text) {
    const std::uint64_t size = text.size();
    WriteAll(fd, &size, sizeof size);
    WriteAll(fd, text.data(), text.size());
}

std::string ReadAllFrom(int fd) {
    std::string data;
    char chunk[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0) {
            data.append(chunk, static_cast<std::size_t>(n));
        }
    }
    return data;
}

std::vector<std::string> Records(const std::string& data) {
    std::vector<std::string> records;
    std::size_t at = 0;
    while (data.size() - at >= sizeof(std::uint64_t)) {
        std::uint64_t size = 0;
        std::memcpy(&size, data.data() + at, sizeof size);
        at += sizeof size;
        if (data.size() - at < size) {
            break;
        }
        records.push_back(data.substr(at, size));
        at += size;
    }
    return records;
}

std::string Failed(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// In the child: the private namespace and the mount. "" when both are there.
std::string Mount(const std::string& folder, std::size_t bytes) {
    if (::unshare(CLONE_NEWNS) != 0) {
        return Failed("unshare(CLONE_NEWNS)");
    }
    // Nothing mounted from here on may reach the namespace the child came from.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return Failed("making / private");
    }
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("vantor-scratch", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) !=
        0) {
        return Failed("mounting a tmpfs");
    }
    return {};
}

}  // namespace

ScratchOutcome InScratchFilesystem(
    std::size_t bytes, const std::function<std::vector<std::string>(const std::string&)>& step) {
    ScratchOutcome outcome;
    std::string folder =
        (std::filesystem::temp_directory_path() / "vantor-scratch-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        outcome.unavailable = Failed("mkdtemp");
        return outcome;
    }
    int channel[2] = {-1, -1};
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        outcome.unavailable = Failed("pipe");
        std::filesystem::remove(folder);
        return outcome;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        ::alarm(kChildSeconds);
        const std::string why = Mount(folder, bytes);
        Send(channel[1], why);
        if (why.empty()) {
            for (const std::string& result : step(folder)) {
                Send(channel[1], result);
            }
        }
        ::close(channel[1]);
        ::_exit(0);  // no exit handlers: they belong to the test program
    }
    ::close(channel[1]);
    const std::string data = pid > 0 ? ReadAllFrom(channel[0]) : std::string();
    ::close(channel[0]);
    int status = 0;
    const bool ended = pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
                       WEXITSTATUS(status) == 0;
    std::filesystem::remove(folder);

    std::vector<std::string> records = Records(data);
    if (!ended || records.empty()) {
        outcome.unavailable = pid < 0 ? Failed("fork") : "the step did not finish";
    } else if (!records.front().empty()) {
        outcome.unavailable = records.front();
    } else {
        outcome.results.assign(records.begin() + 1, records.end());
    }
    return outcome;
}

bool RemountReadOnly(const std::string& folder) {
    return ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
                   nullptr) == 0;
}

void FillUp(const std::string& folder, const std::string& name, std::size_t spare) {
    const std::string path = folder + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    const std::string block(4096, 'f');
    struct statvfs space {};
    while (::statvfs(folder.c_str(), &space) == 0 &&
           static_cast<std::size_t>(space.f_bavail) * space.f_frsize > spare) {
        const std::size_t room = static_cast<std::size_t>(space.f_bavail) * space.f_frsize - spare;
        if (::write(fd, block.data(), std::min(room, block.size())) <= 0) {
            break;
        }
    }
    ::close(fd);
}

}  // namespace vantor::test
