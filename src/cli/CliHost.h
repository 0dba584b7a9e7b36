#pragma once
// The command-line counter's side of a counting run: Ctrl-C as the cancel request, progress
// on standard error, and the record of every shown node.

#include <chrono>
#include <string>

#include "cli/RunRecord.h"
#include "run/CountRun.h"

namespace vantor {

class CliHost : public CountRunHost {
  public:
    CliHost(RunRecord& record, bool showProgress);
    ~CliHost() override;

    // Makes Ctrl-C request a cancel; a second Ctrl-C ends the program at once.
    static void InstallInterruptHandler();
    // Whether Ctrl-C requested a cancel that the run has not taken yet.
    static bool InterruptRequested();

    const std::string& Failure() const { return failure_; }

    void ShowFailure(const std::string& text, const std::string& cause) override;
    std::string ReadObjectKind() override;
    bool IsCancelRequested() override;
    void ClearCancelRequest() override;
    CountCallbacks Callbacks() override;
    void ShowTotal(std::int32_t runningTotal) override;
    void NodeShown(CCountNode& node, HTREEITEM line) override;

  private:
    void Progress(const char* container);

    RunRecord& record_;
    bool showProgress_;
    std::string failure_;
    long containers_ = 0;
    long lines_ = 0;
    std::int32_t objects_ = 0;
    std::chrono::steady_clock::time_point lastProgress_{};
    bool progressShown_ = false;
};

}  // namespace vantor
