#include "support/SlapdServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace vantor::test {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kPollStep = 10ms;
constexpr int kStartSeconds = 10;
constexpr int kStopSeconds = 5;
constexpr int kLoadSeconds = 120;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

void Replace(std::string& text, const std::string& name, const std::string& value) {
    const std::string marker = "@" + name + "@";
    for (std::size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + value.size())) {
        text.replace(at, marker.size(), value);
    }
}

std::string FirstExisting(const std::vector<std::string>& candidates, const std::string& file) {
    for (const std::string& folder : candidates) {
        if (fs::exists(fs::path(folder) / file)) {
            return folder;
        }
    }
    return {};
}

// Debian builds the database back ends as modules; other builds link them in.
std::string ModuleLines() {
    const std::string folder =
        FirstExisting({"/usr/lib/ldap", "/usr/lib/openldap", "/usr/lib64/openldap",
                       "/usr/libexec/openldap", "/usr/local/libexec/openldap"},
                      "back_mdb.la");
    return folder.empty() ? std::string() : "modulepath " + folder + "\nmoduleload back_mdb";
}

std::string PercentEncoded(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '/') {
            out += "%2F";
        } else {
            out += c;
        }
    }
    return out;
}

// Waits for the child to end, at most limitSeconds. Its exit status, or -1.
int WaitFor(pid_t pid, int limitSeconds) {
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

// Starts argv[0] with its output appended to logFile. dieWithParent: the child is killed when
// this process ends, however it ends, so a crashed test leaves no server behind.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& logFile, bool dieWithParent) {
    std::vector<char*> args;
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

// The pid slapd wrote into its pid file, which it does only once it listens.
pid_t PidFromFile(const std::string& path) {
    std::ifstream in(path);
    pid_t pid = -1;
    in >> pid;
    return in ? pid : -1;
}

// A port of 127.0.0.1 that nothing uses at the moment of the call.
int FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = -1;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

std::string PortLockFile(int port) {
    return (fs::temp_directory_path() / ("vantor-slapd-port-" + std::to_string(port) + ".lock"))
        .string();
}

bool Accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

std::string DatabaseBlock(const std::string& folder, const std::string& suffix,
                          const std::string& extra, int index) {
    std::string block = ReadFile(std::string(VANTOR_LDAP_TEST_DATA) + "/database.conf.in");
    const std::string directory = folder + "/db" + std::to_string(index);
    fs::create_directories(directory);
    Replace(block, "SUFFIX", suffix);
    Replace(block, "DIRECTORY", directory);
    Replace(block, "EXTRA", extra);
    return block;
}

std::string Configuration(const SlapdOptions& options, const std::string& folder) {
    std::string databases;
    int index = 0;
    for (const SlapdDatabase& database : options.subordinates) {
        // A subordinate database is declared before the one it is glued to.
        const std::string extra = database.glue == SlapdDatabase::Glue::kGlued ? "subordinate"
                                  : database.glue == SlapdDatabase::Glue::kGluedAdvertised
                                      ? "subordinate advertise"
                                      : "";
        databases += DatabaseBlock(folder, database.suffix, extra, ++index);
    }
    databases += DatabaseBlock(
        folder, options.suffix,
        "rootdn \"cn=admin," + options.suffix + "\"\nrootpw " + SlapdServer::kRootPassword,
        ++index);

    std::string config = ReadFile(std::string(VANTOR_LDAP_TEST_DATA) + "/slapd.conf.in");
    Replace(config, "SCHEMA_DIR",
            FirstExisting(
                {"/etc/ldap/schema", "/etc/openldap/schema", "/usr/local/etc/openldap/schema"},
                "core.schema"));
    Replace(config, "DATA_DIR", VANTOR_LDAP_TEST_DATA);
    Replace(config, "FOLDER", folder);
    Replace(config, "MODULES", ModuleLines());
    Replace(config, "TLS",
            options.tls ? "TLSCertificateFile " + folder + "/server.pem\nTLSCertificateKeyFile " +
                              folder + "/server.key"
                        : "");
    Replace(config, "SIZE_LIMIT", options.sizeLimit);
    Replace(config, "ACCESS", options.access);
    Replace(config, "DATABASES", databases);
    return config;
}

bool Load(const std::string& folder, const std::string& suffix, const std::string& ldif, int index,
          std::string& error) {
    const std::string file = folder + "/load" + std::to_string(index) + ".ldif";
    if (!WriteFile(file, ldif)) {
        error = "cannot write " + file;
        return false;
    }
    const std::string log = folder + "/slapadd.log";
    if (RunProgram(
            {VANTOR_SLAPADD_PROGRAM, "-q", "-f", folder + "/slapd.conf", "-b", suffix, "-l", file},
            log, kLoadSeconds) != 0) {
        error = "slapadd failed for " + suffix + ": " + ReadFile(log);
        return false;
    }
    return true;
}

bool MakeCertificate(const std::string& folder, std::string& error) {
    const std::string log = folder + "/openssl.log";
    if (RunProgram({OpensslProgram(), "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                    folder + "/server.key", "-out", folder + "/server.pem", "-days", "2", "-subj",
                    "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"},
                   log, 60) != 0) {
        error = "openssl could not make a test certificate: " + ReadFile(log);
        return false;
    }
    return true;
}

}  // namespace

std::string SlapdServer::Unavailable() {
    if (std::string(VANTOR_SLAPD_PROGRAM).empty() || std::string(VANTOR_SLAPADD_PROGRAM).empty()) {
        return "slapd and slapadd are not installed (scripts/setup.sh installs them)";
    }
    return {};
}

std::string OpensslProgram() {
    return VANTOR_OPENSSL_PROGRAM;
}

std::unique_ptr<SlapdServer> SlapdServer::Start(const SlapdOptions& options, std::string& error) {
    if (error = Unavailable(); !error.empty()) {
        return nullptr;
    }
    std::string pattern = (fs::temp_directory_path() / "vantor-slapd-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make a temporary folder";
        return nullptr;
    }
    std::unique_ptr<SlapdServer> server(new SlapdServer);
    server->folder_ = pattern;
    server->suffix_ = options.suffix;
    const std::string& folder = server->folder_;

    if (options.tls && (OpensslProgram().empty() || !MakeCertificate(folder, error))) {
        error = error.empty() ? "openssl is not installed" : error;
        return nullptr;
    }
    if (!WriteFile(folder + "/slapd.conf", Configuration(options, folder))) {
        error = "cannot write the slapd configuration";
        return nullptr;
    }
    std::string mainLdif;
    for (const std::string& name : options.ldifFiles) {
        mainLdif += ReadFile(std::string(VANTOR_LDAP_TEST_DATA) + "/" + name) + "\n";
    }
    mainLdif += options.ldif;
    int index = 0;
    if (!Load(folder, options.suffix, mainLdif, index++, error)) {
        return nullptr;
    }
    for (const SlapdDatabase& database : options.subordinates) {
        if (!Load(folder, database.suffix, database.ldif, index++, error)) {
            return nullptr;
        }
    }

    // The port may be taken between choosing and binding it: try a few.
    for (int attempt = 0; attempt < 3 && server->pid_ < 0; ++attempt) {
        if (!server->ClaimPort()) {
            error = "no free port on 127.0.0.1";
            return nullptr;
        }
        server->uri_ = "ldap://127.0.0.1:" + std::to_string(server->port_);
        std::string listeners = server->uri_ + "/";
        if (options.ldapi) {
            listeners += " " + server->LdapiUri();
        }
        const pid_t pid =
            Spawn({VANTOR_SLAPD_PROGRAM, "-d", "0", "-f", folder + "/slapd.conf", "-h", listeners},
                  folder + "/slapd.log", true);
        if (pid < 0) {
            error = "cannot start slapd";
            return nullptr;
        }
        const auto deadline = Clock::now() + std::chrono::seconds(kStartSeconds);
        int status = 0;
        while (Clock::now() < deadline) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                break;  // slapd gave up, most likely on a taken port
            }
            // Its pid file says that this slapd, not another one on the same port, listens.
            if (PidFromFile(folder + "/slapd.pid") == pid && Accepts(server->port_)) {
                server->pid_ = pid;
                break;
            }
            std::this_thread::sleep_for(kPollStep);
        }
        if (server->pid_ < 0 && Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        if (server->pid_ < 0) {
            server->ReleasePort();
        }
    }
    if (server->pid_ < 0) {
        error = "slapd did not start: " + ReadFile(folder + "/slapd.log");
        return nullptr;
    }
    return server;
}

SlapdServer::~SlapdServer() {
    Stop();
    ReleasePort();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

std::string SlapdServer::LdapiUri() const {
    return "ldapi://" + PercentEncoded(folder_ + "/ldapi");
}

void SlapdServer::Stop() {
    if (pid_ < 0) {
        return;
    }
    kill(pid_, SIGCONT);
    kill(pid_, SIGINT);
    WaitFor(pid_, kStopSeconds);
    pid_ = -1;
}

bool SlapdServer::ClaimPort() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int port = FreeLoopbackPort();
        if (port <= 0) {
            continue;
        }
        const int fd = open(PortLockFile(port).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) {
            port_ = port;
            portLock_ = fd;
            return true;
        }
        if (fd >= 0) {
            close(fd);
        }
    }
    return false;
}

void SlapdServer::ReleasePort() {
    if (portLock_ >= 0) {
        // Removed while still locked, and only once slapd has let the port go.
        unlink(PortLockFile(port_).c_str());
        close(portLock_);
        portLock_ = -1;
    }
}

void SlapdServer::Kill() {
    if (pid_ < 0) {
        return;
    }
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

void SlapdServer::Pause() {
    if (pid_ < 0 || kill(pid_, SIGSTOP) != 0) {
        return;
    }
    // The stop takes a moment to reach every thread; a request sent before would be answered.
    const auto deadline = Clock::now() + std::chrono::seconds(kStopSeconds);
    int status = 0;
    while (Clock::now() < deadline && waitpid(pid_, &status, WUNTRACED | WNOHANG) != pid_) {
        std::this_thread::sleep_for(kPollStep);
    }
}

void SlapdServer::Resume() {
    if (pid_ >= 0) {
        kill(pid_, SIGCONT);
    }
}

int RunProgram(const std::vector<std::string>& argv, const std::string& logFile, int limitSeconds) {
    const pid_t pid = Spawn(argv, logFile, false);
    return pid < 0 ? -1 : WaitFor(pid, limitSeconds);
}

}  // namespace vantor::test
