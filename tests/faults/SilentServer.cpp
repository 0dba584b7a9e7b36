#include "faults/SilentServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace vantor::test {

namespace {

constexpr int kPollMilliseconds = 20;  // how soon the server notices that it should end

}  // namespace

SilentServer::SilentServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        error_ = std::string("socket: ") + std::strerror(errno);
        return;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd_, 8) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error_ = std::string("cannot listen on 127.0.0.1: ") + std::strerror(errno);
        ::close(fd_);
        fd_ = -1;
        return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

SilentServer::~SilentServer() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void SilentServer::Serve() {
    std::vector<pollfd> watched{{fd_, POLLIN, 0}};
    char sink[4096];
    while (!stop_) {
        if (::poll(watched.data(), watched.size(), kPollMilliseconds) <= 0) {
            continue;
        }
        if ((watched[0].revents & POLLIN) != 0) {
            const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                ++connections_;
                watched.push_back({client, POLLIN, 0});
            }
        }
        for (std::size_t i = 1; i < watched.size(); ++i) {
            if ((watched[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            const ssize_t n = ::read(watched[i].fd, sink, sizeof sink);
            if (n > 0) {
                bytesRead_ += static_cast<std::size_t>(n);
            } else {
                ::close(watched[i].fd);  // the client gave up
                watched[i].fd = -1;      // poll skips it from now on
            }
        }
    }
    for (std::size_t i = 1; i < watched.size(); ++i) {
        if (watched[i].fd >= 0) {
            ::close(watched[i].fd);
        }
    }
}

}  // namespace vantor::test
