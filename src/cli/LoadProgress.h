#pragma once
// How far an export has been read, on standard error while it loads (a terminal only).

#include <chrono>

#include "directory/ldif/LdifReader.h"

namespace vantor {

class LoadProgress {
  public:
    explicit LoadProgress(bool show) : show_(show) {}
    ~LoadProgress() { Done(); }
    LoadProgress(const LoadProgress&) = delete;
    LoadProgress& operator=(const LoadProgress&) = delete;

    // Shows the progress, at most every tenth of a second.
    void Show(const LdifProgress& progress);
    // Clears the line, if one was shown.
    void Done();

  private:
    bool show_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace vantor
