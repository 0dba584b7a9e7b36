#include "app/WindowArguments.h"

namespace vantor {

DirectoryArguments TakeWindowArguments(const std::vector<std::string>& arguments) {
    DirectoryArguments chosen = TakeDirectoryArguments(arguments);
    if (!chosen.error.empty()) {
        return chosen;
    }
    const std::vector<std::string>& rest = chosen.rest;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string& argument = rest[i];
        // Checked when the directory opens, as in the directory dialog.
        if (argument.rfind("--filter=", 0) == 0) {
            chosen.choice.filter = argument.substr(9);
            continue;
        }
        if (argument == "--filter") {
            if (i + 1 >= rest.size()) {
                chosen.error = "option --filter needs a filter";
                return chosen;
            }
            chosen.choice.filter = rest[++i];
            continue;
        }
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
