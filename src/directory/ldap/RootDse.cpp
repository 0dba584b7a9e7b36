#include "directory/ldap/RootDse.h"

#include <ldap.h>

#include <algorithm>

#include "directory/ldap/EntryRead.h"

namespace vantor {

namespace {

// Announced in supportedCapabilities by every Active Directory domain controller.
constexpr std::string_view kActiveDirectoryCapability = "1.2.840.113556.1.4.800";

std::string First(const Attributes& values, const std::string& name) {
    const auto it = values.find(name);
    return it == values.end() || it->second.empty() ? std::string() : it->second.front();
}

std::vector<std::string> All(const Attributes& values, const std::string& name) {
    const auto it = values.find(name);
    return it == values.end() ? std::vector<std::string>() : it->second;
}

bool ContainsIgnoreCase(std::string_view text, std::string_view word) {
    if (word.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        if (EqualsIgnoreCase(text.substr(i, word.size()), word)) {
            return true;
        }
    }
    return false;
}

}  // namespace

int ReadRootDse(LDAP* ld, const WaitLimits& limits, RootDse& dse, std::string& diagnostic) {
    Attributes values;
    const LdapOutcome outcome = ReadEntry(ld, "",
                                          {"namingContexts", "nsBackendSuffix",
                                           "supportedCapabilities", "vendorName", "vendorVersion"},
                                          limits, values);
    diagnostic = outcome.diagnostic;
    if (outcome.code != LDAP_SUCCESS) {
        return outcome.code;
    }
    dse.namingContexts = All(values, "namingContexts");
    // 389 Directory Server publishes only its top suffixes as naming contexts; every suffix,
    // sub-suffixes too, is in nsBackendSuffix as "backend:suffix".
    for (const std::string& backend : All(values, "nsBackendSuffix")) {
        if (const std::size_t colon = backend.find(':'); colon != std::string::npos) {
            dse.namingContexts.push_back(backend.substr(colon + 1));
        }
    }
    dse.supportedCapabilities = All(values, "supportedCapabilities");
    dse.vendorName = First(values, "vendorName");
    dse.vendorVersion = First(values, "vendorVersion");
    return LDAP_SUCCESS;
}

const ClassProfile& ChooseProfile(const RootDse& dse) {
    const auto& capabilities = dse.supportedCapabilities;
    if (std::find(capabilities.begin(), capabilities.end(), kActiveDirectoryCapability) !=
        capabilities.end()) {
        return ActiveDirectoryProfile();
    }
    if (ContainsIgnoreCase(dse.vendorName, "Novell") ||
        ContainsIgnoreCase(dse.vendorName, "NetIQ") ||
        ContainsIgnoreCase(dse.vendorVersion, "eDirectory")) {
        return EDirectoryProfile();
    }
    return GenericProfile();
}

}  // namespace vantor
