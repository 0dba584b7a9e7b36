#pragma once
// Which directory a program counts, from its command line, and opening it: the bundled sample
// by default, an LDIF export (--ldif FILE), or an LDAP server (--ldap, or any of the OpenLDAP
// client flags -H, -b, -D, -w, -W, -y, -x, -Y, -U, -Z, -ZZ). --profile picks the class profile
// for either: a built-in one by name, or a profile file (see directory/profile/ProfileText.h).

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "directory/ldap/LdapSettings.h"
#include "directory/ldif/LdifDirectory.h"
#include "engine/DirectoryClient.h"

namespace vantor {

class LdapDirectory;

struct DirectoryChoice {
    std::optional<std::string> ldifPath;
    bool ldap = false;
    LdapSettings ldapSettings;  // a -y file's password is read into it
    bool askPassword = false;   // -W: the program asks for the password before opening
    std::string filter;         // only objects this filter matches count; empty: all
    std::optional<ClassProfile> profileFile;  // --profile FILE, instead of a built-in profile
    std::string profilePath;                  // that file's name
    // While an export (or the sample) loads: how far it has come, at least every tenth of a
    // second; false cancels the load.
    LdifProgressCheck ldifProgress;
};

struct DirectoryArguments {
    DirectoryChoice choice;
    std::vector<std::string> rest;  // the arguments that do not choose the directory
    std::string error;              // empty when the directory options were good
};

// True for "auto" and the name of a built-in profile (see BuiltInProfileNames), in any case: what
// --profile takes as a name rather than as a profile file.
bool IsBuiltInProfile(const std::string& name);
// The profile in the file at path, or why not, naming the file (and the line at fault).
std::variant<ClassProfile, std::string> ReadProfileFile(const std::string& path);

// Takes the directory options out of arguments and reads a -y password file. A file that cannot
// be read is an error that names it.
DirectoryArguments TakeDirectoryArguments(const std::vector<std::string>& arguments);

struct OpenedDirectory {
    std::unique_ptr<DirectoryClient> client;  // null when it could not be opened
    std::string error;                        // then why, naming the file or setting at fault
    bool cancelled = false;  // the load was cancelled (see DirectoryChoice::ldifProgress)
    // The profile: a profile file or a built-in one; for an LDAP server ask ldap, since "auto"
    // settles on one when the server is reached.
    ClassProfile profile;
    LdapDirectory* ldap = nullptr;  // the client, when it is an LDAP server's
    // The classes of an export's entries that no rule of the profile counted.
    std::vector<ClassTally> notCounted;
};

// Loads or connects the chosen directory (an LDAP server is only reached at OpenContext).
OpenedDirectory OpenDirectory(const DirectoryChoice& choice);

// True when -W was given, or when the chosen LDAP server is bound to by name with a simple bind
// but no password was given: a program that can ask (the window) asks before the directory is
// opened.
bool NeedsPassword(const DirectoryChoice& choice);

// A warning for the user when the chosen settings would send a password unencrypted over the
// network (simple bind without TLS to a server that is not on this machine), else none: the
// password given, or the one the program is about to ask for (asking). Shown before asking.
std::optional<std::string> ClearTextPasswordWarning(const DirectoryChoice& choice, bool asking);

// Overwrites the values of -w in the process's own argument strings, so that other users
// listing processes cannot read a password given on the command line.
void ScrubPasswordArguments(int argc, char** argv);

}  // namespace vantor
