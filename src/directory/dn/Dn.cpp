#include "directory/dn/Dn.h"

#include <ldap.h>

#include <algorithm>
#include <memory>

#include "directory/dn/AttributeTypes.h"
#include "directory/dn/ValueFold.h"
#include "engine/FullName.h"

namespace vantor {

namespace {

struct DnFree {
    void operator()(LDAPDN dn) const { ldap_dnfree(dn); }
};
struct RdnFree {
    void operator()(LDAPRDN rdn) const { ldap_rdnfree(rdn); }
};
using RdnHandle = std::unique_ptr<LDAPAVA*, RdnFree>;

constexpr unsigned kDnFormat = LDAP_DN_FORMAT_LDAP;

std::string_view View(const berval& value) {
    return {value.bv_val, value.bv_len};
}

// A value as the user reads it: the string itself, the string that a value in #hex form
// encodes, or else '#' and the hex digits.
void AppendValueText(std::string& out, const LDAPAVA& ava) {
    if ((ava.la_flags & LDAP_AVA_BINARY) == 0) {
        out += View(ava.la_value);
        return;
    }
    if (const auto text = BerString(View(ava.la_value))) {
        out += *text;
        return;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    out += '#';
    for (const char c : View(ava.la_value)) {
        const auto byte = static_cast<unsigned char>(c);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0f];
    }
}

// Escapes what separates the parts of a key; a leading '#' too, which marks a value that is
// no string.
void AppendKeyText(std::string& key, std::string_view text) {
    if (!text.empty() && text.front() == '#') {
        key += '\\';
    }
    for (const char c : text) {
        if (c == '\\' || c == ',' || c == '+') {
            key += '\\';
        }
        key += c;
    }
}

void AppendAvaKey(std::string& key, const LDAPAVA& ava, std::string& scratch) {
    key += CanonicalType(View(ava.la_attr));
    key += '=';
    const bool binary = (ava.la_flags & LDAP_AVA_BINARY) != 0;
    const auto text = binary ? BerString(View(ava.la_value)) : std::string(View(ava.la_value));
    if (text) {
        AppendKeyText(key, FoldValue(*text));
    } else {
        scratch.clear();
        AppendValueText(scratch, ava);  // no string: '#' and its bytes in hex
        key += scratch;
    }
}

void AppendRdnKey(std::string& key, LDAPRDN rdn) {
    std::string scratch;
    if (rdn[1] == nullptr) {
        AppendAvaKey(key, *rdn[0], scratch);
        return;
    }
    // The AVAs of one RDN are a set: their order must not change the key.
    std::vector<std::string> avaKeys;
    for (LDAPAVA** ava = rdn; *ava != nullptr; ++ava) {
        AppendAvaKey(avaKeys.emplace_back(), **ava, scratch);
    }
    std::sort(avaKeys.begin(), avaKeys.end());
    for (std::size_t i = 0; i < avaKeys.size(); ++i) {
        if (i != 0) {
            key += '+';
        }
        key += avaKeys[i];
    }
}

void AppendTyped(std::string& out, const LDAPAVA& ava, std::string& scratch) {
    for (const char c : View(ava.la_attr)) {
        if (c == '.') {
            out += '\\';
        }
        out += c;
    }
    out += '=';
    scratch.clear();
    AppendValueText(scratch, ava);
    out += ListedValue(scratch);
}

// Fills rdn from libldap's parse (its text only withText); false when libldap cannot
// re-encode it.
bool Describe(LDAPRDN parsed, DnRdn& rdn, bool withText) {
    rdn.key.clear();
    rdn.text.clear();
    rdn.typed.clear();
    AppendRdnKey(rdn.key, parsed);
    if (withText) {
        char* text = nullptr;
        if (ldap_rdn2str(parsed, &text, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS) {
            return false;
        }
        rdn.text = text;
        ldap_memfree(text);
    }
    std::string scratch;
    for (LDAPAVA** ava = parsed; *ava != nullptr; ++ava) {
        if (ava != parsed) {
            rdn.typed += '+';
        }
        AppendTyped(rdn.typed, **ava, scratch);
    }
    return true;
}

}  // namespace

std::string ListedValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        if (c == '\0') {
            out += "\\00";
            continue;
        }
        if (c == '\\' || c == '.' || c == '+' || c == '=') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

std::string TypelessName(std::string_view typedName) {
    std::string out;
    out.reserve(typedName.size());
    bool inType = true;  // at the start of an AVA, before its '='
    for (std::size_t i = 0; i < typedName.size(); ++i) {
        const char c = typedName[i];
        if (c == '\\' && i + 1 < typedName.size()) {
            if (!inType) {
                out += c;
                out += typedName[i + 1];
            }
            ++i;
        } else if (inType) {
            inType = c != '=';
        } else {
            out += c;
            inType = c == '+' || c == '.';
        }
    }
    if (IsRootName(out)) {
        out.insert(out.begin(), '\\');
    }
    return out;
}

std::optional<std::size_t> ParseFirstRdn(std::string_view dn, DnRdn* rdn) {
    // libldap reads up to a NUL: a DN holding one would be read short.
    if (dn.empty() || dn.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    thread_local std::string text;
    text.assign(dn);
    LDAPRDN parsed = nullptr;
    char* next = nullptr;
    if (ldap_str2rdn(text.c_str(), &parsed, &next, kDnFormat) != LDAP_SUCCESS) {
        return std::nullopt;
    }
    const RdnHandle owner(parsed);
    if (*next != '\0' && next[1] == '\0') {
        return std::nullopt;
    }
    if (rdn != nullptr && !Describe(parsed, *rdn, false)) {
        return std::nullopt;
    }
    const auto offset = static_cast<std::size_t>(next - text.c_str());
    return *next == '\0' ? offset : offset + 1;
}

std::optional<Dn> Dn::Parse(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string copy(text);
    LDAPDN raw = nullptr;
    if (ldap_str2dn(copy.c_str(), &raw, kDnFormat) != LDAP_SUCCESS) {
        return std::nullopt;
    }
    const std::unique_ptr<LDAPRDN, DnFree> parsed(raw);
    Dn dn;
    for (LDAPRDN* rdn = raw; rdn != nullptr && *rdn != nullptr; ++rdn) {
        if (!Describe(*rdn, dn.rdns_.emplace_back(), true)) {
            return std::nullopt;
        }
    }
    dn.Assemble();
    dn.text_ = copy;
    return dn;
}

void Dn::Assemble() {
    text_.clear();
    key_.clear();
    for (const DnRdn& rdn : rdns_) {
        if (!text_.empty()) {
            text_ += ',';
            key_ += ',';
        }
        text_ += rdn.text;
        key_ += rdn.key;
    }
}

std::string Dn::TypedName(std::size_t levels) const {
    std::string name;
    for (std::size_t i = 0; i < levels && i < rdns_.size(); ++i) {
        if (i > 0) {
            name += '.';
        }
        name += rdns_[i].typed;
    }
    return name;
}

std::string Dn::ListedName(std::size_t levels) const {
    return TypelessName(TypedName(levels));
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
                      [](const DnRdn& a, const DnRdn& b) { return a.key == b.key; });
}

}  // namespace vantor
