#include "WindowFixture.h"

#include <QTest>
#include <algorithm>
#include <ostream>

#include "report/print/RecordingPrintDevice.h"
#include "tree/TreeWalk.h"

namespace vantor::test {

namespace {

// Hands what was printed to the service when the command lets go of the device.
class LoggedPrintDevice : public RecordingPrintDevice {
  public:
    explicit LoggedPrintDevice(FakePrinters& printers)
        : RecordingPrintDevice(DeviceGeometry{}), printers_(printers) {}
    std::string Failure() const override { return printers_.failure; }
    std::optional<PrintedFile> TakeFile() override {
        if (!printers_.printedFile) {
            return std::nullopt;
        }
        return PrintedFile{*printers_.printedFile, "%PDF-1.4 printed report"};
    }
    ~LoggedPrintDevice() override {
        printers_.pagesPrinted += PagesStarted();
        for (const DrawnText& drawn : Texts()) {
            printers_.printedTexts.push_back(drawn.text);
        }
    }
    LoggedPrintDevice(const LoggedPrintDevice&) = delete;
    LoggedPrintDevice& operator=(const LoggedPrintDevice&) = delete;

  private:
    FakePrinters& printers_;
};

}  // namespace

std::unique_ptr<PrintDevice> FakePrinters::ChoosePrinter() {
    ++dialogsShown;
    if (cancel) {
        return nullptr;
    }
    return std::make_unique<LoggedPrintDevice>(*this);
}

std::unique_ptr<DirectoryClient> FakeOpener::Open(const DirectoryRequest& request,
                                                  std::string& error) {
    requests.push_back(request);
    if (!failure.empty()) {
        error = failure;
        return nullptr;
    }
    auto opened = std::make_unique<MemoryDirectory>();
    opened->AddObjects(MemoryDirectory::kRoot, "User", kUsers);
    opened->SetDescription(request.ldap ? request.uri : request.ldifPath);
    return opened;
}

void PrintTo(const Line& line, std::ostream* out) {
    *out << "{" << line.depth << ", \"" << line.text << "\", " << line.data << ", image "
         << line.image << "}";
}

void SampleDirectory::Build(MemoryDirectory& dir) {
    dir.AddObjects(MemoryDirectory::kRoot, "User", kRootUsers);
    const auto acme = dir.Path("acme");
    dir.AddObjects(acme, "User", kAcmeUsers);
    dir.AddObjects(acme, "NCP_Server", kAcmeServers);
    dir.AddObjects(acme, "Group", 9);
    const auto dev = dir.Path("Dev.acme");
    dir.AddObjects(dev, "User", kDevUsers);
    dir.AddObjects(dev, "NCP_Server", kDevServers);
    dir.MarkPartitionRoot(dev);
    dir.AddObjects(dir.Path("QA.Dev.acme"), "User", kQaUsers);
    const auto sales = dir.Path("Sales.acme");
    dir.AddObjects(sales, "User", kSalesUsers);
    dir.AddObjects(sales, "NCP_Server", kSalesServers);
}

void WindowTest::SetUp() {
    g_cancelRequested = 0;
    // Every pump dispatches, so that what a test queues from onPump arrives through it.
    window.m_pumpPacer.SetInterval(std::chrono::milliseconds(0));
    host = test::ShowDialog(ui, window);
    ASSERT_NE(host, nullptr);
    ASSERT_FALSE(host->Ended());
    ASSERT_NE(View(), nullptr);
}

void WindowTest::TearDown() {
    host.reset();
    g_cancelRequested = 0;
}

QImage WindowTest::PaintTree() {
    QCoreApplication::processEvents();
    // The view follows the tree's changes at most every few tens of ms.
    for (int i = 0; i < 100 && View()->RefreshPending(); ++i) {
        QTest::qWait(5);
    }
    return View()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void WindowTest::ClickLine(HTREEITEM item) {
    PaintTree();  // the line's clickable width follows what was drawn
    const Rect text = View()->ItemTextRect(item);
    ASSERT_GT(text.Width(), 0);
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {},
                      QPoint(text.left + 1, (text.top + text.bottom) / 2));
}

std::vector<Line> WindowTest::Lines() const {
    std::vector<Line> lines;
    const CTextTreeCtrl& tree = window.m_tree;
    CTreeWalk walk(tree);
    walk.Walk([&](HTREEITEM item) {
        lines.push_back({walk.m_depth, tree.GetItemText(item), tree.Data(item), tree.Image(item)});
        return true;
    });
    return lines;
}

std::vector<std::string> WindowTest::TopLevelTexts() const {
    std::vector<std::string> texts;
    const CTextTreeCtrl& tree = window.m_tree;
    for (HTREEITEM top = tree.Next(0, TVGN_ROOT); top != 0; top = tree.Next(top, TVGN_NEXT)) {
        texts.push_back(tree.GetItemText(top));
    }
    return texts;
}

HTREEITEM WindowTest::FindLine(const std::string& text) const {
    HTREEITEM found = 0;
    CTreeWalk walk(window.m_tree);
    walk.Walk([&](HTREEITEM item) {
        if (window.m_tree.GetItemText(item) == text) {
            found = item;
            return false;
        }
        return true;
    });
    return found;
}

std::vector<DirOp> WindowTest::Ops() const {
    std::vector<DirOp> ops;
    for (const DirCall& call : client.Calls()) {
        ops.push_back(call.op);
    }
    return ops;
}

void WindowTest::ExpectDirectoryReleased() const {
    EXPECT_EQ(dir.OpenContexts(), 0u);
    EXPECT_FALSE(dir.UnicodeTablesLoaded());
    EXPECT_EQ(dir.LiveBuffers(), 0);
    EXPECT_EQ(dir.LiveFilters(), 0);
    const auto& calls = client.Calls();
    const auto opened = std::count_if(calls.begin(), calls.end(), [](const DirCall& call) {
        return call.op == DirOp::OpenContext && call.result > 0;
    });
    const auto closed = std::count_if(calls.begin(), calls.end(), [](const DirCall& call) {
        return call.op == DirOp::CloseContext && call.result == 0;
    });
    EXPECT_EQ(opened, closed);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().op, DirOp::UnloadUnicodeTables);
}

void WindowTest::ExpectIdleAfterCount() const {
    EXPECT_TRUE(Enabled(res::IDC_COUNT));
    EXPECT_TRUE(Enabled(res::IDOK));
    EXPECT_TRUE(Enabled(res::IDC_ABOUT));
    EXPECT_TRUE(Enabled(res::IDC_PRINT));
    EXPECT_FALSE(Enabled(res::IDCANCEL));
    EXPECT_FALSE(Enabled(res::IDC_CURRENT_CONTAINER));
    EXPECT_FALSE(Enabled(res::IDC_CURRENT_LABEL));
    EXPECT_EQ(Enabled(res::IDC_SAVE), window.m_unsavedResults != 0);
}

}  // namespace vantor::test
