#include "directory/ldap/PageSinks.h"

#include <ldap.h>

#include <optional>

namespace vantor {

namespace {

// The DN a continuation reference points at, if one of its URLs names one.
std::optional<Dn> ReferredDn(const std::vector<std::string>& urls) {
    for (const std::string& url : urls) {
        LDAPURLDesc* desc = nullptr;
        if (ldap_url_parse(url.c_str(), &desc) != LDAP_URL_SUCCESS) {
            continue;
        }
        std::optional<Dn> dn;
        if (desc->lud_dn != nullptr) {
            dn = Dn::Parse(desc->lud_dn);
        }
        ldap_free_urldesc(desc);
        if (dn && dn->Depth() > 0) {
            return dn;
        }
    }
    return std::nullopt;
}

// The parent's part of a DN in LDAPv3 string form, as a server sends it: what follows the
// first comma that no backslash escapes ("" for a DN of one RDN).
std::string_view ParentText(std::string_view dn) {
    for (std::size_t i = 0; i < dn.size(); ++i) {
        if (dn[i] == '\\') {
            ++i;
        } else if (dn[i] == ',') {
            return dn.substr(i + 1);
        }
    }
    return {};
}

}  // namespace

void ListingSink::Entry(LDAP* ld, LDAPMessage* entry) {
    char* text = ldap_get_dn(ld, entry);
    auto dn = text != nullptr ? Dn::Parse(text) : std::nullopt;
    if (!dn) {
        badDn = text != nullptr ? text : "(none)";
        ldap_memfree(text);
        return;
    }
    ldap_memfree(text);
    const Attributes attributes = AttributesOf(ld, entry);
    ListedChild child{std::move(*dn), {}};
    if (const auto urls = attributes.find("ref"); urls != attributes.end()) {
        child.referralUrls = urls->second;
    }
    roots_.Remember(child.dn, attributes);
    if (!child.referralUrls.empty()) {
        roots_.MarkRoot(child.dn);
    }
    children.push_back(std::move(child));
}

void DnListSink::Entry(LDAP* ld, LDAPMessage* entry) {
    char* text = ldap_get_dn(ld, entry);
    if (auto dn = text != nullptr ? Dn::Parse(text) : std::nullopt) {
        dns.push_back(std::move(*dn));
    } else {
        badDn = text != nullptr ? text : "(none)";
    }
    ldap_memfree(text);
}

void ListingSink::Reference(const std::vector<std::string>& urls) {
    if (auto dn = ReferredDn(urls)) {
        roots_.MarkRoot(*dn);
        children.push_back({std::move(*dn), urls});
    }
}

ParentCountingSink::ParentCountingSink(std::vector<CountsByText>& countsByKind,
                                       const KindSorting& sorting)
    : sorting_(&sorting) {
    for (CountsByText& counts : countsByKind) {
        counts_.push_back(&counts);
    }
}

void ParentCountingSink::Entry(LDAP* ld, LDAPMessage* entry) {
    BerElement* ber = nullptr;
    berval dn{0, nullptr};
    if (ldap_get_dn_ber(ld, entry, &ber, &dn) == LDAP_SUCCESS) {
        const std::string_view parent = ParentText({dn.bv_val, dn.bv_len});
        std::vector<std::string> classes;
        if (sorting_ != nullptr) {
            const auto found = AttributesOf(ld, entry);
            if (const auto it = found.find("objectClass"); it != found.end()) {
                classes = it->second;
            }
        }
        for (std::size_t i = 0; i < counts_.size(); ++i) {
            if (sorting_ != nullptr &&
                !sorting_->profile->MatchesKind(sorting_->kinds.at(i), classes)) {
                continue;
            }
            CountsByText& counts = *counts_[i];
            if (const auto it = counts.find(parent); it != counts.end()) {
                ++it->second;
            } else {
                counts.emplace(parent, 1);
            }
        }
    }
    if (ber != nullptr) {
        ber_free(ber, 0);
    }
}

}  // namespace vantor
