// Any LDIF text either loads or is refused with a message; a loaded directory counts to the end.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "directory/ldif/LdifDirectory.h"
#include "run/CountRun.h"
#include "support/QuietHost.h"
#include "tree/CTextTreeCtrl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vantor::LdifLoadResult loaded = vantor::LoadLdifText(text, "fuzz.ldif");
    if (!loaded) {
        if (loaded.error.empty()) {
            __builtin_trap();  // a refusal must say why
        }
        return 0;
    }
    for (bool byContainer : {false, true}) {
        vantor::CTextTreeCtrl tree;
        vantor::test::QuietHost host;
        vantor::RunCount(*loaded.directory, tree, host, byContainer);
    }
    return 0;
}
