#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "directory/memory/InstrumentedDirectory.h"
#include "directory/memory/MemoryDirectory.h"
#include "platform/ResourceIds.h"
#include "platform/StringTable.h"
#include "run/CountRun.h"
#include "support/EngineFixture.h"
#include "tree/TreeWalk.h"

namespace vantor {
namespace {

// The window's side of a run, with a cancel flag that the engine's checks, the progress names
// and the pump between nodes can set, the way a Cancel click dispatched inside the run would.
class FakeHost : public CountRunHost {
  public:
    explicit FakeHost(const CTextTreeCtrl& tree, const MemoryDirectory& dir)
        : tree_(tree), dir_(dir) {}

    // Settings.
    bool cancelRequested = false;
    std::string className = "User";
    int cancelAtCheck = 0;             // the nth cancel check of the engine sets the flag
    std::string cancelOnProgress;      // showing this container's name sets the flag
    std::size_t cancelAfterShown = 0;  // the pump after the nth shown node sets the flag

    // What the run did.
    struct Shown {
        std::string fullName;
        HTREEITEM line;
        std::string text;
    };
    std::vector<std::pair<std::string, std::string>> failures;
    std::vector<std::int32_t> totals;
    std::vector<std::int32_t> treeSums;  // sum of the tree's item data at each ShowTotal
    std::vector<Shown> shown;
    int kindReads = 0;
    std::size_t contextsOpenAtKindRead = 0;
    int clears = 0;
    int busyBegins = 0;
    int busyEnds = 0;
    int pumps = 0;

    void ShowFailure(const std::string& text, const std::string& cause) override {
        failures.emplace_back(text, cause);
    }
    std::string ReadObjectKind() override {
        ++kindReads;
        contextsOpenAtKindRead = dir_.OpenContexts();
        return className;
    }
    bool IsCancelRequested() override { return cancelRequested; }
    void ClearCancelRequest() override {
        ++clears;
        cancelRequested = false;
    }
    CountCallbacks Callbacks() override {
        CountCallbacks callbacks;
        callbacks.isCancelled = [this] {
            if (++checks_ == cancelAtCheck) {
                cancelRequested = true;
            }
            return cancelRequested ? 1 : 0;
        };
        callbacks.showProgress = [this](const char* name) {
            if (!cancelOnProgress.empty() && cancelOnProgress == name) {
                cancelRequested = true;
            }
            return 1;
        };
        return callbacks;
    }
    void BeginBusy() override { ++busyBegins; }
    void EndBusy() override { ++busyEnds; }
    void ShowTotal(std::int32_t runningTotal) override {
        totals.push_back(runningTotal);
        const CTreeWalk walk(tree_);
        std::int32_t sum = 0;
        for (HTREEITEM top = tree_.Next(0, TVGN_ROOT); top != 0; top = tree_.Next(top, TVGN_NEXT)) {
            sum += walk.BranchTotal(top);
        }
        treeSums.push_back(sum);
    }
    void PumpMessages() override {
        ++pumps;
        if (cancelAfterShown != 0 && shown.size() == cancelAfterShown) {
            cancelRequested = true;
        }
    }
    void NodeShown(CCountNode& node, HTREEITEM line) override {
        shown.push_back({node.fullName, line, tree_.GetItemText(line)});
    }

  private:
    const CTextTreeCtrl& tree_;
    const MemoryDirectory& dir_;
    int checks_ = 0;
};

// One tree line as a reader of the tree sees it.
struct Line {
    int depth;
    std::string text;
    std::intptr_t data;
    bool carriesData;
    int image;
    bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& line) {
    return out << "{" << line.depth << ", \"" << line.text << "\", " << line.data << ", "
               << line.carriesData << ", " << line.image << "}";
}

Line Result(int depth, const std::string& text, std::intptr_t count, int image) {
    return {depth, text, count, true, image};
}

Line ErrorText(int depth, const std::string& text) {
    return {depth, text, 0, false, kErrorImage};
}

Line CancelledText() {
    return {0, kCancelledLine, 0, false, kCancelledImage};
}

std::vector<Line> LinesOf(const CTextTreeCtrl& tree) {
    std::vector<Line> lines;
    CTreeWalk walk(tree);
    walk.Walk([&](HTREEITEM item) {
        lines.push_back({walk.m_depth, tree.GetItemText(item), tree.Data(item),
                         tree.CarriesData(item), tree.Image(item)});
        EXPECT_EQ(tree.Image(item), tree.SelectedImage(item));
        return true;
    });
    return lines;
}

std::vector<std::string> TopLevelTexts(const CTextTreeCtrl& tree) {
    std::vector<std::string> texts;
    for (HTREEITEM top = tree.Next(0, TVGN_ROOT); top != 0; top = tree.Next(top, TVGN_NEXT)) {
        texts.push_back(tree.GetItemText(top));
    }
    return texts;
}

bool Called(const InstrumentedDirectory& client, DirOp op) {
    const std::vector<DirOp> ops = test::OpsOf(client);
    return std::find(ops.begin(), ops.end(), op) != ops.end();
}

// [Root] 3 users / acme 4 users and 9 groups / Dev.acme 5 (a partition root) / QA.Dev.acme 2 /
// Sales.acme 10.
class CountRun : public ::testing::Test {
  protected:
    static constexpr std::int32_t kUsers = 3 + 4 + 5 + 2 + 10;

    void SetUp() override {
        dir.AddObjects(MemoryDirectory::kRoot, "User", 3);
        const auto acme = dir.Path("acme");
        dir.AddObjects(acme, "User", 4);
        dir.AddObjects(acme, "Group", 9);
        const auto dev = dir.Path("Dev.acme");
        dir.AddObjects(dev, "User", 5);
        dir.MarkPartitionRoot(dev);
        dir.AddObjects(dir.Path("QA.Dev.acme"), "User", 2);
        dir.AddObjects(dir.Path("Sales.acme"), "User", 10);
        dir.SetSearchBatchSize(3);  // several batches, so several cancel checks per container
    }

    CountRunOutcome Run(bool byContainer) { return RunCount(client, tree, host, byContainer); }

    // On every way out of a run that opened a context: closed, tables unloaded, nothing left.
    void ExpectEverythingReleased() {
        EXPECT_EQ(dir.OpenContexts(), 0u);
        EXPECT_FALSE(dir.UnicodeTablesLoaded());
        EXPECT_EQ(dir.LiveBuffers(), 0);
        EXPECT_EQ(dir.LiveFilters(), 0);
        const auto& calls = client.Calls();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[calls.size() - 2].op, DirOp::CloseContext);
        EXPECT_EQ(calls[calls.size() - 2].result, 0);
        EXPECT_EQ(calls.back().op, DirOp::UnloadUnicodeTables);
    }

    MemoryDirectory dir;
    InstrumentedDirectory client{dir};
    CCountTreeCtrl tree;
    FakeHost host{tree, dir};
};

TEST_F(CountRun, ByContainerEveryContainerIsALineUnderItsParentsLine) {
    EXPECT_EQ(Run(true), CountRunOutcome::kFinished);
    const std::vector<Line> expected = {
        Result(0, "[Root] 3", 3, 1), Result(1, "acme 4", 4, 1),    Result(2, "Dev 5", 5, 1),
        Result(3, "QA 2", 2, 1),     Result(2, "Sales 10", 10, 1),
    };
    EXPECT_EQ(LinesOf(tree), expected);
    EXPECT_EQ(host.totals.back(), kUsers);
    CTreeWalk walk(tree);
    EXPECT_EQ(walk.BranchTotal(tree.Next(0, TVGN_ROOT)), kUsers);
    // A line is expanded once a child arrives under it.
    walk.Walk([&](HTREEITEM item) {
        EXPECT_EQ(tree.IsExpanded(item), tree.HasChildren(item)) << tree.GetItemText(item);
        return true;
    });
    ExpectEverythingReleased();
}

TEST_F(CountRun, ByPartitionOnlyPartitionRootsGetLines) {
    EXPECT_EQ(Run(false), CountRunOutcome::kFinished);
    const std::vector<Line> expected = {
        Result(0, "[Root] 17", 3 + 4 + 10, 0),
        Result(1, "Dev 7", 5 + 2, 0),
    };
    EXPECT_EQ(LinesOf(tree), expected);
    EXPECT_EQ(host.totals.back(), kUsers);
    ExpectEverythingReleased();
}

TEST_F(CountRun, RunningTotalIsShownAfterEachNodeOnceItsLinesAreIn) {
    Run(true);
    ASSERT_EQ(host.shown.size(), 5u);
    ASSERT_EQ(host.totals.size(), host.shown.size());
    std::int32_t sum = 0;
    for (std::size_t i = 0; i < host.shown.size(); ++i) {
        sum += static_cast<std::int32_t>(tree.Data(host.shown[i].line));
        EXPECT_EQ(host.totals[i], sum) << i;
    }
    EXPECT_EQ(host.treeSums, host.totals);
    EXPECT_EQ(host.pumps, 5);
    EXPECT_EQ(host.busyBegins, 5);
    EXPECT_EQ(host.busyEnds, 5);
}

TEST_F(CountRun, EveryShownNodeIsReportedOnceWithItsOwnLine) {
    Run(true);
    std::vector<std::string> names;
    std::vector<HTREEITEM> lines;
    for (const FakeHost::Shown& s : host.shown) {
        names.push_back(s.fullName);
        lines.push_back(s.line);
        EXPECT_EQ(tree.GetItemText(s.line), s.text);
    }
    // First in, first out: a parent's line always exists before its children's.
    EXPECT_EQ(names, (std::vector<std::string>{"[Root]", "acme", "Dev.acme", "Sales.acme",
                                               "QA.Dev.acme"}));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(std::adjacent_find(lines.begin(), lines.end()), lines.end());
    EXPECT_EQ(host.shown[4].text, "QA 2");
}

TEST_F(CountRun, OpensTheDirectoryAndConfiguresTheContextFirst) {
    Run(false);
    const auto& calls = client.Calls();
    ASSERT_GE(calls.size(), 7u);
    EXPECT_EQ(calls[0].op, DirOp::SelectLocale);
    EXPECT_EQ(calls[0].number, 0);
    EXPECT_EQ(calls[0].name, "");
    EXPECT_EQ(calls[1].op, DirOp::ReadLocaleConventions);
    // The country (byte 60 of the record) first, the code page (byte 56) second.
    EXPECT_EQ(calls[2].op, DirOp::LoadUnicodeTables);
    EXPECT_EQ(calls[2].iteration, 1);
    EXPECT_EQ(calls[2].number, 437);
    EXPECT_EQ(calls[3].op, DirOp::OpenContext);
    const int context = calls[3].result;
    EXPECT_EQ(calls[4].op, DirOp::ReadContextValue);
    EXPECT_EQ(calls[4].number, kContextKeyFlags);
    EXPECT_EQ(calls[5].op, DirOp::WriteContextValue);
    EXPECT_EQ(calls[5].number, kContextKeyFlags);
    EXPECT_EQ(calls[5].name, std::to_string(kContextFlagTypelessNames));
    EXPECT_EQ(calls[6].op, DirOp::WriteContextValue);
    EXPECT_EQ(calls[6].number, kContextKeyNameContext);
    EXPECT_EQ(calls[6].name, "");
    EXPECT_EQ(calls[calls.size() - 2].number, context);  // the same context is closed
    EXPECT_EQ(host.kindReads, 1);
    EXPECT_EQ(host.contextsOpenAtKindRead, 1u);
}

TEST_F(CountRun, CountsTheClassTheHostNames) {
    host.className = "Group";
    Run(true);
    EXPECT_EQ(host.totals.back(), 9);
    EXPECT_EQ(LinesOf(tree)[1], Result(1, "acme 9", 9, 1));
}

TEST_F(CountRun, EarlierContentsAreReplaced) {
    tree.InsertItem("left over", TVI_ROOT, TVI_LAST);
    Run(false);
    EXPECT_EQ(TopLevelTexts(tree), std::vector<std::string>{"[Root] 17"});
}

TEST_F(CountRun, FailedCallsBecomeAnExpandedErrorHeaderFirstUnderTheLine) {
    client.InjectFailure({DirOp::Search, dirError::kObjectNotFound, "acme"});
    client.InjectFailure({DirOp::Search, dirError::kObjectNotFound, "QA.Dev.acme"});
    client.InjectFailure({DirOp::ListContainers, dirError::kReferralsFailed, "QA.Dev.acme"});
    EXPECT_EQ(Run(true), CountRunOutcome::kFinished);
    const std::vector<Line> expected = {
        Result(0, "[Root] 3", 3, 1),
        Result(1, "acme 0", 0, 1),
        ErrorText(2, "acme:ERRORS"),
        ErrorText(3, "-601:NWDSSearch:acme"),
        Result(2, "Dev 5", 5, 1),
        Result(3, "QA 0", 0, 1),
        ErrorText(4, "QA:ERRORS"),
        ErrorText(5, "-601:NWDSSearch:QA.Dev.acme"),
        ErrorText(5, "-626:NWDSListContainers:QA.Dev.acme"),
        Result(2, "Sales 10", 10, 1),
    };
    EXPECT_EQ(LinesOf(tree), expected);
    const HTREEITEM acme = tree.Next(tree.Next(0, TVGN_ROOT), TVGN_CHILD);
    EXPECT_TRUE(tree.IsExpanded(tree.Next(acme, TVGN_CHILD)));
    // QA, whose only child is its error header, is expanded too: every line is shown.
    EXPECT_EQ(tree.VisibleRows(), expected.size());
    EXPECT_EQ(host.totals.back(), 3 + 5 + 10);
    EXPECT_TRUE(host.failures.empty());
    ExpectEverythingReleased();
}

TEST_F(CountRun, ErrorWithoutANameEndsWithTheSecondColon) {
    // The third buffer of the run is the root's listing buffer: its walk fails before it
    // reaches acme and Sales, so only its own objects are counted.
    client.InjectFailure({DirOp::AllocBuf, dirError::kNoMemory, "", 3});
    Run(false);
    const std::vector<Line> expected = {
        Result(0, "[Root] 3", 3, 0),
        ErrorText(1, "[Root]:ERRORS"),
        ErrorText(2, "-649:NWDSAllocBuf:"),
    };
    EXPECT_EQ(LinesOf(tree), expected);
    ExpectEverythingReleased();
}

TEST_F(CountRun, AFailedPartitionRootQueryIsAnErrorLineOfTheNodeThatCountsTheChild) {
    client.InjectFailure({DirOp::FindPartitionRoot, dirError::kReferralsFailed, "Sales.acme"});
    Run(false);
    // Sales is no partition root anyway: its 10 users stay in [Root]'s 17, now with a word.
    const std::vector<Line> expected = {
        Result(0, "[Root] 17", 17, 0),
        ErrorText(1, "[Root]:ERRORS"),
        ErrorText(2, "-626:NWDSGetPartitionRoot:Sales.acme"),
        Result(1, "Dev 7", 7, 0),
    };
    EXPECT_EQ(LinesOf(tree), expected);
    ExpectEverythingReleased();
}

TEST_F(CountRun, CancelWhileTheRootIsCountedLeavesOnlyCancelled) {
    host.cancelAtCheck = 1;
    EXPECT_EQ(Run(true), CountRunOutcome::kRunCancelled);
    EXPECT_EQ(LinesOf(tree), std::vector<Line>{CancelledText()});
    EXPECT_TRUE(host.totals.empty());  // the total field keeps what it showed before
    EXPECT_TRUE(host.shown.empty());
    EXPECT_FALSE(host.cancelRequested);
    EXPECT_EQ(host.clears, 1);
    ExpectEverythingReleased();
}

TEST_F(CountRun, CancelBetweenNodesKeepsTheShownLinesAndEndsWithCancelled) {
    host.cancelAfterShown = 2;
    EXPECT_EQ(Run(true), CountRunOutcome::kRunCancelled);
    const std::vector<Line> expected = {
        Result(0, "[Root] 3", 3, 1),
        Result(1, "acme 4", 4, 1),
        CancelledText(),
    };
    EXPECT_EQ(LinesOf(tree), expected);
    EXPECT_EQ(host.totals, (std::vector<std::int32_t>{3, 7}));
    EXPECT_FALSE(host.cancelRequested);
    ExpectEverythingReleased();

    // The flag was cleared, so the next run is not cancelled at once.
    host.cancelAfterShown = 0;
    EXPECT_EQ(Run(true), CountRunOutcome::kFinished);
    EXPECT_EQ(LinesOf(tree).size(), 5u);
    EXPECT_EQ(TopLevelTexts(tree), std::vector<std::string>{"[Root] 3"});
}

TEST_F(CountRun, CancelInTheLastPumpStillMarksTheRun) {
    host.cancelAfterShown = 5;
    EXPECT_EQ(Run(true), CountRunOutcome::kRunCancelled);
    EXPECT_EQ(TopLevelTexts(tree), (std::vector<std::string>{"[Root] 3", "CANCELLED"}));
    EXPECT_EQ(host.totals.back(), kUsers);
    EXPECT_FALSE(host.cancelRequested);
}

TEST_F(CountRun, NodeCancelledWhileCountedGetsNoLineAndAddsNothing) {
    // Sales is named while acme's walk lists it; the walk's closing check then cancels acme.
    host.cancelOnProgress = "Sales";
    EXPECT_EQ(Run(true), CountRunOutcome::kRunCancelled);
    EXPECT_EQ(TopLevelTexts(tree), (std::vector<std::string>{"[Root] 3", "CANCELLED"}));
    EXPECT_FALSE(tree.HasChildren(tree.Next(0, TVGN_ROOT)));
    EXPECT_EQ(host.totals, std::vector<std::int32_t>{3});
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.busyBegins, 2);
    EXPECT_EQ(host.busyEnds, 2);
    ExpectEverythingReleased();
}

TEST_F(CountRun, CancelRequestedBeforeTheRunStillOpensAndClosesTheContext) {
    host.cancelRequested = true;
    EXPECT_EQ(Run(false), CountRunOutcome::kRunCancelled);
    EXPECT_EQ(LinesOf(tree), std::vector<Line>{CancelledText()});
    EXPECT_TRUE(Called(client, DirOp::OpenContext));
    EXPECT_FALSE(Called(client, DirOp::Search));
    EXPECT_FALSE(host.cancelRequested);
    EXPECT_EQ(host.busyBegins, 0);
    ExpectEverythingReleased();
}

TEST_F(CountRun, TablesThatDoNotLoadEndTheRunBeforeAnyContext) {
    client.InjectFailure({DirOp::LoadUnicodeTables, -1, ""});
    tree.InsertItem("left over", TVI_ROOT, TVI_LAST);
    EXPECT_EQ(Run(true), CountRunOutcome::kTablesFailed);
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].first, "Could not load Unicode tables");
    EXPECT_EQ(host.failures[0].second, client.FailureCause());
    EXPECT_FALSE(Called(client, DirOp::OpenContext));
    EXPECT_FALSE(Called(client, DirOp::UnloadUnicodeTables));
    EXPECT_EQ(tree.ItemCount(), 0u);
    EXPECT_EQ(host.kindReads, 0);
    EXPECT_TRUE(host.totals.empty());
}

class ContextFailure : public CountRun, public ::testing::WithParamInterface<int> {};

TEST_P(ContextFailure, AnyNegativeCodeEndsTheRunWithTheBackEndsCause) {
    client.SetOpenFailureCause("the server refused the bind");
    client.InjectFailure({DirOp::OpenContext, GetParam(), ""});
    tree.InsertItem("left over", TVI_ROOT, TVI_LAST);
    EXPECT_EQ(Run(true), CountRunOutcome::kContextFailed);
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].first, "Could not create context");
    EXPECT_EQ(host.failures[0].second, "the server refused the bind");
    EXPECT_EQ(test::OpsOf(client).back(), DirOp::UnloadUnicodeTables);
    EXPECT_FALSE(dir.UnicodeTablesLoaded());
    EXPECT_FALSE(Called(client, DirOp::ReadContextValue));
    EXPECT_FALSE(Called(client, DirOp::CloseContext));
    EXPECT_EQ(tree.ItemCount(), 0u);
    EXPECT_EQ(host.kindReads, 0);
}

INSTANTIATE_TEST_SUITE_P(Codes, ContextFailure,
                         ::testing::Values(dirError::kCreateContextFailed, -1,
                                           dirError::kBackEndBase - 5));

struct ErrorName {
    int code;
    int stringId;
    const char* text;
};

void PrintTo(const ErrorName& name, std::ostream* out) {
    *out << name.code;
}

class ErrorStrings : public ::testing::TestWithParam<ErrorName> {};

TEST_P(ErrorStrings, CodeNamesItsStringResource) {
    EXPECT_EQ(ErrorStringId(GetParam().code), GetParam().stringId);
    EXPECT_EQ(LoadString(ErrorStringId(GetParam().code)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrorStrings,
    ::testing::Values(
        ErrorName{OP_SEARCH, 109, "NWDSSearch"},
        ErrorName{OP_GET_OBJ_COUNT, 110, "NWDSGetObjCount"},
        ErrorName{OP_ALLOC_BUF, 113, "NWDSAllocBuf"},
        ErrorName{OP_LIST_CONTAINERS, 111, "NWDSListContainers"},
        ErrorName{OP_GET_OBJ_NAME, 112, "NWDSGetObjName"},
        ErrorName{OP_GET_PARTITION_ROOT, 123, "NWDSGetPartitionRoot"},
        ErrorName{-601, 102, "Object not found"}, ErrorName{-623, 103, "Invalid syntax"},
        ErrorName{-626, 104, "Referrals failed"}, ErrorName{-634, 105, "No referrals"},
        ErrorName{-648, 106, "Memory error (stack)"}, ErrorName{-649, 107, "No memory"},
        // Everything else is plain "Error".
        ErrorName{0, 108, "Error"}, ErrorName{1, 108, "Error"}, ErrorName{2, 108, "Error"},
        ErrorName{9, 108, "Error"}, ErrorName{-328, 108, "Error"}, ErrorName{-600, 108, "Error"},
        ErrorName{-2001, 108, "Error"}));

}  // namespace
}  // namespace vantor
