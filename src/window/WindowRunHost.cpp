#include "window/WindowRunHost.h"

#include "platform/ResourceIds.h"
#include "window/CountDlg.h"

namespace vantor {

void WindowRunHost::ShowFailure(const std::string& text, const std::string& cause) {
    ui_.MessageBox(cause.empty() ? text : text + "\n" + cause);
}

std::string WindowRunHost::ReadObjectKind() {
    return window_.ReadObjectKind();
}

bool WindowRunHost::IsCancelRequested() {
    return g_cancelRequested != 0;
}

void WindowRunHost::ClearCancelRequest() {
    g_cancelRequested = 0;
}

CountCallbacks WindowRunHost::Callbacks() {
    CountCallbacks callbacks;
    callbacks.isCancelled = [this] { return window_.IsCancelled(); };
    callbacks.pumpMessages = [this] { return window_.PumpMessages(); };
    callbacks.showProgress = [this](const char* text) { return window_.ShowProgress(text); };
    return callbacks;
}

void WindowRunHost::BeginBusy() {
    ui_.BeginWaitCursor();
}

void WindowRunHost::EndBusy() {
    ui_.EndWaitCursor();
}

void WindowRunHost::ShowTotal(std::int32_t runningTotal) {
    if (DialogHost* host = window_.Host()) {
        host->SetControlText(res::IDC_TOTAL, std::to_string(runningTotal));
    }
}

void WindowRunHost::PumpMessages() {
    window_.PumpMessages();
}

}  // namespace vantor
