#include "directory/ldif/EntryBatches.h"

#include <algorithm>
#include <cstring>

namespace vantor {

namespace {

constexpr std::size_t kChunkBytes = std::size_t{64} << 10;

}  // namespace

std::string_view EntryBatch::Keep(std::string_view text) {
    if (chunks_.empty() || size_ - used_ < text.size()) {
        size_ = std::max(kChunkBytes, text.size());
        chunks_.push_back(std::make_unique<char[]>(size_));
        used_ = 0;
    }
    char* at = chunks_.back().get() + used_;
    std::memcpy(at, text.data(), text.size());
    used_ += text.size();
    bytes_ += text.size();
    return {at, text.size()};
}

void EntryBatch::Add(std::string_view dn, std::span<const std::string_view> classes,
                     std::span<const std::string_view> referrals, unsigned long line) {
    Stored& entry = entries_.emplace_back();
    entry.dn = Keep(dn);
    entry.firstValue = static_cast<std::uint32_t>(values_.size());
    entry.classCount = static_cast<std::uint32_t>(classes.size());
    entry.referralCount = static_cast<std::uint32_t>(referrals.size());
    entry.line = line;
    for (const std::string_view objectClass : classes) {
        values_.push_back(Keep(objectClass));
    }
    for (const std::string_view referral : referrals) {
        values_.push_back(Keep(referral));
    }
}

EntryBatch::Entry EntryBatch::At(std::size_t index) const {
    const Stored& stored = entries_[index];
    const std::span<const std::string_view> values(values_);
    return {stored.dn, values.subspan(stored.firstValue, stored.classCount),
            values.subspan(stored.firstValue + stored.classCount, stored.referralCount),
            stored.line};
}

bool BatchQueue::Push(std::unique_ptr<EntryBatch> batch) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopped_ || batches_.size() < kMaxBatches; });
    if (stopped_) {
        return false;
    }
    batches_.push_back(std::move(batch));
    changed_.notify_all();
    return true;
}

std::unique_ptr<EntryBatch> BatchQueue::Pop(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, wait, [this] { return !batches_.empty(); })) {
        return nullptr;
    }
    std::unique_ptr<EntryBatch> batch = std::move(batches_.front());
    batches_.pop_front();
    changed_.notify_all();
    return batch;
}

void BatchQueue::Stop() {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
}

bool BatchQueue::Stopped() const {
    const std::lock_guard lock(mutex_);
    return stopped_;
}

}  // namespace vantor
