// Starts the private 389 Directory Server or Samba AD domain controller of the server tests,
// loaded with its test directory (or with the LDIF files given instead), and keeps it running
// until Enter (or end of input), so that vantor-count, ldapsearch and the window can be tried
// against it by hand:
//
//     build/dev/tests/servers/test_directory_server ds389 [FILE.ldif...]
//     build/dev/tests/servers/test_directory_server samba [FILE.ldif...]
//
// Then it stops the server and removes its folder.

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "support/Ds389Server.h"
#include "support/SambaAdServer.h"

namespace {

void Describe(const vantor::test::LdapLogin& login) {
    std::cout << "URI:           " << login.uri << "\n"
              << "bind DN:       " << login.bindDn << "\n"
              << "password file: " << login.passwordFile << "\n"
              << "e.g. vantor-count -H " << login.uri << " -D '" << login.bindDn << "' -y "
              << login.passwordFile << " --by-container\n"
              << "Enter stops the server." << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string kind = argc > 1 ? argv[1] : "";
    const std::string data = VANTOR_SERVER_DATA;
    std::vector<std::string> ldif;
    for (int i = 2; i < argc; ++i) {
        ldif.emplace_back(argv[i]);
    }
    std::string error;
    std::unique_ptr<vantor::test::Ds389Server> ds389;
    std::unique_ptr<vantor::test::SambaAdServer> samba;
    if (kind == "ds389") {
        if (ldif.empty()) {
            ldif.push_back(data + "/ds389.ldif");
        }
        if ((ds389 = vantor::test::Ds389Server::Start(ldif, error))) {
            Describe(ds389->RootLogin());
        }
    } else if (kind == "samba") {
        if (ldif.empty()) {
            ldif.push_back(data + "/samba-ad.ldif");
        }
        if ((samba = vantor::test::SambaAdServer::Start(ldif, error))) {
            Describe(samba->AdminLogin());
        }
    } else {
        std::cerr << "usage: test_directory_server ds389|samba [FILE.ldif...]\n";
        return 2;
    }
    if (!ds389 && !samba) {
        std::cerr << error << "\n";
        return 1;
    }
    std::getchar();
    return 0;
}
