#pragma once
// The main window's side of a counting run: message boxes, the busy cursor, the cancel flag,
// the total field and the message pump.

#include "platform/Dialog.h"
#include "run/CountRun.h"

namespace vantor {

class CCountDlg;

class WindowRunHost : public CountRunHost {
  public:
    WindowRunHost(CCountDlg& window, UiServices& ui) : window_(window), ui_(ui) {}

    void ShowFailure(const std::string& text, const std::string& cause) override;
    std::string ReadObjectKind() override;
    bool IsCancelRequested() override;
    void ClearCancelRequest() override;
    CountCallbacks Callbacks() override;
    void BeginBusy() override;
    void EndBusy() override;
    void ShowTotal(std::int32_t runningTotal) override;
    void PumpMessages() override;

  private:
    CCountDlg& window_;
    UiServices& ui_;
};

}  // namespace vantor
