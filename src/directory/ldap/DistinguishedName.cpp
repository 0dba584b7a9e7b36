#include "directory/ldap/DistinguishedName.h"

#include <ldap.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace vantor {

namespace {

struct DnFree {
    void operator()(LDAPDN dn) const { ldap_dnfree(dn); }
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A value as the user reads it: the string itself, or '#' and hex digits for a binary value.
std::string AvaValue(const LDAPAVA& ava) {
    const std::string_view bytes(ava.la_value.bv_val, ava.la_value.bv_len);
    if ((ava.la_flags & LDAP_AVA_BINARY) == 0) {
        return std::string(bytes);
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text = "#";
    for (unsigned char c : bytes) {
        text += kHex[c >> 4];
        text += kHex[c & 0xF];
    }
    return text;
}

}  // namespace

std::optional<Dn> Dn::Parse(std::string_view text) {
    const std::string copy(text);
    LDAPDN raw = nullptr;
    if (ldap_str2dn(copy.c_str(), &raw, LDAP_DN_FORMAT_LDAP) != LDAP_SUCCESS) {
        return std::nullopt;
    }
    const std::unique_ptr<LDAPRDN, DnFree> parsed(raw);
    Dn dn;
    for (LDAPRDN* rdn = raw; rdn != nullptr && *rdn != nullptr; ++rdn) {
        char* rdnText = nullptr;
        if (ldap_rdn2str(*rdn, &rdnText, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS) {
            return std::nullopt;
        }
        Rdn part;
        part.text = rdnText;
        ldap_memfree(rdnText);
        part.key = Lower(part.text);
        for (LDAPAVA** ava = *rdn; *ava != nullptr; ++ava) {
            if (!part.value.empty()) {
                part.value += '+';
            }
            part.value += AvaValue(**ava);
        }
        dn.rdns_.push_back(std::move(part));
    }
    dn.Assemble();
    dn.text_ = copy;
    return dn;
}

void Dn::Assemble() {
    text_.clear();
    key_.clear();
    for (const Rdn& rdn : rdns_) {
        if (!text_.empty()) {
            text_ += ',';
            key_ += ',';
        }
        text_ += rdn.text;
        key_ += rdn.key;
    }
}

std::string Dn::DottedName(std::size_t levels) const {
    std::string name;
    for (std::size_t i = 0; i < levels && i < rdns_.size(); ++i) {
        if (i > 0) {
            name += '.';
        }
        name += rdns_[i].value;
    }
    return name;
}

Dn Dn::Ancestor(std::size_t levels) const {
    Dn up;
    up.rdns_.assign(rdns_.begin() + static_cast<std::ptrdiff_t>(std::min(levels, rdns_.size())),
                    rdns_.end());
    up.Assemble();
    return up;
}

bool Dn::IsUnder(const Dn& ancestor) const {
    if (ancestor.rdns_.size() >= rdns_.size()) {
        return false;
    }
    const std::size_t offset = rdns_.size() - ancestor.rdns_.size();
    return std::equal(ancestor.rdns_.begin(), ancestor.rdns_.end(),
                      rdns_.begin() + static_cast<std::ptrdiff_t>(offset),
                      [](const Rdn& a, const Rdn& b) { return a.key == b.key; });
}

}  // namespace vantor
