#include "support/SambaAdServer.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>

#include "support/ChildProcess.h"

namespace vantor::test {

namespace {

namespace fs = std::filesystem;

constexpr int kLdapPort = 389;
constexpr int kGlobalCatalogPort = 3268;
constexpr int kLockWaitSeconds = 420;  // another suite's domain controller may be running
constexpr int kProvisionSeconds = 300;
constexpr int kStartSeconds = 120;
constexpr int kStopSeconds = 30;

// The whole configuration, written anew for every copy of a domain: LDAP only, on 127.0.0.1,
// simple binds over plain LDAP, every file in the domain's folder, nothing synced to disk.
std::string SmbConf(const std::string& domain) {
    std::ostringstream conf;
    conf << "[global]\n"
         << "netbios name = DC1\n"
         << "realm = " << SambaAdServer::kRealm << "\n"
         << "workgroup = " << SambaAdServer::kDomain << "\n"
         << "server role = active directory domain controller\n"
         << "server services = ldap\n"
         << "interfaces = 127.0.0.1\n"
         << "bind interfaces only = yes\n"
         << "ldap server require strong auth = no\n"
         << "tls enabled = no\n"
         << "ldb:nosync = true\n"
         << "private dir = " << domain << "/private\n"
         << "lock directory = " << domain << "\n"
         << "state directory = " << domain << "/state\n"
         << "cache directory = " << domain << "/cache\n"
         << "binddns dir = " << domain << "/bind-dns\n"
         << "pid directory = " << domain << "/run\n"
         << "log file = " << domain << "/log/samba.log\n"
         << "logging = file\n";
    return conf.str();
}

// Folders and regular files with their permissions (Samba refuses a messaging folder anyone
// may enter); sockets and the like belong to a server that has ended.
bool CopyTree(const fs::path& from, const fs::path& to) {
    std::error_code failed;
    fs::create_directories(to.parent_path(), failed);
    fs::create_directory(to, from, failed);
    for (auto it = fs::recursive_directory_iterator(from, failed);
         !failed && it != fs::recursive_directory_iterator(); it.increment(failed)) {
        const fs::path target = to / fs::relative(it->path(), from);
        if (it->is_directory()) {
            fs::create_directory(target, it->path(), failed);
        } else if (it->is_regular_file()) {
            fs::copy_file(it->path(), target, failed);
        }
    }
    return !failed;
}

// The cached domain for these LDIF files, or "" when no cache folder is set.
std::string CacheEntry(const std::vector<std::string>& ldifFiles) {
    const char* cache = std::getenv("VANTOR_SERVER_CACHE");
    if (cache == nullptr || *cache == '\0') {
        return {};
    }
    std::string contents = SambaAdServer::kAdminPassword;
    for (const std::string& file : ldifFiles) {
        contents += ReadTextFile(file) + '\0';
    }
    std::ostringstream name;
    name << "samba-ad-" << std::hex << std::hash<std::string>{}(contents);
    return (fs::path(cache) / name.str()).string();
}

}  // namespace

std::string SambaAdServer::Unavailable() {
    if (std::string(VANTOR_SAMBA_SERVER).empty() || std::string(VANTOR_SAMBA_TOOL).empty()) {
        return "Samba's AD domain controller is not installed (scripts/setup.sh installs "
               "samba-ad-dc and samba-ad-provision)";
    }
    return LdapToolsUnavailable();
}

std::unique_ptr<SambaAdServer> SambaAdServer::Start(const std::vector<std::string>& ldifFiles,
                                                    std::string& error) {
    if (error = Unavailable(); !error.empty()) {
        return nullptr;
    }
    const std::string folder = MakeTemporaryFolder("vantor-samba-");
    if (folder.empty()) {
        error = "cannot make a temporary folder";
        return nullptr;
    }
    std::unique_ptr<SambaAdServer> server(new SambaAdServer);
    server->folder_ = folder;
    server->login_ = {"ldap://127.0.0.1:" + std::to_string(kLdapPort), kAdministrator,
                      folder + "/admin.pw"};
    if (!WritePasswordFile(server->login_.passwordFile, kAdminPassword)) {
        error = "cannot write " + server->login_.passwordFile;
        return nullptr;
    }
    if (!server->ports_.Acquire((fs::temp_directory_path() / "vantor-samba-ad.lock").string(),
                                kLockWaitSeconds)) {
        error = "another test's Samba domain controller kept 127.0.0.1:389 for too long";
        return nullptr;
    }
    if (AcceptsConnections(kLdapPort) || AcceptsConnections(kGlobalCatalogPort)) {
        error = "another server listens on 127.0.0.1:389 or :3268";
        return nullptr;
    }

    const std::string domain = folder + "/domain";
    const std::string cached = CacheEntry(ldifFiles);
    if (!cached.empty() && fs::exists(cached + "/complete")) {
        if (!CopyTree(cached + "/domain", domain)) {
            error = "cannot copy the cached domain " + cached;
            return nullptr;
        }
        return server->Run(error) ? std::move(server) : nullptr;
    }
    if (!server->Provision(ldifFiles, error)) {
        return nullptr;
    }
    if (!cached.empty()) {
        // Stopped, so that its databases are whole; filled beside the entry, then renamed
        // into place, so that no later start copies half a domain.
        server->Stop();
        const std::string filling = cached + ".filling";
        std::error_code ignored;
        fs::remove_all(filling, ignored);
        if (CopyTree(domain, filling + "/domain") && WriteTextFile(filling + "/complete", "")) {
            fs::rename(filling, cached, ignored);
        }
        fs::remove_all(filling, ignored);  // what is left when storing failed
        if (!server->Run(error)) {
            return nullptr;
        }
    }
    return server;
}

bool SambaAdServer::Provision(const std::vector<std::string>& ldifFiles, std::string& error) {
    const std::string domain = folder_ + "/domain";
    const std::string log = folder_ + "/provision.out";
    if (RunProgram({VANTOR_SAMBA_TOOL, "domain", "provision", "--targetdir=" + domain,
                    std::string("--realm=") + kRealm, std::string("--domain=") + kDomain,
                    "--server-role=dc", "--dns-backend=SAMBA_INTERNAL",
                    std::string("--adminpass=") + kAdminPassword, "--host-name=DC1",
                    "--host-ip=127.0.0.1", "--option=interfaces=127.0.0.1",
                    "--option=bind interfaces only=yes", "--option=ldb:nosync=true"},
                   log, kProvisionSeconds) != 0) {
        error = "samba-tool domain provision failed: " + ReadTextFile(log);
        return false;
    }
    if (!Run(error)) {
        return false;
    }
    for (const std::string& file : ldifFiles) {
        if (error = ApplyLdif(login_, file, folder_ + "/ldapmodify.out"); !error.empty()) {
            return false;
        }
    }
    return true;
}

bool SambaAdServer::Run(std::string& error) {
    const std::string domain = folder_ + "/domain";
    for (const char* name : {"run", "log", "cache", "state", "bind-dns"}) {
        fs::create_directories(domain + "/" + name);
    }
    if (!WriteTextFile(domain + "/etc/smb.conf", SmbConf(domain))) {
        error = "cannot write " + domain + "/etc/smb.conf";
        return false;
    }
    // -i: in the foreground, a child of this process; one process serves every client.
    const pid_t pid =
        SpawnProgram({VANTOR_SAMBA_SERVER, "-i", "-M", "single", "-s", domain + "/etc/smb.conf"},
                     folder_ + "/samba.out", true);
    if (pid <= 0 || !WaitUntilListening(pid, domain + "/run/samba.pid", kLdapPort, kStartSeconds)) {
        error = "samba did not start: " + ReadTextFile(folder_ + "/samba.out");
        return false;
    }
    pid_ = pid;
    return true;
}

void SambaAdServer::Stop() {
    StopProgram(pid_, SIGTERM, kStopSeconds);
    pid_ = -1;
}

SambaAdServer::~SambaAdServer() {
    Stop();
    ports_.Release();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

}  // namespace vantor::test
