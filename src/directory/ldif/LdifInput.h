#pragma once
// Where the bytes of an LDIF export come from: a file, standard input (a pipe from slapcat,
// say) or text in memory. Reading gives way at least every tenth of a second, so that a
// loader can take a cancel request while a pipe stays silent.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

class LdifInput {
  public:
    virtual ~LdifInput() = default;

    // What a read got: bytes (0 at the end), none yet (a pipe with nothing to say for a tenth of
    // a second), or an error (errno-style code).
    struct ReadResult {
        std::size_t bytes = 0;
        bool waiting = false;
        int error = 0;
    };
    virtual ReadResult Read(char* into, std::size_t size) = 0;
    // The whole size in bytes, when known before reading (a regular file, text).
    virtual std::optional<std::uint64_t> Size() const = 0;
};

// The file at path, or standard input for "-". nullptr and a message when it cannot be opened.
std::unique_ptr<LdifInput> OpenLdifInput(const std::string& path, std::string& error);

// Text held by the caller, which must outlive the input.
std::unique_ptr<LdifInput> TextLdifInput(std::string_view text);

}  // namespace vantor
