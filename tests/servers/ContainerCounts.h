#pragma once
// The command-line counter's lines against a real server, and what ldapsearch says each line
// should count: the objects of the kind directly under the container.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "directory/profile/ClassProfile.h"
#include "support/LdapTools.h"

namespace vantor::test {

struct CounterLine {
    std::string fullName;
    std::int64_t count = 0;
    std::string errors;  // the error lines under it, "" for none
};

struct CounterRun {
    int exitCode = -1;
    std::vector<CounterLine> lines;  // in the report's order, "[Root]" first
    std::string standardError;
};

// vantor-count, bound as login, with the extra arguments, its CSV output read back.
CounterRun RunCounter(const LdapLogin& login, const std::vector<std::string>& arguments,
                      const std::string& workFolder);

struct ContainerCount {
    std::string dn;
    std::size_t objects = 0;  // of the kind, directly under the container
};

// Every container of the profile in the naming contexts of the server's root entry, as ldapsearch
// finds them, keyed by the full name the counter gives its line (the RDN values joined by dots),
// with the objects of the kind directly under each or below entries of other classes under it.
// The DNs of objects of the kind under none of those containers go into outside.
std::map<std::string, ContainerCount> LdapsearchContainers(const LdapLogin& login,
                                                           const ClassProfile& profile,
                                                           std::size_t kind,
                                                           const std::string& workFolder,
                                                           std::vector<std::string>* outside);

// Checks a by-container run against ldapsearch's containers: a "[Root]" line, then one line for
// each of those containers and no other, each counting the container's objects, and no errors.
void ExpectEachLineCountsItsContainer(const CounterRun& run,
                                      const std::map<std::string, ContainerCount>& expected);

// Counts a kind ("users", "servers", "groups") by container with vantor-count, bound as login
// with the profile, and checks the run as above against ldapsearch; the counter must end with
// exit status 0. Every object of the kind ldapsearch finds must be in a container of a line.
// options go to the counter as well.
void ExpectCountsAgreeWithLdapsearch(const LdapLogin& login, const ClassProfile& profile,
                                     const std::string& kind,
                                     const std::vector<std::string>& options = {});

// Counts by container with --kind all and with each kind alone, bound as login with the profile
// and the options, and expects each kind's columns to be that kind's own run, line by line;
// every kind must count something but the absent ones.
void ExpectEveryKindAsEachKindAlone(const LdapLogin& login, const ClassProfile& profile,
                                    const std::vector<std::string>& options,
                                    const std::set<std::string>& absent = {});

}  // namespace vantor::test
