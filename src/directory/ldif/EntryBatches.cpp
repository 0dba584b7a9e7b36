#include "directory/ldif/EntryBatches.h"

namespace vantor {

void EntryBatch::Add(std::string_view dn, std::span<const std::string_view> classes,
                     std::span<const std::string_view> referrals, unsigned long line,
                     bool matchesFilter) {
    Stored& entry = entries_.emplace_back();
    entry.dn = texts_.Store(dn);
    entry.firstValue = static_cast<std::uint32_t>(values_.size());
    entry.classCount = static_cast<std::uint32_t>(classes.size());
    entry.referralCount = static_cast<std::uint32_t>(referrals.size());
    entry.line = line;
    entry.matchesFilter = matchesFilter;
    for (const std::string_view objectClass : classes) {
        values_.push_back(texts_.Store(objectClass));
    }
    for (const std::string_view referral : referrals) {
        values_.push_back(texts_.Store(referral));
    }
}

EntryBatch::Entry EntryBatch::At(std::size_t index) const {
    const Stored& stored = entries_[index];
    const std::span<const std::string_view> values(values_);
    return {stored.dn, values.subspan(stored.firstValue, stored.classCount),
            values.subspan(stored.firstValue + stored.classCount, stored.referralCount),
            stored.line, stored.matchesFilter};
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
