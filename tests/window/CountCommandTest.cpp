// The Count command in the window: failed starts, result and error lines, counting modes and
// kinds, and a Cancel click dispatched from inside the run.

#include <QAbstractButton>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <ostream>
#include <string>

#include "WindowFixture.h"
#include "run/CountRun.h"
#include "tree/TreeWalk.h"

namespace vantor::test {
namespace {

class CountCommand : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        SampleDirectory::Build(dir);
    }
    // Queues a click on Cancel, as a user's click waits for the next dispatch of events.
    void QueueCancelClick() {
        auto* cancel = qobject_cast<QAbstractButton*>(host->Control(res::IDCANCEL));
        ASSERT_NE(cancel, nullptr);
        QMetaObject::invokeMethod(cancel, &QAbstractButton::click, Qt::QueuedConnection);
    }
    std::int32_t SumOfLineData() const {
        std::int32_t sum = 0;
        for (const Line& line : Lines()) {
            sum += static_cast<std::int32_t>(line.data);
        }
        return sum;
    }
    std::size_t ResultLines() const {
        std::size_t lines = 0;
        CTreeWalk walk(window.m_tree);
        walk.Walk([&](HTREEITEM item) {
            lines += window.m_tree.CarriesData(item) ? 1 : 0;
            return true;
        });
        return lines;
    }
    // After a count that could not start: an empty tree and nothing left open.
    void ExpectEmptyAfterFailure() const {
        EXPECT_EQ(window.m_tree.ItemCount(), 0u);
        EXPECT_EQ(dir.OpenContexts(), 0u);
        EXPECT_FALSE(dir.UnicodeTablesLoaded());
        EXPECT_EQ(g_cancelRequested, 0);
    }
};

// ---- A count that cannot start ----

using FailedStart = CountCommand;

TEST_F(FailedStart, UnicodeTablesOnAFreshWindowLeaveNothingToSave) {
    client.InjectFailure({DirOp::LoadUnicodeTables, -1, "", 0});
    Press(res::IDC_COUNT);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Could not load Unicode tables\n" + client.FailureCause());
    EXPECT_FALSE(client.FailureCause().empty());
    const std::vector<DirOp> ops = Ops();
    EXPECT_EQ(std::count(ops.begin(), ops.end(), DirOp::OpenContext), 0);
    ExpectEmptyAfterFailure();
    EXPECT_EQ(window.m_unsavedResults, 0);
    ExpectIdleAfterCount();
    EXPECT_FALSE(Enabled(res::IDC_SAVE));
}

TEST_F(FailedStart, UnicodeTablesAfterACountEmptyTheTreeButKeepItUnsaved) {
    client.InjectFailure({DirOp::LoadUnicodeTables, -1, "", 2});
    Press(res::IDC_COUNT);
    ASSERT_GT(window.m_tree.ItemCount(), 0u);
    Press(res::IDC_COUNT);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].substr(0, ui.messages[0].find('\n')), "Could not load Unicode tables");
    ExpectEmptyAfterFailure();
    EXPECT_EQ(window.m_unsavedResults, 1);
    ExpectIdleAfterCount();
}

// Any negative result of opening a context fails the count, with the back end's cause on a
// second line.
class ContextFailure : public FailedStart, public testing::WithParamInterface<int> {};

TEST_P(ContextFailure, OnAFreshWindowShowsTheMessageAndUnloadsTheTables) {
    client.InjectFailure({DirOp::OpenContext, GetParam(), "", 0});
    client.SetOpenFailureCause("no directory server answers at 127.0.0.1:389");
    Press(res::IDC_COUNT);
    EXPECT_EQ(ui.messages,
              std::vector<std::string>{"Could not create context\n"
                                       "no directory server answers at 127.0.0.1:389"});
    const std::vector<DirOp> ops = Ops();
    const auto open = std::find(ops.begin(), ops.end(), DirOp::OpenContext);
    ASSERT_NE(open, ops.end());
    EXPECT_NE(std::find(open, ops.end(), DirOp::UnloadUnicodeTables), ops.end());
    EXPECT_EQ(std::count(ops.begin(), ops.end(), DirOp::Search), 0);
    ExpectEmptyAfterFailure();
    EXPECT_EQ(window.m_unsavedResults, 0);
    ExpectIdleAfterCount();
}

TEST_P(ContextFailure, AfterACountEmptiesTheTreeButKeepsItUnsaved) {
    client.InjectFailure({DirOp::OpenContext, GetParam(), "", 2});
    Press(res::IDC_COUNT);
    ASSERT_TRUE(ui.messages.empty());
    Press(res::IDC_COUNT);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].substr(0, ui.messages[0].find('\n')), "Could not create context");
    ExpectEmptyAfterFailure();
    EXPECT_EQ(window.m_unsavedResults, 1);
    ExpectIdleAfterCount();
}

INSTANTIATE_TEST_SUITE_P(NegativeCodes, ContextFailure, testing::Values(-328, -1, -601),
                         [](const testing::TestParamInfo<int>& code) {
                             return "Code" + std::to_string(-code.param);
                         });

// ---- Result and error lines ----

TEST_F(CountCommand, ByContainerEveryContainerHasALineWithImage1AndItsOwnCount) {
    Press(res::IDC_BY_CONTAINER);
    EXPECT_EQ(window.m_countByContainer, 1);
    EXPECT_TRUE(client.Calls().empty());
    EXPECT_EQ(window.m_tree.ItemCount(), 0u);

    Press(res::IDC_COUNT);
    using S = SampleDirectory;
    const std::vector<Line> expected = {
        {0, "[Root] 3", S::kRootUsers, 1},  {1, "acme 4", S::kAcmeUsers, 1},
        {2, "Dev 5", S::kDevUsers, 1},      {3, "QA 2", S::kQaUsers, 1},
        {2, "Sales 10", S::kSalesUsers, 1},
    };
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(Text(res::IDC_TOTAL), std::to_string(S::kUsers));
    ExpectDirectoryReleased();
}

TEST_F(CountCommand, ByPartitionOnlyPartitionRootsHaveLinesWithImage0) {
    Press(res::IDC_COUNT);
    using S = SampleDirectory;
    const std::vector<Line> expected = {
        {0, "[Root] 17", S::kRootUsers + S::kAcmeUsers + S::kSalesUsers, 0},
        {1, "Dev 7", S::kDevUsers + S::kQaUsers, 0},
    };
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(Text(res::IDC_TOTAL), std::to_string(S::kUsers));
}

TEST_F(CountCommand, ErrorHeaderComesFirstUnderItsResultLineExpandedWithErrorsInOrder) {
    client.InjectFailure({DirOp::Search, -601, "Dev.acme", 0});
    client.InjectFailure({DirOp::Search, -601, "Sales.acme", 0});
    client.InjectFailure({DirOp::ListContainers, -632, "Sales.acme", 0});
    Press(res::IDC_BY_CONTAINER);
    Press(res::IDC_COUNT);

    const std::vector<Line> expected = {
        {0, "[Root] 3", 3, 1},
        {1, "acme 4", 4, 1},
        {2, "Dev 0", 0, 1},
        {3, "Dev:ERRORS", 0, kErrorImage},
        {4, "-601:NWDSSearch:Dev.acme", 0, kErrorImage},
        {3, "QA 2", 2, 1},
        {2, "Sales 0", 0, 1},
        {3, "Sales:ERRORS", 0, kErrorImage},
        {4, "-601:NWDSSearch:Sales.acme", 0, kErrorImage},
        {4, "-632:NWDSListContainers:Sales.acme", 0, kErrorImage},
    };
    EXPECT_EQ(Lines(), expected);
    for (const std::string header : {"Dev:ERRORS", "Sales:ERRORS"}) {
        const HTREEITEM line = FindLine(header);
        ASSERT_NE(line, 0u);
        EXPECT_TRUE(window.m_tree.IsExpanded(line)) << header;
        EXPECT_FALSE(window.m_tree.CarriesData(line));
    }
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Text(res::IDC_TOTAL), "9");
    ExpectDirectoryReleased();
}

TEST_F(CountCommand, ALinesTooltipTellsWhatItCannotShow) {
    const std::string longName(60, 'N');
    dir.AddObjects(dir.Path(longName + ".acme"), "User", 1);
    client.InjectFailure({DirOp::Search, -601, "Dev.acme", 0});
    Press(res::IDC_BY_CONTAINER);
    Press(res::IDC_COUNT);
    auto tooltipAt = [&](HTREEITEM line) {
        PaintTree();
        const Rect text = View()->ItemTextRect(line);
        const QPoint at(text.left + 2, (text.top + text.bottom) / 2);
        QHelpEvent help(QEvent::ToolTip, at, View()->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(View()->viewport(), &help);
        // A tip shown before fades out for a while: only an accepted event showed one.
        return help.isAccepted() && QToolTip::isVisible() ? QToolTip::text().toStdString()
                                                          : std::string();
    };
    const HTREEITEM elided = FindLine(longName + " 1");
    ASSERT_NE(elided, 0u);
    const HTREEITEM error = FindLine("-601:NWDSSearch:Dev.acme");
    ASSERT_NE(error, 0u);
    // The name is elided to fit before its count, so the tree has nothing to scroll sideways,
    // also after the window was wider and shrank again.
    const QSize templateSize = host->size();
    for (const QSize size : {templateSize, templateSize + QSize(400, 0), templateSize}) {
        host->resize(size);
        const std::pair<HTREEITEM, std::string> cases[] = {
            {FindLine("acme 4"), ""},
            {error, "injected failure -601"},  // the error line keeps its form
            {elided, size == templateSize ? longName : ""},
        };
        for (const auto& [line, tooltip] : cases) {
            EXPECT_EQ(tooltipAt(line), tooltip) << size.width() << " " << line;
        }
        PaintTree();
        EXPECT_EQ(View()->horizontalScrollBar()->maximum(), 0) << size.width();
    }
}

// ---- Kinds and mode ----

struct KindCase {
    int radio;
    std::int32_t kind;
    const char* className;
    std::int32_t total;
};

void PrintTo(const KindCase& kind, std::ostream* out) {
    *out << kind.className;
}

class CountedKind : public CountCommand, public testing::WithParamInterface<KindCase> {};

TEST_P(CountedKind, TheRadioChoosesTheClassSearchedForAndTheKindRecorded) {
    const KindCase& kind = GetParam();
    Press(kind.radio);
    EXPECT_EQ(host->Check(kind.radio), 1);
    Press(res::IDC_COUNT);
    EXPECT_EQ(window.m_objectKind, kind.kind);
    EXPECT_EQ(Text(res::IDC_TOTAL), std::to_string(kind.total));
    bool searched = false;
    for (const DirCall& call : client.Calls()) {
        if (call.op != DirOp::AddFilterItem) {
            continue;
        }
        for (const char* other : {"User", "NCP_Server", "Group", "Partition"}) {
            if (call.name == other) {
                EXPECT_STREQ(other, kind.className);
                searched = searched || call.name == kind.className;
            }
        }
    }
    EXPECT_TRUE(searched);
}

INSTANTIATE_TEST_SUITE_P(
    Radios, CountedKind,
    testing::Values(KindCase{res::IDC_USERS, 0, "User", SampleDirectory::kUsers},
                    KindCase{res::IDC_SERVERS, 1, "NCP_Server",
                             SampleDirectory::kAcmeServers + SampleDirectory::kDevServers +
                                 SampleDirectory::kSalesServers},
                    KindCase{res::IDC_GROUPS, 2, "Group", 9},
                    KindCase{res::IDC_PARTITIONS, 3, "Partition", 1}),
    [](const testing::TestParamInfo<KindCase>& kind) { return std::string(kind.param.className); });

TEST_F(CountCommand, ChoicesChangedDuringACountTakeEffectAtTheNextCount) {
    bool changed = false;
    ui.onPump = [&](int) {
        if (!changed) {
            changed = true;
            Press(res::IDC_SERVERS);
            Press(res::IDC_BY_CONTAINER);
        }
    };
    Press(res::IDC_COUNT);
    ASSERT_TRUE(changed);
    EXPECT_EQ(window.m_objectKind, 0);
    EXPECT_EQ(Text(res::IDC_TOTAL), std::to_string(SampleDirectory::kUsers));
    EXPECT_EQ(Lines().front().image, 0);

    ui.onPump = nullptr;
    Press(res::IDC_COUNT);
    EXPECT_EQ(window.m_objectKind, 1);
    EXPECT_EQ(Lines().front(), (Line{0, "[Root] 0", 0, 1}));
}

// ---- Cancel ----

class CancelledCount : public CountCommand {
  protected:
    static constexpr int kContainers = 30;
    void SetUp() override {
        CountCommand::SetUp();
        for (int i = 1; i <= kContainers; ++i) {
            dir.AddObjects(dir.Path("C" + std::to_string(i) + ".Sales.acme"), "User", 2);
        }
        Press(res::IDC_BY_CONTAINER);
    }
};

TEST_F(CancelledCount, CancelAfterSomeLinesKeepsThemAndEndsWithCancelled) {
    bool queued = false;
    ui.onPump = [&](int) {
        if (!queued && window.m_tree.ItemCount() >= 4) {
            queued = true;
            QueueCancelClick();
        }
    };
    Press(res::IDC_COUNT);
    ASSERT_TRUE(queued);
    EXPECT_EQ(g_cancelRequested, 0);
    const std::vector<std::string> top = TopLevelTexts();
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top.back(), "CANCELLED");
    EXPECT_GE(ResultLines(), 4u);
    EXPECT_LT(ResultLines(), 5u + kContainers);
    EXPECT_EQ(Text(res::IDC_TOTAL), std::to_string(SumOfLineData()));
    EXPECT_TRUE(host->isVisible());
    EXPECT_FALSE(host->Ended());
    ExpectDirectoryReleased();
    EXPECT_EQ(window.m_unsavedResults, 1);
    ExpectIdleAfterCount();

    // The flag was cleared, so the next count runs to its end.
    ui.onPump = nullptr;
    Press(res::IDC_COUNT);
    EXPECT_EQ(ResultLines(), 5u + kContainers);
    EXPECT_EQ(TopLevelTexts().size(), 1u);
    EXPECT_EQ(Text(res::IDC_TOTAL), std::to_string(SampleDirectory::kUsers + 2 * kContainers));
}

TEST_F(CancelledCount, CancelWhileTheRootIsCountedLeavesOnlyCancelledAndNoOldTotal) {
    Press(res::IDC_COUNT);
    const std::string total = Text(res::IDC_TOTAL);
    ASSERT_FALSE(total.empty());
    bool queued = false;
    ui.onPump = [&](int) {
        if (!queued) {
            queued = true;
            QueueCancelClick();
        }
    };
    Press(res::IDC_COUNT);
    EXPECT_EQ(TopLevelTexts(), std::vector<std::string>{"CANCELLED"});
    EXPECT_EQ(window.m_tree.ItemCount(), 1u);
    EXPECT_EQ(Text(res::IDC_TOTAL), "");
    EXPECT_EQ(g_cancelRequested, 0);
    ExpectDirectoryReleased();
    ExpectIdleAfterCount();
}

}  // namespace
}  // namespace vantor::test
