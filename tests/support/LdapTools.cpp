#include "support/LdapTools.h"

#include <gtest/gtest.h>

#include <strings.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/ChildProcess.h"

namespace vantor::test {

namespace {

constexpr int kToolSeconds = 300;

std::vector<std::string> BindArguments(const LdapLogin& login) {
    std::vector<std::string> arguments = {"-x", "-H", login.uri};
    if (!login.bindDn.empty()) {
        arguments.insert(arguments.end(), {"-D", login.bindDn, "-y", login.passwordFile});
    }
    return arguments;
}

}  // namespace

std::string LdapToolsUnavailable() {
    if (std::string(VANTOR_LDAPMODIFY_PROGRAM).empty() ||
        std::string(VANTOR_LDAPSEARCH_PROGRAM).empty()) {
        return "ldapmodify and ldapsearch are not installed (scripts/setup.sh installs them)";
    }
    return {};
}

bool WritePasswordFile(const std::string& path, const std::string& password) {
    namespace fs = std::filesystem;
    if (!WriteTextFile(path, "")) {
        return false;
    }
    std::error_code failed;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, failed);
    return !failed && WriteTextFile(path, password);
}

std::string ApplyLdif(const LdapLogin& login, const std::string& ldifFile,
                      const std::string& logFile) {
    std::vector<std::string> argv = {VANTOR_LDAPMODIFY_PROGRAM, "-a"};
    const std::vector<std::string> bind = BindArguments(login);
    argv.insert(argv.end(), bind.begin(), bind.end());
    argv.insert(argv.end(), {"-f", ldifFile});
    if (RunProgram(argv, logFile, kToolSeconds) != 0) {
        return "ldapmodify of " + ldifFile + " failed: " + ReadTextFile(logFile);
    }
    return {};
}

std::vector<std::string> LdapsearchValues(const LdapLogin& login, const std::string& base,
                                          const std::string& scope, const std::string& filter,
                                          const std::string& attribute,
                                          const std::string& workFolder) {
    const std::string output = workFolder + "/ldapsearch.out";
    std::remove(output.c_str());
    // Pages below the lowest server size limit a test sets (389 refuses a page at its limit).
    std::vector<std::string> argv = {VANTOR_LDAPSEARCH_PROGRAM, "-LLL", "-o", "ldif-wrap=no", "-E",
                                     "pr=250/noprompt"};
    const std::vector<std::string> bind = BindArguments(login);
    argv.insert(argv.end(), bind.begin(), bind.end());
    argv.insert(argv.end(),
                {"-b", base, "-s", scope, filter, attribute == "dn" ? "1.1" : attribute});
    const int status = RunProgram(argv, output, kToolSeconds);
    EXPECT_EQ(status, 0) << "ldapsearch -b " << base << " -s " << scope << " " << filter << ": "
                         << ReadTextFile(output);
    std::vector<std::string> values;
    std::ifstream in(output);
    const std::size_t n = attribute.size();
    for (std::string line; std::getline(in, line);) {
        // Attribute names come back in the server's spelling.
        if (line.size() < n + 2 || strncasecmp(line.c_str(), attribute.c_str(), n) != 0 ||
            line[n] != ':') {
            continue;
        }
        if (line[n + 1] == ' ') {
            values.push_back(line.substr(n + 2));
        } else {
            ADD_FAILURE() << "a value the test data should not hold: " << line;
        }
    }
    return values;
}

}  // namespace vantor::test
