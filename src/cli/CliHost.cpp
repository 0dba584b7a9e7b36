#include "cli/CliHost.h"

#include <csignal>
#include <cstdio>

#include "engine/ObjectKinds.h"
#include "tree/VisibleText.h"

namespace vantor {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
}

}  // namespace

CliHost::CliHost(RunRecord& record, bool showProgress)
    : record_(record), showProgress_(showProgress) {}

CliHost::~CliHost() {
    if (progressShown_) {
        std::fputs("\r\033[K", stderr);
    }
}

void CliHost::InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;  // the second Ctrl-C gets the default action
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

void CliHost::ShowFailure(const std::string& text, const std::string& cause) {
    failure_ = cause.empty() ? text : text + ": " + cause;
}

std::string CliHost::ReadObjectKind() {
    if (record_.allKinds) {
        return std::string(kEveryKindClassName);
    }
    return std::string(kKindClassNames.at(static_cast<std::size_t>(record_.kind)));
}

bool CliHost::InterruptRequested() {
    return g_interrupted != 0;
}

bool CliHost::IsCancelRequested() {
    return InterruptRequested();
}

void CliHost::ClearCancelRequest() {
    g_interrupted = 0;
    record_.cancelled = true;
}

CountCallbacks CliHost::Callbacks() {
    CountCallbacks callbacks;
    callbacks.isCancelled = [] { return InterruptRequested() ? 1 : 0; };
    if (showProgress_) {
        callbacks.showProgress = [this](const char* container) {
            ++containers_;
            Progress(container);
            return 1;
        };
    }
    return callbacks;
}

void CliHost::ShowTotal(std::int32_t runningTotal) {
    objects_ = runningTotal;
    ++lines_;
}

void CliHost::NodeShown(CCountNode& node, HTREEITEM line) {
    ShownNode shown;
    shown.fullName = node.fullName;
    shown.kindCounts = node.kindCounts;
    // A name the back end cannot give a DN for leaves it empty: the full name still names it.
    node.client.ReadEntryDn(node.context, node.fullName.c_str(), shown.dn);
    node.FirstError();
    while (const CountError* error = node.NextError()) {
        shown.errors.push_back({error->errorCode, error->operation,
                                error->objectName ? error->objectName.get() : "",
                                ErrorLineText(*error), error->cause});
    }
    record_.nodes.emplace(line, std::move(shown));
}

void CliHost::Progress(const char* container) {
    const auto now = std::chrono::steady_clock::now();
    if (progressShown_ && now - lastProgress_ < std::chrono::milliseconds(100)) {
        return;
    }
    lastProgress_ = now;
    progressShown_ = true;
    // The name as the report shows it, cut after 60 characters, never inside one.
    const std::string name = VisibleText(container);
    std::size_t shown = 0;
    for (int characters = 0; characters < 60 && shown < name.size(); ++characters) {
        shown += Utf8SequenceLength(std::string_view(name).substr(shown));
    }
    std::fprintf(stderr, "\r\033[K%ld containers, %ld lines, %d objects: %.*s", containers_, lines_,
                 objects_, static_cast<int>(shown), name.c_str());
    std::fflush(stderr);
}

}  // namespace vantor
