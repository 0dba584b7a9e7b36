#pragma once
// Small readers for LDIF directory tests: load a text or a test data file, list a container as
// a walk sees it, and count through the engine as a run does.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "directory/ldif/LdifDirectory.h"

namespace vantor::test {

// The text loaded as "test.ldif"; a refusal fails the test and gives an empty directory.
std::unique_ptr<LdifDirectory> Loaded(std::string_view ldif,
                                      const ClassProfile& profile = GenericProfile());

// The path of a file under tests/data/ldif.
std::string DataFile(std::string_view name);

// Whether a container of that full name can be listed.
bool Exists(DirectoryClient& dir, std::string_view fullName);

// The names the directory lists directly under fullName, containers only, in listing order.
std::vector<std::string> ListedNames(DirectoryClient& dir, std::string_view fullName);

// One counting run: the full name and count of every node, in the order they were processed.
using NodeCounts = std::vector<std::pair<std::string, int>>;
NodeCounts CountRun(DirectoryClient& dir, std::string_view className, bool byPartition);
long long Total(const NodeCounts& counts);

}  // namespace vantor::test
