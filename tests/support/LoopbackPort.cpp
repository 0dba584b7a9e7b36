#include "support/LoopbackPort.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace vantor::test {

namespace {

namespace fs = std::filesystem;

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A port of 127.0.0.1 that nothing uses at the moment of the call.
int FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    int port = -1;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

}  // namespace

bool MachineLock::Acquire(const std::string& path, int waitSeconds) {
    Release();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(waitSeconds);
    do {
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            return false;
        }
        // The file may have been removed by its last holder after we opened it: only a lock
        // on the file that is still at the path counts.
        struct stat opened {};
        struct stat current {};
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &opened) == 0 &&
            stat(path.c_str(), &current) == 0 && opened.st_ino == current.st_ino) {
            path_ = path;
            fd_ = fd;
            return true;
        }
        close(fd);
        if (waitSeconds > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

void MachineLock::Release() {
    if (fd_ >= 0) {
        unlink(path_.c_str());
        close(fd_);
        fd_ = -1;
    }
}

bool ClaimedPort::Claim() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int port = FreeLoopbackPort();
        const std::string lockFile =
            (fs::temp_directory_path() / ("vantor-port-" + std::to_string(port) + ".lock"))
                .string();
        if (port > 0 && lock_.Acquire(lockFile, 0)) {
            port_ = port;
            return true;
        }
    }
    return false;
}

bool AcceptsConnections(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const sockaddr_in address = Loopback(port);
    const bool connected =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

}  // namespace vantor::test
