#include "directory/ldap/LdapFlags.h"

#include <ldap.h>

#include <charconv>
#include <optional>
#include <set>
#include <string_view>

#include "directory/ldap/LdapUris.h"
#include "directory/profile/ClassProfile.h"

namespace vantor {

namespace {

enum class Flag {
    kUri,
    kBase,
    kBindDn,
    kPassword,
    kPrompt,
    kPasswordFile,
    kSimple,
    kSasl,
    kAuthcid,
    kStartTls,
    kStartTlsRequired,
    kProfile,
    kPageSize,
    kPerContainer,
    kTimeout,
    kNetworkTimeout,
};

struct FlagSpec {
    std::string_view name;
    Flag flag;
    std::string_view valueName;  // empty: the flag takes no value
};

constexpr FlagSpec kFlags[] = {
    {"-H", Flag::kUri, "a URI"},
    {"-b", Flag::kBase, "a base DN"},
    {"-D", Flag::kBindDn, "a bind DN"},
    {"-w", Flag::kPassword, "a password"},
    {"-W", Flag::kPrompt, {}},
    {"-y", Flag::kPasswordFile, "a file name"},
    {"-x", Flag::kSimple, {}},
    {"-Y", Flag::kSasl, "a SASL mechanism"},
    {"-U", Flag::kAuthcid, "a SASL identity"},
    {"-Z", Flag::kStartTls, {}},
    {"-ZZ", Flag::kStartTlsRequired, {}},
    {"--profile", Flag::kProfile, "a profile name"},
    {"--page-size", Flag::kPageSize, "a number"},
    {"--per-container", Flag::kPerContainer, {}},
    {"--timeout", Flag::kTimeout, "a number of seconds"},
    {"--network-timeout", Flag::kNetworkTimeout, "a number of seconds"},
};

// The flag an argument names, with its attached value when it carries one.
const FlagSpec* Match(std::string_view arg, std::optional<std::string>& attached) {
    for (const FlagSpec& spec : kFlags) {
        if (arg == spec.name) {
            return &spec;
        }
    }
    for (const FlagSpec& spec : kFlags) {
        if (spec.valueName.empty() || !arg.starts_with(spec.name)) {
            continue;
        }
        const std::string_view tail = arg.substr(spec.name.size());
        if (spec.name.starts_with("--")) {
            if (tail.starts_with('=')) {
                attached = std::string(tail.substr(1));
                return &spec;
            }
        } else if (!tail.empty()) {
            attached = std::string(tail);
            return &spec;
        }
    }
    return nullptr;
}

bool IsDn(const std::string& text) {
    LDAPDN dn = nullptr;
    if (ldap_str2dn(text.c_str(), &dn, LDAP_DN_FORMAT_LDAP) != LDAP_SUCCESS) {
        return false;
    }
    ldap_dnfree(dn);
    return true;
}

std::optional<int> PositiveNumber(std::string_view text, int maximum) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > maximum) {
        return std::nullopt;
    }
    return value;
}

// The state of one parse: which flags were seen, for the checks that span several flags.
class FlagParser {
  public:
    FlagParser(LdapSettings& settings, LdapFlagResult& result)
        : settings_(settings), result_(result) {}

    // Applies one flag with its value (empty for flags without one). Returns the error text.
    std::string Apply(const FlagSpec& spec, const std::string& value);
    // The checks that need every flag.
    std::string Finish();

  private:
    std::string Number(const FlagSpec& spec, const std::string& value, int maximum, int& out);

    LdapSettings& settings_;
    LdapFlagResult& result_;
    std::set<Flag> seen_;
    int passwordSources_ = 0;
    bool simple_ = false;
};

std::string FlagParser::Apply(const FlagSpec& spec, const std::string& value) {
    const std::string flag(spec.name);
    const bool repeatable = spec.flag == Flag::kStartTls;
    if (!repeatable && !seen_.insert(spec.flag).second) {
        return "option " + flag + " is given more than once";
    }
    switch (spec.flag) {
        case Flag::kUri:
            if (!ParseServerList(value)) {
                return "option -H: \"" + value +
                       "\" is not an LDAP URI (ldap://host:port, ldaps://... or ldapi://...)";
            }
            settings_.uri = value;
            break;
        case Flag::kBase:
            if (!IsDn(value)) {
                return "option -b: \"" + value + "\" is not a distinguished name";
            }
            settings_.base = value;
            break;
        case Flag::kBindDn:
            settings_.bindDn = value;  // not checked: some servers take user@domain here
            break;
        case Flag::kPassword:
            settings_.password = value;
            ++passwordSources_;
            break;
        case Flag::kPrompt:
            result_.askPassword = true;
            ++passwordSources_;
            break;
        case Flag::kPasswordFile:
            result_.passwordFile = value;
            ++passwordSources_;
            break;
        case Flag::kSimple:
            simple_ = true;
            break;
        case Flag::kSasl:
            settings_.saslMechanism = value;
            break;
        case Flag::kAuthcid:
            settings_.saslAuthcid = value;
            break;
        case Flag::kStartTls:
            if (seen_.contains(Flag::kStartTlsRequired) || settings_.startTls >= 2) {
                return "option -Z: give -Z or -ZZ, at most twice";
            }
            seen_.insert(Flag::kStartTls);
            ++settings_.startTls;
            break;
        case Flag::kStartTlsRequired:
            if (seen_.contains(Flag::kStartTls)) {
                return "option -ZZ: give -Z or -ZZ, at most twice";
            }
            settings_.startTls = 2;
            break;
        case Flag::kProfile:
            if (!EqualsIgnoreCase(value, "auto") && FindProfile(value) == nullptr) {
                return "option --profile: unknown profile \"" + value +
                       "\" (auto, edirectory, generic or ad)";
            }
            settings_.profile = value;
            break;
        case Flag::kPageSize:
            return Number(spec, value, 1000000, settings_.pageSize);
        case Flag::kPerContainer:
            settings_.wholeSubtrees = false;
            break;
        case Flag::kTimeout:
        case Flag::kNetworkTimeout: {
            int seconds = 0;
            std::string error = Number(spec, value, 86400, seconds);
            (spec.flag == Flag::kTimeout ? settings_.operationTimeout : settings_.networkTimeout) =
                std::chrono::seconds(seconds);
            return error;
        }
    }
    return {};
}

std::string FlagParser::Number(const FlagSpec& spec, const std::string& value, int maximum,
                               int& out) {
    const auto number = PositiveNumber(value, maximum);
    if (!number) {
        return "option " + std::string(spec.name) + ": \"" + value +
               "\" is not a whole number from 1 to " + std::to_string(maximum);
    }
    out = *number;
    return {};
}

std::string FlagParser::Finish() {
    if (simple_ && !settings_.saslMechanism.empty()) {
        return "options -x and -Y exclude each other";
    }
    if (!settings_.saslAuthcid.empty() && settings_.saslMechanism.empty()) {
        return "option -U needs a SASL mechanism (-Y)";
    }
    if (passwordSources_ > 1) {
        return "give the password only once: -w, -W or -y";
    }
    if (settings_.bindDn.empty() && settings_.saslMechanism.empty()) {
        settings_.bindDn = ConfiguredBindDn();  // as the OpenLDAP tools take it
    }
    if (passwordSources_ == 1 && settings_.saslMechanism.empty() && settings_.bindDn.empty()) {
        return "a password needs a bind DN (-D)";
    }
    return {};
}

}  // namespace

LdapFlagResult ApplyLdapFlags(const std::vector<std::string>& args, LdapSettings& settings) {
    LdapFlagResult result;
    FlagParser parser(settings, result);
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::optional<std::string> value;
        const FlagSpec* spec = Match(args[i], value);
        if (spec == nullptr) {
            result.rest.push_back(args[i]);
            continue;
        }
        if (!spec->valueName.empty() && !value) {
            if (i + 1 >= args.size()) {
                result.error =
                    "option " + std::string(spec->name) + " needs " + std::string(spec->valueName);
                return result;
            }
            value = args[++i];
        }
        result.namesServer = result.namesServer || spec->flag != Flag::kProfile;
        result.error = parser.Apply(*spec, value.value_or(std::string()));
        if (!result.error.empty()) {
            return result;
        }
    }
    result.error = parser.Finish();
    return result;
}

}  // namespace vantor
