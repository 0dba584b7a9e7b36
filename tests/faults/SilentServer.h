#pragma once
// A server on 127.0.0.1 that takes every connection and reads whatever comes, but never
// answers: a directory server that hangs after the TCP handshake.

#include <atomic>
#include <cstddef>
#include <string>
#include <thread>

namespace vantor::test {

class SilentServer {
  public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    // False when no socket could be set up (the reason in Error()).
    bool Listening() const { return fd_ >= 0; }
    const std::string& Error() const { return error_; }
    std::string Uri() const { return "ldap://127.0.0.1:" + std::to_string(port_); }
    int Port() const { return port_; }

    int Connections() const { return connections_.load(); }
    std::size_t BytesRead() const { return bytesRead_.load(); }

  private:
    void Serve();

    int fd_ = -1;
    int port_ = 0;
    std::string error_;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::atomic<std::size_t> bytesRead_{0};
    std::thread thread_;
};

}  // namespace vantor::test
