#pragma once
// The entry point every libFuzzer target defines, declared for a test that calls a target
// directly (and given to the target's own source when built into that test).

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
