#include "app/ChoiceOpener.h"

#include "app/LoadingSplash.h"
#include "directory/ldap/LdapUris.h"
#include "directory/profile/ClassProfile.h"

namespace vantor {

DirectoryRequest ChoiceOpener::Initial() const {
    const LdapSettings& settings = start_.ldapSettings;
    DirectoryRequest request;
    request.ldap = start_.ldap;
    request.ldifPath = start_.ldifPath.value_or("");
    request.uri = settings.uri;
    if (request.uri.empty()) {
        // As the servers are reached: libldap's own default spells out search parts
        // ("ldap://localhost:389/??base") that are no business of the user's.
        const auto configured = ParseServerList(ConfiguredUriList());
        request.uri = configured ? DescribeServers(*configured) : "";
    }
    request.base = settings.base.empty() ? ConfiguredBase() : settings.base;
    request.bindName = settings.bindDn;
    request.startTls = settings.startTls != 0;
    request.profile = start_.profileFile ? start_.profilePath : settings.profile;
    request.filter = start_.filter;
    return request;
}

std::vector<std::string> ChoiceOpener::Profiles() const {
    return BuiltInProfileNames();
}

DirectoryChoice ChoiceOpener::ChoiceFor(const DirectoryRequest& request) const {
    DirectoryChoice choice;
    choice.ldapSettings = start_.ldapSettings;
    LdapSettings& settings = choice.ldapSettings;
    choice.filter = request.filter;
    settings.profile = IsBuiltInProfile(request.profile) ? request.profile : "auto";
    if (!request.ldap) {
        choice.ldifPath = request.ldifPath;
        return choice;
    }
    choice.ldap = true;
    settings.uri = request.uri;
    settings.base = request.base;
    settings.bindDn = request.bindName;
    settings.password = request.password;
    // Asked for in the window, StartTLS is required: a server without it is refused.
    settings.startTls = request.startTls ? 2 : 0;
    return choice;
}

std::unique_ptr<DirectoryClient> ChoiceOpener::Open(const DirectoryRequest& request,
                                                    std::string& error) {
    DirectoryChoice choice = ChoiceFor(request);
    if (!IsBuiltInProfile(request.profile)) {
        auto read = ReadProfileFile(request.profile);
        if (auto* cause = std::get_if<std::string>(&read)) {
            error = *cause;
            return nullptr;
        }
        choice.profileFile = std::move(std::get<ClassProfile>(read));
        choice.profilePath = request.profile;
    }
    OpenedDirectory opened;
    {
        LoadingSplash splash(LdifSourceName(choice.ldifPath.value_or("")));
        choice.ldifProgress = [&splash](const LdifProgress& progress) {
            return splash.Update(progress);
        };
        opened = OpenDirectory(choice);
    }
    if (opened.cancelled) {
        error = "Reading the export was cancelled.";
        return nullptr;
    }
    if (!opened.client) {
        error = opened.error;
        return nullptr;
    }
    if (choice.ldap) {
        // Connect and bind now, so that a wrong address or password is told at once.
        const int context = opened.client->OpenContext();
        if (context < 0) {
            error = opened.client->FailureCause();
            return nullptr;
        }
        opened.client->CloseContext(context);
    }
    return std::move(opened.client);
}

}  // namespace vantor
