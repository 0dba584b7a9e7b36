#pragma once
// Text kept for as long as its owner, in chunks that never move, so that views of it stay valid
// and a million short names cost no allocation each.

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace vantor {

class NameArena {
  public:
    // Chunks are at least chunkBytes long.
    explicit NameArena(std::size_t chunkBytes = std::size_t{1} << 20) : chunkBytes_(chunkBytes) {}

    // A copy of text that lives as long as the arena.
    std::string_view Store(std::string_view text);
    // The bytes stored so far.
    std::size_t Bytes() const { return bytes_; }

  private:
    std::vector<std::unique_ptr<char[]>> chunks_;
    std::size_t chunkBytes_;
    std::size_t used_ = 0;
    std::size_t size_ = 0;
    std::size_t bytes_ = 0;
};

}  // namespace vantor
