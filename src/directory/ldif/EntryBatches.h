#pragma once
// Entries handed from the thread that reads and parses an export to the one that builds the
// tree, in batches and in file order, through a queue of a few batches (the reader waits when
// it is full, so memory stays bounded however fast the file comes).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "directory/ldif/LdifRecords.h"
#include "directory/ldif/NameArena.h"

namespace vantor {

// The entries of some records, their texts copied out of the reader's buffers.
class EntryBatch {
  public:
    struct Entry {
        std::string_view dn;
        std::span<const std::string_view> classes;
        std::span<const std::string_view> referrals;
        unsigned long line = 0;
        bool matchesFilter = true;
    };

    void Add(std::string_view dn, std::span<const std::string_view> classes,
             std::span<const std::string_view> referrals, unsigned long line, bool matchesFilter);
    std::size_t Size() const { return entries_.size(); }
    // Valid until the next Add.
    Entry At(std::size_t index) const;
    std::size_t Bytes() const { return texts_.Bytes(); }

    // Set on the last batch: why the reader stopped (nullopt at the end of the input).
    std::optional<LdifError> end;
    bool last = false;

  private:
    NameArena texts_{std::size_t{64} << 10};
    struct Stored {
        std::string_view dn;
        std::uint32_t firstValue = 0;
        std::uint32_t classCount = 0;
        std::uint32_t referralCount = 0;
        unsigned long line = 0;
        bool matchesFilter = true;
    };
    std::vector<Stored> entries_;
    std::vector<std::string_view> values_;  // classes, then referrals, of each entry in turn
};

class BatchQueue {
  public:
    // Reader: waits while the queue is full; false when the consumer stopped it.
    bool Push(std::unique_ptr<EntryBatch> batch);
    // Consumer: the next batch, or null when none came within wait.
    std::unique_ptr<EntryBatch> Pop(std::chrono::milliseconds wait);
    // Consumer: no more batches are wanted; a waiting reader returns.
    void Stop();
    bool Stopped() const;

  private:
    static constexpr std::size_t kMaxBatches = 4;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<EntryBatch>> batches_;
    bool stopped_ = false;
};

}  // namespace vantor
