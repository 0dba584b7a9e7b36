#include "support/ChildProcess.h"

#include "support/LoopbackPort.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace vantor::test {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollStep = std::chrono::milliseconds(10);

}  // namespace

pid_t SpawnProgram(const std::vector<std::string>& argv, const std::string& logFile,
                   bool dieWithParent) {
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) {
        return pid;
    }
    // The child: only async-signal-safe calls until exec.
    if (dieWithParent && (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent)) {
        _exit(127);
    }
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (in < 0 || out < 0 || dup2(in, STDIN_FILENO) < 0 || dup2(out, STDOUT_FILENO) < 0 ||
        dup2(out, STDERR_FILENO) < 0) {
        _exit(127);
    }
    execv(args[0], args.data());
    _exit(127);
}

int WaitForExit(pid_t pid, int limitSeconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(limitSeconds);
    int status = 0;
    while (Clock::now() < deadline) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (done < 0) {
            return -1;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

void StopProgram(pid_t pid, int signal, int limitSeconds) {
    if (pid <= 0) {
        return;
    }
    kill(pid, SIGCONT);  // a stopped child would not act on the signal
    kill(pid, signal);
    WaitForExit(pid, limitSeconds);
}

bool WaitUntilListening(pid_t pid, const std::string& pidFile, int port, int limitSeconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(limitSeconds);
    int status = 0;
    while (Clock::now() < deadline) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return false;
        }
        std::ifstream in(pidFile);
        pid_t written = -1;
        if (in >> written && written == pid && AcceptsConnections(port)) {
            return true;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
}

pid_t StartListening(ClaimedPort& port, const std::function<pid_t(int, std::string&)>& spawn,
                     const std::string& pidFile, int limitSeconds, std::string& error) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!port.Claim()) {
            error = "no free port on 127.0.0.1";
            return -1;
        }
        const pid_t pid = spawn(port.Port(), error);
        if (pid < 0) {
            return -1;
        }
        if (WaitUntilListening(pid, pidFile, port.Port(), limitSeconds)) {
            return pid;
        }
        port.Release();
    }
    return -1;
}

int RunProgram(const std::vector<std::string>& argv, const std::string& logFile, int limitSeconds) {
    const pid_t pid = SpawnProgram(argv, logFile, false);
    return pid < 0 ? -1 : WaitForExit(pid, limitSeconds);
}

std::string MakeTemporaryFolder(const std::string& prefix) {
    std::string path = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    return mkdtemp(path.data()) != nullptr ? path : std::string();
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

}  // namespace vantor::test
