#pragma once
// Ports of 127.0.0.1 for test servers, and locks that the test processes of one machine share
// (several worktrees and presets run their suites at the same time).

#include <string>

namespace vantor::test {

// An exclusive flock on a file, held while the object lives.
class MachineLock {
  public:
    MachineLock() = default;
    ~MachineLock() { Release(); }
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;

    // Takes the lock, waiting at most waitSeconds for its holder. False when it stayed taken.
    bool Acquire(const std::string& path, int waitSeconds);
    // Removes the file while still holding it, so that a later claim starts afresh.
    void Release();

  private:
    std::string path_;
    int fd_ = -1;
};

// A port of 127.0.0.1 that nothing listened on when claimed, reserved against the other test
// processes of the machine until released.
class ClaimedPort {
  public:
    // False when no free port could be claimed.
    bool Claim();
    void Release() { lock_.Release(); }
    int Port() const { return port_; }

  private:
    MachineLock lock_;
    int port_ = 0;
};

// True when something accepts connections on the port of 127.0.0.1.
bool AcceptsConnections(int port);

}  // namespace vantor::test
