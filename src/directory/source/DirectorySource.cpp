#include "directory/source/DirectorySource.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "directory/filter/ObjectFilter.h"
#include "directory/ldap/LdapDirectory.h"
#include "directory/ldap/LdapFlags.h"
#include "directory/ldif/BundledSample.h"
#include "directory/ldif/LdifDirectory.h"
#include "directory/profile/ClassProfile.h"
#include "directory/profile/ProfileText.h"

namespace vantor {

bool IsBuiltInProfile(const std::string& name) {
    return EqualsIgnoreCase(name, "auto") || FindProfile(name) != nullptr;
}

std::variant<ClassProfile, std::string> ReadProfileFile(const std::string& path) {
    constexpr std::size_t kMaxBytes = std::size_t{1} << 20;  // a profile is a few lines
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "\"" + path +
               "\" is neither a profile (auto, edirectory, generic, ad) nor a file that can be "
               "read: " +
               std::strerror(errno);
    }
    std::string text(kMaxBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxBytes) {
        return path + ": longer than 1 MiB, not a profile";
    }
    return ParseProfileText(text, path);
}

DirectoryArguments TakeDirectoryArguments(const std::vector<std::string>& arguments) {
    DirectoryArguments out;
    std::vector<std::string> others;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--ldap") {
            out.choice.ldap = true;
        } else if (argument == "--ldif" || argument.rfind("--ldif=", 0) == 0) {
            std::string path = argument.size() > 7 ? argument.substr(7) : "";
            if (argument == "--ldif") {
                if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                    out.error = "option --ldif needs a file name";
                    return out;
                }
                path = arguments[++i];
            }
            out.choice.ldifPath = path;
        } else if ((argument == "--profile" && i + 1 < arguments.size() &&
                    !IsBuiltInProfile(arguments[i + 1])) ||
                   (argument.rfind("--profile=", 0) == 0 &&
                    !IsBuiltInProfile(argument.substr(10)))) {
            const std::string path = argument == "--profile" ? arguments[++i] : argument.substr(10);
            auto read = ReadProfileFile(path);
            if (auto* error = std::get_if<std::string>(&read)) {
                out.error = "option --profile: " + *error;
                return out;
            }
            out.choice.profileFile = std::move(std::get<ClassProfile>(read));
            out.choice.profilePath = path;
        } else {
            others.push_back(argument);
        }
    }

    const LdapFlagResult ldap = ApplyLdapFlags(others, out.choice.ldapSettings);
    if (!ldap.error.empty()) {
        out.error = ldap.error;
        return out;
    }
    out.choice.askPassword = ldap.askPassword;
    // --profile alone does not choose LDAP; it also picks the LDIF directory's profile.
    out.choice.ldap = out.choice.ldap || ldap.namesServer;
    out.rest = ldap.rest;
    if (out.choice.ldap && out.choice.ldifPath) {
        out.error = "--ldif and the LDAP options (--ldap, -H, -b, -D ...) exclude each other";
    } else if (out.choice.ldapSettings.profile != "auto" &&
               FindProfile(out.choice.ldapSettings.profile) == nullptr) {
        out.error = "unknown profile \"" + out.choice.ldapSettings.profile +
                    "\" (auto, edirectory, generic or ad)";
    } else if (!ldap.passwordFile.empty()) {
        // Read once, here: a -y file that cannot be read is a usage error, not a server's.
        std::string error;
        if (auto password = ReadPasswordFile(ldap.passwordFile, error)) {
            out.choice.ldapSettings.password = std::move(*password);
        } else {
            out.error = "option -y: " + error;
        }
    }
    return out;
}

OpenedDirectory OpenDirectory(const DirectoryChoice& choice) {
    OpenedDirectory opened;
    // Checked for a server too, so that a filter typed in the window is told at once, not as an
    // error line under every container.
    std::optional<ObjectFilter> filter;
    if (!choice.filter.empty()) {
        auto parsed = ObjectFilter::Parse(choice.filter);
        if (auto* error = std::get_if<std::string>(&parsed)) {
            opened.error = "the filter " + choice.filter + ": " + *error;
            return opened;
        }
        filter.emplace(std::move(std::get<ObjectFilter>(parsed)));
    }
    if (choice.ldap) {
        LdapSettings settings = choice.ldapSettings;
        settings.objectFilter = choice.filter;
        settings.customProfile = choice.profileFile;
        auto client = std::make_unique<LdapDirectory>(std::move(settings));
        opened.ldap = client.get();
        opened.client = std::move(client);
        return opened;
    }
    const ClassProfile* named = FindProfile(choice.ldapSettings.profile);
    const ClassProfile& profile = choice.profileFile ? *choice.profileFile
                                  : named != nullptr ? *named
                                                     : GenericProfile();
    opened.profile = profile;
    const ObjectFilter* applied = filter ? &*filter : nullptr;
    LdifLoadResult loaded =
        choice.ldifPath ? LoadLdifFile(*choice.ldifPath, profile, choice.ldifProgress, applied)
                        : LoadBundledSample(profile, choice.ldifProgress, applied);
    opened.error = std::move(loaded.error);
    opened.cancelled = loaded.cancelled;
    if (loaded) {
        opened.notCounted = loaded.directory->Uncounted();
        opened.client = std::move(loaded.directory);
    }
    return opened;
}

bool NeedsPassword(const DirectoryChoice& choice) {
    const LdapSettings& settings = choice.ldapSettings;
    return choice.ldap &&
           (choice.askPassword || (!settings.bindDn.empty() && settings.password.empty() &&
                                   settings.saslMechanism.empty()));
}

std::optional<std::string> ClearTextPasswordWarning(const DirectoryChoice& choice, bool asking) {
    const bool password = !choice.ldapSettings.password.empty() || asking;
    if (!choice.ldap || !password || !SendsPasswordInClear(choice.ldapSettings)) {
        return std::nullopt;
    }
    return std::string(
        "The password will be sent unencrypted over the network. Use an ldaps:// address or "
        "-ZZ (StartTLS required) to protect it.");
}

void ScrubPasswordArguments(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        char* argument = argv[i];
        if (std::strcmp(argument, "-w") == 0 && i + 1 < argc) {
            char* value = argv[++i];
            std::memset(value, 'x', std::strlen(value));
        } else if (std::strncmp(argument, "-w", 2) == 0 && argument[2] != '\0') {
            std::memset(argument + 2, 'x', std::strlen(argument + 2));
        }
    }
}

}  // namespace vantor
