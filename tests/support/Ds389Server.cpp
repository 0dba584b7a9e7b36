#include "support/Ds389Server.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "support/ChildProcess.h"

namespace vantor::test {

namespace {

namespace fs = std::filesystem;

constexpr int kStartSeconds = 60;  // a loaded machine under the sanitizers is slow
constexpr int kStopSeconds = 30;
constexpr int kToolSeconds = 60;

// The folders an instance keeps, all inside its temporary folder.
constexpr const char* kFolders[] = {"config/schema", "db",  "bak", "ldif",
                                    "lock",          "log", "run", "tmp"};

void Replace(std::string& text, const std::string& marker, const std::string& value) {
    for (std::size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + value.size())) {
        text.replace(at, marker.size(), value);
    }
}

std::string UserName() {
    const passwd* user = getpwuid(geteuid());
    return user != nullptr ? user->pw_name : "root";
}

// The password as the server stores it: 389 refuses a clear-text root password.
std::string HashedPassword(const std::string& folder, std::string& error) {
    const std::string log = folder + "/pwdhash.out";
    if (RunProgram({VANTOR_DS389_PWDHASH, "-s", "SSHA512", Ds389Server::kRootPassword}, log,
                   kToolSeconds) != 0) {
        error = "pwdhash failed: " + ReadTextFile(log);
        return {};
    }
    std::string hash = ReadTextFile(log);
    hash.erase(hash.find_last_not_of("\r\n") + 1);
    return hash;
}

// The package's template of dse.ldif, the instance's whole configuration, with every path in
// the instance folder, only 127.0.0.1 listening and transactions not flushed to disk (the data
// lives for one test run).
std::string Configuration(const std::string& folder, int port, const std::string& rootPassword) {
    std::string dse = ReadTextFile(VANTOR_DS389_TEMPLATE);
    const std::string config = folder + "/config";
    const std::pair<const char*, std::string> values[] = {
        {"%schema_dir%", config + "/schema"},
        {"%lock_dir%", folder + "/lock"},
        {"%tmp_dir%", folder + "/tmp"},
        {"%cert_dir%", config},
        {"%ldif_dir%", folder + "/ldif"},
        {"%bak_dir%", folder + "/bak"},
        {"%run_dir%", folder + "/run"},
        {"%inst_dir%", folder + "/inst"},
        {"%log_dir%", folder + "/log"},
        {"%fqdn%", "localhost"},
        {"%ds_port%", std::to_string(port) + "\nnsslapd-listenhost: 127.0.0.1"},
        {"%ds_user%", UserName()},
        {"%rootdn%", Ds389Server::kRootDn},
        {"%ds_passwd%", rootPassword},
        {"%ldapi_enabled%", "off"},
        {"%ldapi%", folder + "/ldapi"},
        {"%ldapi_autobind%", "off"},
        {"%ds_suffix%", "dc=example"},  // where the 7-bit check plugin looks
        {"%config_dir%", config},
        {"%db_dir%", folder + "/db"},
        {"%db_home_dir%", folder + "/db"},
        {"%db_lib%", "bdb\nnsslapd-db-durable-transaction: off"},
    };
    for (const auto& [marker, value] : values) {
        Replace(dse, marker, value);
    }
    return dse;
}

}  // namespace

std::string Ds389Server::Unavailable() {
    if (std::string(VANTOR_DS389_SERVER).empty() || std::string(VANTOR_DS389_PWDHASH).empty() ||
        !fs::exists(VANTOR_DS389_TEMPLATE)) {
        return "389 Directory Server is not installed (scripts/setup.sh installs 389-ds-base)";
    }
    return LdapToolsUnavailable();
}

bool Ds389Server::MakeInstance(std::string& error) {
    for (const char* name : kFolders) {
        fs::create_directories(folder_ + "/" + name);
    }
    std::error_code failed;
    fs::copy_file(std::string(VANTOR_DS389_SYSCONF) + "/schema/99user.ldif",
                  folder_ + "/config/schema/99user.ldif", failed);
    for (const char* file : {"certmap.conf", "slapd-collations.conf"}) {
        if (!failed) {
            fs::copy_file(std::string(VANTOR_DS389_SYSCONF) + "/config/" + file,
                          folder_ + "/config/" + file, failed);
        }
    }
    if (failed) {
        error = "cannot copy the instance files from " VANTOR_DS389_SYSCONF ": " + failed.message();
        return false;
    }
    const std::string hash = HashedPassword(folder_, error);
    if (hash.empty() ||
        !WriteTextFile(folder_ + "/config/dse.ldif", Configuration(folder_, port_.Port(), hash)) ||
        !WritePasswordFile(login_.passwordFile, kRootPassword)) {
        error = error.empty() ? "cannot write the instance configuration" : error;
        return false;
    }
    return true;
}

std::unique_ptr<Ds389Server> Ds389Server::Start(const std::vector<std::string>& ldifFiles,
                                                std::string& error) {
    if (error = Unavailable(); !error.empty()) {
        return nullptr;
    }
    const std::string folder = MakeTemporaryFolder("vantor-389-");
    if (folder.empty()) {
        error = "cannot make a temporary folder";
        return nullptr;
    }
    std::unique_ptr<Ds389Server> server(new Ds389Server);
    server->folder_ = folder;
    server->login_ = {"", kRootDn, folder + "/root.pw"};
    const std::string pidFile = folder + "/run/ns-slapd.pid";
    const auto spawn = [&](int port, std::string& why) -> pid_t {
        server->login_.uri = "ldap://127.0.0.1:" + std::to_string(port);
        if (!server->MakeInstance(why)) {
            return -1;
        }
        // -d 0 keeps ns-slapd in the foreground, a child of this process.
        const pid_t pid =
            SpawnProgram({VANTOR_DS389_SERVER, "-D", folder + "/config", "-i", pidFile, "-d", "0"},
                         folder + "/ns-slapd.out", true);
        why = pid < 0 ? "cannot start ns-slapd" : "";
        return pid;
    };
    server->pid_ = StartListening(server->port_, spawn, pidFile, kStartSeconds, error);
    if (server->pid_ < 0) {
        error = error.empty() ? "ns-slapd did not start: " + ReadTextFile(folder + "/log/errors")
                              : error;
        return nullptr;
    }
    for (const std::string& file : ldifFiles) {
        if (error = server->Apply(file); !error.empty()) {
            return nullptr;
        }
    }
    return server;
}

Ds389Server::~Ds389Server() {
    StopProgram(pid_, SIGTERM, kStopSeconds);
    port_.Release();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

std::string Ds389Server::Apply(const std::string& ldifFile) const {
    return ApplyLdif(login_, ldifFile, folder_ + "/ldapmodify.out");
}

}  // namespace vantor::test
