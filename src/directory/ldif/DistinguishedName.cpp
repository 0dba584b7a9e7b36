#include "directory/ldif/DistinguishedName.h"

#include <ldap.h>

#include <algorithm>
#include <memory>

namespace vantor {

namespace {

struct DnFree {
    void operator()(LDAPDN dn) const { ldap_dnfree(dn); }
};
using DnHandle = std::unique_ptr<LDAPRDN, DnFree>;

std::string_view View(const berval& value) {
    return {value.bv_val, value.bv_len};
}

// A value libldap decoded from #hex form is BER bytes, not text: it keeps the hex form.
std::string ValueText(const LDAPAVA& ava) {
    if ((ava.la_flags & LDAP_AVA_BINARY) == 0) {
        return std::string(View(ava.la_value));
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text = "#";
    for (const char c : View(ava.la_value)) {
        const auto byte = static_cast<unsigned char>(c);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0f];
    }
    return text;
}

void AppendKeyText(std::string& key, std::string_view text) {
    const std::size_t start = key.size();
    key.resize(start + 2 * text.size());  // room for an escape before every character
    char* out = key.data() + start;
    for (const char c : text) {
        if (c == '\\' || c == ',' || c == '+') {
            *out++ = '\\';
        }
        *out++ = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    key.resize(static_cast<std::size_t>(out - key.data()));
}

void AppendAvaKey(std::string& key, const LDAPAVA& ava) {
    AppendKeyText(key, View(ava.la_attr));
    key += '=';
    if ((ava.la_flags & LDAP_AVA_BINARY) == 0) {
        AppendKeyText(key, View(ava.la_value));
    } else {
        AppendKeyText(key, ValueText(ava));
    }
}

void AppendRdn(DistinguishedName& name, LDAPRDN rdn, bool withValues) {
    if (!name.key.empty()) {
        name.key += ',';
    }
    if (rdn[1] == nullptr) {
        AppendAvaKey(name.key, *rdn[0]);
    } else {
        // The AVAs of one RDN are a set: their order must not change the key.
        std::vector<std::string> avaKeys;
        for (LDAPAVA** ava = rdn; *ava != nullptr; ++ava) {
            AppendAvaKey(avaKeys.emplace_back(), **ava);
        }
        std::sort(avaKeys.begin(), avaKeys.end());
        for (std::size_t i = 0; i < avaKeys.size(); ++i) {
            if (i != 0) {
                name.key += '+';
            }
            name.key += avaKeys[i];
        }
    }
    if (withValues) {
        std::string value;
        for (LDAPAVA** ava = rdn; *ava != nullptr; ++ava) {
            if (ava != rdn) {
                value += '+';
            }
            value += ValueText(**ava);
        }
        name.values.push_back(std::move(value));
    }
    if (name.rdnCount == 0) {
        name.firstRdnKeyLength = name.key.size();
    }
    ++name.rdnCount;
}

struct RdnFree {
    void operator()(LDAPRDN rdn) const { ldap_rdnfree(rdn); }
};
using RdnHandle = std::unique_ptr<LDAPAVA*, RdnFree>;

}  // namespace

bool DnParser::Parse(std::string_view dn, bool withValues, DistinguishedName& name) {
    if (dn.find('\0') != std::string_view::npos) {
        return false;
    }
    text_.assign(dn);
    if (withValues || text_.empty()) {
        return ParseWhole(withValues, name);
    }
    LDAPRDN first = nullptr;
    char* next = nullptr;
    if (ldap_str2rdn(text_.c_str(), &first, &next, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS) {
        return false;
    }
    const RdnHandle owner(first);
    if (*next != ',' || next[1] == '\0') {
        return ParseWhole(withValues, name);
    }
    const std::string_view rest(next + 1);
    if (rest == lastEntry_.text) {
        std::swap(lastParent_, lastEntry_);
    } else if (rest != lastParent_.text) {
        return ParseWhole(withValues, name);
    }
    name.key.clear();
    name.rdnCount = 0;
    name.values.clear();
    AppendRdn(name, first, false);
    name.key += ',';
    name.key += lastParent_.key;
    name.rdnCount += lastParent_.rdnCount;
    lastEntry_.text.swap(text_);
    lastEntry_.key = name.key;
    lastEntry_.rdnCount = name.rdnCount;
    return true;
}

bool DnParser::ParseWhole(bool withValues, DistinguishedName& name) {
    LDAPDN parsed = nullptr;
    if (ldap_str2dn(text_.c_str(), &parsed, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS) {
        return false;
    }
    const DnHandle owner(parsed);
    name.key.clear();
    name.rdnCount = 0;
    name.values.clear();
    for (LDAPRDN* rdn = parsed; rdn != nullptr && *rdn != nullptr; ++rdn) {
        AppendRdn(name, *rdn, withValues);
    }
    // The DNs that follow are likely this one's children or its siblings.
    LDAPRDN first = nullptr;
    char* next = nullptr;
    if (name.rdnCount > 1 &&
        ldap_str2rdn(text_.c_str(), &first, &next, LDAP_DN_FORMAT_LDAPV3) == LDAP_SUCCESS) {
        const RdnHandle firstOwner(first);
        lastParent_.text.assign(next + 1);
        lastParent_.key.assign(name.ParentKey());
        lastParent_.rdnCount = name.rdnCount - 1;
    }
    lastEntry_.text.swap(text_);
    lastEntry_.key = name.key;
    lastEntry_.rdnCount = name.rdnCount;
    return true;
}

std::size_t NextRdnBoundary(std::string_view key, std::size_t from) {
    for (std::size_t i = from; i < key.size(); ++i) {
        if (key[i] == '\\') {
            ++i;
        } else if (key[i] == ',') {
            return i;
        }
    }
    return std::string_view::npos;
}

}  // namespace vantor
