#pragma once
// A counting run's host with nothing to show and no cancel: what fuzz targets and benchmarks run
// the count with. It keeps the last running total.

#include <cstdint>
#include <string>

#include "run/CountRun.h"

namespace vantor::test {

class QuietHost : public CountRunHost {
  public:
    void ShowFailure(const std::string&, const std::string&) override {}
    std::string ReadObjectKind() override { return "User"; }
    bool IsCancelRequested() override { return false; }
    void ClearCancelRequest() override {}
    CountCallbacks Callbacks() override { return {}; }
    void ShowTotal(std::int32_t runningTotal) override { total = runningTotal; }

    std::int32_t total = 0;
};

}  // namespace vantor::test
