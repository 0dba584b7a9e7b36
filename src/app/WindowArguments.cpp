#include "app/WindowArguments.h"

namespace vantor {

DirectoryArguments TakeWindowArguments(const std::vector<std::string>& arguments) {
    DirectoryArguments chosen = TakeDirectoryArguments(arguments);
    if (!chosen.error.empty()) {
        return chosen;
    }
    for (const std::string& argument : chosen.rest) {
        // "-" alone names standard input, as it does after --ldif.
        if (argument.size() > 1 && argument.front() == '-') {
            chosen.error = "unknown option " + argument;
        } else if (chosen.choice.ldifPath || chosen.choice.ldap) {
            chosen.error = "one directory only: \"" + argument + "\" besides " +
                           (chosen.choice.ldap ? std::string("an LDAP server")
                                               : "\"" + *chosen.choice.ldifPath + "\"");
        } else {
            chosen.choice.ldifPath = argument;
            continue;
        }
        return chosen;
    }
    chosen.rest.clear();
    return chosen;
}

}  // namespace vantor
