// One count by container of a large scripted directory in the real window, and the same count
// through the shared counting run as the command-line counter does it, with the window/CLI
// ratio of their times and how responsive the window stayed: the pumps, a 10 ms timer's
// firings and the longest gap between them, and the tree's repaints. A third run is cancelled
// by a click on Cancel a while after it started: how long the window took to stop.
//
// Usage: bench_window [containers]      (default 50000; the target is a ratio of at most 2)
// Without a display it runs on QT_QPA_PLATFORM=offscreen.

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "directory/memory/MemoryDirectory.h"
#include "platform/ResourceIds.h"
#include "platform/qt/DialogDriver.h"
#include "platform/qt/QtTreeView.h"
#include "platform/qt/QtUiServices.h"
#include "run/CountRun.h"
#include "window/CountDlg.h"

namespace vantor {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Processor time of the whole process, every thread included.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Containers on four levels, each level about ten to twenty times wider than the one above,
// with a few users and a group each (the group is there for the filter to leave out).
struct BenchDirectory {
    explicit BenchDirectory(std::size_t containers) {
        const std::size_t first = std::max<std::size_t>(containers / 5000, 1);
        const std::size_t second = std::max<std::size_t>(containers / 500, 1);
        const std::size_t third = std::max<std::size_t>(containers / 25, 1);
        const std::size_t used = first + second + third;
        const std::vector<std::size_t> levels = {first, second, third,
                                                 containers > used ? containers - used : 0};
        std::vector<MemoryDirectory::EntryId> above{MemoryDirectory::kRoot};
        std::uint32_t index = 0;
        for (std::size_t level = 0; level < levels.size(); ++level) {
            std::vector<MemoryDirectory::EntryId> current;
            for (std::size_t i = 0; i < levels[level]; ++i, ++index) {
                std::string name = "L";
                name += std::to_string(level);
                name += '-';
                name += std::to_string(i);
                const auto id = dir.AddContainer(above[i % above.size()], std::move(name));
                const std::uint32_t users = 1 + index % 7;
                dir.AddObjects(id, "User", users);
                dir.AddObjects(id, "Group", 1);
                expectedUsers += users;
                current.push_back(id);
            }
            above = std::move(current);
        }
    }

    MemoryDirectory dir;
    std::int64_t expectedUsers = 0;
};

// Answers the splash and the notice with OK at once, and times the pumps that the window lets
// through to the event loop.
class BenchUi : public QtUiServices {
  public:
    int RunModal(CDialog&) override { return res::IDOK; }
    void MessageBox(const std::string& text) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
    int PumpMessages() override {
        ++dispatches;
        const auto start = Clock::now();
        const int result = QtUiServices::PumpMessages();
        inPumps += Clock::now() - start;
        return result;
    }

    long dispatches = 0;
    Clock::duration inPumps{};
};

class NoPrinters : public PrintService {
  public:
    std::unique_ptr<PrintDevice> ChoosePrinter() override { return nullptr; }
};

// Counts the paints of one widget.
class PaintCounter : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    long paints = 0;
};

// The command-line counter's side of a run with nothing to show.
class QuietHost : public CountRunHost {
  public:
    void ShowFailure(const std::string& text, const std::string& cause) override {
        std::fprintf(stderr, "failure: %s %s\n", text.c_str(), cause.c_str());
    }
    std::string ReadObjectKind() override { return "User"; }
    bool IsCancelRequested() override { return false; }
    void ClearCancelRequest() override {}
    CountCallbacks Callbacks() override {
        CountCallbacks callbacks;
        callbacks.isCancelled = [] { return 0; };
        return callbacks;
    }
    void ShowTotal(std::int32_t runningTotal) override { total = runningTotal; }

    std::int32_t total = 0;
};

struct Ticks {
    long firings = 0;
    Clock::duration longestGap{};
};

// The window set to count by container, its dialogs answered at once.
struct BenchWindow {
    explicit BenchWindow(MemoryDirectory& dir)
        : window(ui, dir, printers), host(test::ShowDialog(ui, window)) {
        test::Click(*host, res::IDC_BY_CONTAINER);
    }
    BenchUi ui;
    NoPrinters printers;
    CCountDlg window;
    std::unique_ptr<QtDialogHost> host;
};

// Seconds the window took; negative when the total was not the expected one.
double CountInWindow(MemoryDirectory& dir, std::int64_t expected) {
    BenchWindow bench(dir);
    BenchUi& ui = bench.ui;
    CCountDlg& window = bench.window;
    QtDialogHost* host = bench.host.get();
    PaintCounter paints;
    host->TreeView(res::IDC_TREE)->viewport()->installEventFilter(&paints);
    QCoreApplication::processEvents();

    Ticks ticks;
    Clock::time_point last = Clock::now();
    QTimer timer;
    timer.setInterval(10);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        ++ticks.firings;
        ticks.longestGap = std::max(ticks.longestGap, now - last);
        last = now;
    });
    const double cpuStart = CpuSeconds();
    const auto start = Clock::now();
    last = start;
    timer.start();
    test::Click(*host, res::IDC_COUNT);
    const auto end = Clock::now();
    const double cpu = CpuSeconds() - cpuStart;
    timer.stop();
    ticks.longestGap = std::max(ticks.longestGap, end - last);

    const std::string total = host->ControlText(res::IDC_TOTAL);
    const double seconds = Seconds(end - start);
    std::printf(
        "window run (CCountDlg, Count by container): %.3f s (%.3f s processor), %zu "
        "lines, total %s\n",
        seconds, cpu, window.m_tree.ItemCount(), total.c_str());
    std::printf("  dispatching pumps: %ld, %.3f s inside them (%.1f us each)\n", ui.dispatches,
                Seconds(ui.inPumps),
                1e6 * Seconds(ui.inPumps) / static_cast<double>(std::max(ui.dispatches, 1L)));
    std::printf(
        "  10 ms timer: fired %ld times in %.0f ms (%.0f%% of 1 per 10 ms), longest gap "
        "%.1f ms\n",
        ticks.firings, 1000 * seconds, 100.0 * ticks.firings / (100 * seconds),
        Millis(ticks.longestGap));
    std::printf("  tree repaints during the run: %ld\n", paints.paints);
    return total == std::to_string(expected) ? seconds : -1;
}

// Clicks Cancel after cancelAfter and prints how long the window took to stop; 0 when the run
// ended with the "CANCELLED" line (or before the click, on a small directory).
int CancelInWindow(MemoryDirectory& dir, Clock::duration cancelAfter) {
    BenchWindow bench(dir);
    CCountDlg& window = bench.window;
    QtDialogHost* host = bench.host.get();
    QCoreApplication::processEvents();

    const auto start = Clock::now();
    QTimer::singleShot(std::chrono::duration_cast<std::chrono::milliseconds>(cancelAfter),
                       Qt::PreciseTimer, [&] { test::Click(*host, res::IDCANCEL); });
    test::Click(*host, res::IDC_COUNT);
    const auto end = Clock::now();
    if (end - start < cancelAfter) {
        std::printf("cancelled run: ended after %.1f ms, before the click on Cancel\n",
                    Millis(end - start));
        return 0;
    }
    // From when the user clicked (the timer was due) to the window back at rest; the wait for
    // the next pump is part of it.
    std::printf("cancelled run: Cancel clicked at %.0f ms, the window stopped %.1f ms later\n",
                Millis(cancelAfter), Millis(end - start - cancelAfter));
    HTREEITEM last = window.m_tree.Next(0, TVGN_ROOT);
    while (const HTREEITEM next = window.m_tree.Next(last, TVGN_NEXT)) {
        last = next;
    }
    return window.m_tree.GetItemText(last) == kCancelledLine ? 0 : 1;
}

// Seconds the run took; negative when it did not count every user.
double CountAsCommandLine(MemoryDirectory& dir, std::int64_t expected) {
    CCountTreeCtrl tree;
    QuietHost host;
    const double cpuStart = CpuSeconds();
    const auto start = Clock::now();
    const CountRunOutcome outcome = RunCount(dir, tree, host, true);
    const auto end = Clock::now();
    std::printf(
        "command-line run (RunCount into CCountTreeCtrl): %.3f s (%.3f s processor), %zu "
        "lines, total %d\n",
        Seconds(end - start), CpuSeconds() - cpuStart, tree.ItemCount(), host.total);
    return outcome == CountRunOutcome::kFinished && host.total == expected ? Seconds(end - start)
                                                                           : -1;
}

int Run(int argc, char** argv) {
    const std::size_t containers = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 50000;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);

    const auto built = Clock::now();
    BenchDirectory bench(containers);
    std::printf("directory: %zu containers below [Root] on 4 levels, %lld users; built in %.2f s\n",
                bench.dir.ContainerCount() - 1, static_cast<long long>(bench.expectedUsers),
                Seconds(Clock::now() - built));
    const double cli = CountAsCommandLine(bench.dir, bench.expectedUsers);
    const double window = CountInWindow(bench.dir, bench.expectedUsers);
    int failures = cli < 0 || window < 0 ? 1 : 0;
    if (failures == 0) {
        std::printf("window/CLI ratio: %.2f (target: at most 2)\n", window / cli);
    }
    failures += CancelInWindow(bench.dir, std::chrono::milliseconds(100));
    if (failures != 0) {
        std::fprintf(stderr, "a run did not count every user\n");
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace vantor

int main(int argc, char** argv) {
    return vantor::Run(argc, argv);
}
