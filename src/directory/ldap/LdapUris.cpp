#include "directory/ldap/LdapUris.h"

#include <arpa/inet.h>
#include <ldap.h>
#include <netinet/in.h>

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
