#pragma once
// Spaces a running count's message pumps by time. Dispatching the waiting events costs a few
// microseconds even when none wait; a count calls its pump several times per container, so
// pumping at every call made filling a large tree several times slower than the count itself.
// Pumping at most once per interval keeps Cancel, selection and repaints prompt at a fraction
// of the cost.

#include <chrono>
#include <functional>
#include <optional>

namespace vantor {

class PumpPacer {
  public:
    using Clock = std::chrono::steady_clock;

    explicit PumpPacer(std::chrono::milliseconds interval,
                       std::function<Clock::time_point()> now = &Clock::now)
        : interval_(interval), now_(std::move(now)) {}

    // True when the interval has passed since the last pump that was due (always the first
    // time); that pump then counts from now.
    bool Due();
    void SetInterval(std::chrono::milliseconds interval) { interval_ = interval; }

  private:
    std::chrono::milliseconds interval_;
    std::function<Clock::time_point()> now_;
    std::optional<Clock::time_point> last_;
};

}  // namespace vantor
