#include "faults/RestartedSlapd.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

namespace vantor::test {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kStartLimit = 10s;
constexpr auto kStopLimit = 5s;
constexpr auto kPollStep = 10ms;

bool Accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// Waits for the child to end, at most limit; true when it did.
bool Reaped(pid_t pid, Clock::duration limit) {
    const auto deadline = Clock::now() + limit;
    int status = 0;
    while (Clock::now() < deadline) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || done < 0) {
            return true;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    return false;
}

}  // namespace

RestartedSlapd::RestartedSlapd(const SlapdServer& server) {
    const std::string log = server.Folder() + "/slapd-restarted.log";
    std::vector<std::string> words = {
        VANTOR_SLAPD_PROGRAM, "-d", "0", "-f", server.Folder() + "/slapd.conf", "-h",
        server.Uri() + "/"};
    std::vector<char*> args;
    args.reserve(words.size() + 1);
    for (std::string& word : words) {
        args.push_back(word.data());
    }
    args.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        error_ = "cannot fork";
        return;
    }
    if (pid == 0) {
        // Only async-signal-safe calls until exec; the server dies with the test.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) {
            ::_exit(127);
        }
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(out, STDERR_FILENO) < 0) {
            ::_exit(127);
        }
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    const auto deadline = Clock::now() + kStartLimit;
    while (Clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            error_ = "slapd ended at once; see " + log;
            return;
        }
        if (Accepts(server.Port())) {
            pid_ = pid;
            return;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    ::kill(pid, SIGKILL);
    Reaped(pid, kStopLimit);
    error_ = "slapd did not listen again on " + server.Uri();
}

RestartedSlapd::~RestartedSlapd() {
    if (pid_ <= 0) {
        return;
    }
    ::kill(pid_, SIGINT);
    if (!Reaped(pid_, kStopLimit)) {
        ::kill(pid_, SIGKILL);
        Reaped(pid_, kStopLimit);
    }
}

}  // namespace vantor::test
