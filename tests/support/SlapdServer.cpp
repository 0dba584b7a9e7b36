#include "support/SlapdServer.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
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

std::string DatabaseBlock(const std::string& folder, const std::string& suffix,
                          const std::string& extra, int index) {
    std::string block = ReadTextFile(std::string(VANTOR_LDAP_TEST_DATA) + "/database.conf.in");
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

    std::string config = ReadTextFile(std::string(VANTOR_LDAP_TEST_DATA) + "/slapd.conf.in");
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
    if (!WriteTextFile(file, ldif)) {
        error = "cannot write " + file;
        return false;
    }
    const std::string log = folder + "/slapadd.log";
    if (RunProgram(
            {VANTOR_SLAPADD_PROGRAM, "-q", "-f", folder + "/slapd.conf", "-b", suffix, "-l", file},
            log, kLoadSeconds) != 0) {
        error = "slapadd failed for " + suffix + ": " + ReadTextFile(log);
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
        error = "openssl could not make a test certificate: " + ReadTextFile(log);
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
    std::unique_ptr<SlapdServer> server(new SlapdServer);
    server->folder_ = MakeTemporaryFolder("vantor-slapd-");
    if (server->folder_.empty()) {
        error = "cannot make a temporary folder";
        return nullptr;
    }
    server->suffix_ = options.suffix;
    const std::string& folder = server->folder_;

    if (options.tls && (OpensslProgram().empty() || !MakeCertificate(folder, error))) {
        error = error.empty() ? "openssl is not installed" : error;
        return nullptr;
    }
    if (!WriteTextFile(folder + "/slapd.conf", Configuration(options, folder))) {
        error = "cannot write the slapd configuration";
        return nullptr;
    }
    std::string mainLdif;
    for (const std::string& name : options.ldifFiles) {
        mainLdif += ReadTextFile(std::string(VANTOR_LDAP_TEST_DATA) + "/" + name) + "\n";
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

    const auto spawn = [&](int port, std::string& why) {
        server->uri_ = "ldap://127.0.0.1:" + std::to_string(port);
        std::string listeners = server->uri_ + "/";
        if (options.ldapi) {
            listeners += " " + server->LdapiUri();
        }
        const pid_t pid = SpawnProgram(
            {VANTOR_SLAPD_PROGRAM, "-d", "0", "-f", folder + "/slapd.conf", "-h", listeners},
            folder + "/slapd.log", true);
        why = pid < 0 ? "cannot start slapd" : "";
        return pid;
    };
    server->pid_ =
        StartListening(server->port_, spawn, folder + "/slapd.pid", kStartSeconds, error);
    if (server->pid_ < 0) {
        error =
            error.empty() ? "slapd did not start: " + ReadTextFile(folder + "/slapd.log") : error;
        return nullptr;
    }
    return server;
}

SlapdServer::~SlapdServer() {
    Stop();
    port_.Release();
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
    StopProgram(pid_, SIGINT, kStopSeconds);
    pid_ = -1;
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

}  // namespace vantor::test
