#include "directory/ldap/LdapUris.h"

#include <arpa/inet.h>
#include <ldap.h>
#include <netinet/in.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "directory/profile/ClassProfile.h"

namespace vantor {

namespace {

struct UrlDescFree {
    void operator()(LDAPURLDesc* desc) const { ldap_free_urldesc(desc); }
};

std::vector<std::string> SplitUriList(std::string_view uris) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : uris) {
        if (c == ' ' || c == ',' || c == '\t' || c == '\n') {
            if (!current.empty()) {
                parts.push_back(std::move(current));
                current.clear();
            }
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        parts.push_back(std::move(current));
    }
    return parts;
}

}  // namespace

std::optional<std::vector<ServerAddress>> ParseServerList(std::string_view uris) {
    std::vector<ServerAddress> servers;
    for (const std::string& uri : SplitUriList(uris)) {
        LDAPURLDesc* raw = nullptr;
        if (ldap_url_parse(uri.c_str(), &raw) != LDAP_URL_SUCCESS) {
            return std::nullopt;
        }
        const std::unique_ptr<LDAPURLDesc, UrlDescFree> desc(raw);
        ServerAddress server;
        server.scheme = desc->lud_scheme != nullptr ? desc->lud_scheme : "ldap";
        server.host = desc->lud_host != nullptr ? desc->lud_host : "";
        server.port = desc->lud_port;
        servers.push_back(std::move(server));
    }
    if (servers.empty()) {
        return std::nullopt;
    }
    return servers;
}

namespace {

std::string GlobalTextOption(int option) {
    char* text = nullptr;
    if (ldap_get_option(nullptr, option, &text) != LDAP_OPT_SUCCESS || text == nullptr) {
        return {};
    }
    std::string value(text);
    ldap_memfree(text);
    return value;
}

}  // namespace

std::string ConfiguredUriList() {
    return GlobalTextOption(LDAP_OPT_URI);
}

std::string ConfiguredBase() {
    return GlobalTextOption(LDAP_OPT_DEFBASE);
}

namespace {

// The value of a BINDDN line in one configuration file, or value unchanged.
void ReadBindDn(const std::string& path, std::string& value) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#' ||
            !EqualsIgnoreCase(std::string_view(line).substr(start, 6), "BINDDN") ||
            line.find_first_of(" \t", start) != start + 6) {
            continue;
        }
        const std::size_t first = line.find_first_not_of(" \t", start + 6);
        const std::size_t last = line.find_last_not_of(" \t\r");
        if (first != std::string::npos) {
            value = line.substr(first, last - first + 1);
        }
    }
}

}  // namespace

std::string ConfiguredBindDn() {
    // libldap reads BINDDN from the user's files only, and offers no option to ask it for the
    // value: the files are read here in its order, a later one overriding an earlier one.
    if (std::getenv("LDAPNOINIT") != nullptr) {
        return {};
    }
    std::string value;
    const char* home = std::getenv("HOME");
    std::vector<std::string> names = {"ldaprc"};
    if (const char* named = std::getenv("LDAPRC"); named != nullptr && *named != '\0') {
        names.emplace_back(named);
    }
    for (const std::string& name : names) {
        if (home != nullptr) {
            ReadBindDn(std::string(home) + "/" + name, value);
            ReadBindDn(std::string(home) + "/." + name, value);
        }
        ReadBindDn(name, value);
    }
    if (const char* variable = std::getenv("LDAPBINDDN"); variable != nullptr) {
        value = variable;
    }
    return value;
}

std::string DescribeServers(const std::vector<ServerAddress>& servers) {
    std::string text;
    for (const ServerAddress& server : servers) {
        if (!text.empty()) {
            text += ' ';
        }
        text += server.scheme + "://";
        if (EqualsIgnoreCase(server.scheme, "ldapi")) {
            text += server.host;
            continue;
        }
        text += server.host.empty() ? "localhost" : server.host;
        if (server.port != 0) {
            text += ':' + std::to_string(server.port);
        }
    }
    return text;
}

bool IsLoopbackHost(std::string_view host) {
    if (host.empty() || EqualsIgnoreCase(host, "localhost") || host == "::1" || host == "[::1]") {
        return true;
    }
    in_addr address{};
    const std::string text(host);
    return inet_pton(AF_INET, text.c_str(), &address) == 1 && (ntohl(address.s_addr) >> 24) == 127;
}

}  // namespace vantor
