#include "directory/ldif/BundledSample.h"

// The build passes the sample's absolute path and rebuilds this file when the sample changes.
#ifndef VANTOR_SAMPLE_LDIF_PATH
#error "VANTOR_SAMPLE_LDIF_PATH must name resources/sample/sample.ldif"
#endif

// The assembler copies the file into read-only data; no generated source, no resource system.
asm(".pushsection .rodata\n"
    ".balign 16\n"
    ".globl vantor_sample_ldif_begin\n"
    ".hidden vantor_sample_ldif_begin\n"
    "vantor_sample_ldif_begin:\n"
    ".incbin \"" VANTOR_SAMPLE_LDIF_PATH
    "\"\n"
    ".globl vantor_sample_ldif_end\n"
    ".hidden vantor_sample_ldif_end\n"
    "vantor_sample_ldif_end:\n"
    ".byte 0\n"
    ".popsection\n");

extern "C" const char vantor_sample_ldif_begin[];
extern "C" const char vantor_sample_ldif_end[];

namespace vantor {

std::string_view BundledSampleLdif() {
    return {vantor_sample_ldif_begin,
            static_cast<std::size_t>(vantor_sample_ldif_end - vantor_sample_ldif_begin)};
}

LdifLoadResult LoadBundledSample(const ClassProfile& profile, const LdifProgressCheck& keepGoing,
                                 const ObjectFilter* filter) {
    return LoadLdifText(BundledSampleLdif(), kBundledSampleDescription, profile, keepGoing, filter);
}

}  // namespace vantor
