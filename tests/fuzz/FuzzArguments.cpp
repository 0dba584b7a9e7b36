// Any command line is either understood or refused with a message.

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "cli/Options.h"
#include "directory/source/DirectorySource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            arguments.emplace_back();
        } else {
            arguments.back() += static_cast<char>(data[i]);
        }
    }
    const vantor::DirectoryArguments directory = vantor::TakeDirectoryArguments(arguments);
    if (directory.error.empty()) {
        auto parsed = vantor::ParseCommandLine(directory.rest);
        if (auto* error = std::get_if<std::string>(&parsed); error != nullptr && error->empty()) {
            __builtin_trap();
        }
    }
    return 0;
}
