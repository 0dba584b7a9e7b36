#include "window/PumpPacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantor {
namespace {

using std::chrono::milliseconds;

TEST(PumpPacer, PumpsTheFirstTimeAndThenOncePerInterval) {
    struct Case {
        milliseconds interval;
        std::vector<int> callsAtMs;
        std::vector<bool> due;
    };
    const Case cases[] = {
        {milliseconds(10),
         {0, 3, 9, 10, 12, 25, 25},
         {true, false, false, true, false, true, false}},
        // Counted from the last pump, not from a fixed grid.
        {milliseconds(10), {5, 14, 15, 24, 26}, {true, false, true, false, true}},
        {milliseconds(0), {0, 0, 1}, {true, true, true}},
    };
    for (const Case& c : cases) {
        PumpPacer::Clock::time_point now{};
        PumpPacer pacer(c.interval, [&] { return now; });
        std::vector<bool> due;
        for (int at : c.callsAtMs) {
            now = PumpPacer::Clock::time_point(milliseconds(at));
            due.push_back(pacer.Due());
        }
        EXPECT_EQ(due, c.due) << "interval " << c.interval.count() << " ms";
    }
}

}  // namespace
}  // namespace vantor
