#include "window/PumpPacer.h"

namespace vantor {

bool PumpPacer::Due() {
    const Clock::time_point now = now_();
    if (last_ && now - *last_ < interval_) {
        return false;
    }
    last_ = now;
    return true;
}

}  // namespace vantor
