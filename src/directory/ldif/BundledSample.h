#pragma once
// The sample directory compiled into the programs: a fictional organisation in LDIF
// (resources/sample/sample.ldif), counted when no directory is configured.

#include <string_view>

#include "directory/ldif/LdifDirectory.h"

namespace vantor {

inline constexpr std::string_view kBundledSampleDescription = "bundled sample directory";

// The LDIF text of the sample, as it was when the program was built.
std::string_view BundledSampleLdif();

// The sample loaded as a directory whose description is kBundledSampleDescription.
LdifLoadResult LoadBundledSample(const ClassProfile& profile = GenericProfile(),
                                 const LdifProgressCheck& keepGoing = {},
                                 const ObjectFilter* filter = nullptr);

}  // namespace vantor
