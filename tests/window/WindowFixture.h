#pragma once
// The main window as the program runs it, over a scripted directory, with dialogs answered by
// ScriptedUi and printers by FakePrinters; helpers read the controls and the result tree.

#include <gtest/gtest.h>

#include <QImage>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ScriptedUi.h"
#include "directory/memory/InstrumentedDirectory.h"
#include "directory/memory/MemoryDirectory.h"
#include "platform/PrintDevice.h"
#include "platform/ResourceIds.h"
#include "platform/qt/DialogDriver.h"
#include "platform/qt/QtDialogHost.h"
#include "platform/qt/QtTreeView.h"
#include "window/CountDlg.h"

namespace vantor::test {

// Cancels the print dialog, or hands out a device that notes what was printed on it.
class FakePrinters : public PrintService {
  public:
    std::unique_ptr<PrintDevice> ChoosePrinter() override;

    bool cancel = true;
    // What the device handed out says after the document: its failure, the file it printed
    // into (none: a printer).
    std::string failure;
    std::optional<std::string> printedFile;
    int dialogsShown = 0;
    int pagesPrinted = 0;
    std::vector<std::string> printedTexts;
};

// Opens a scripted directory of kUsers users at the root, described as the request's export
// or URI, or fails with the cause in failure; notes every request.
class FakeOpener : public DirectoryOpener {
  public:
    static constexpr std::int32_t kUsers = 7;

    DirectoryRequest Initial() const override { return initial; }
    std::vector<std::string> Profiles() const override { return {"auto", "generic"}; }
    std::unique_ptr<DirectoryClient> Open(const DirectoryRequest& request,
                                          std::string& error) override;

    DirectoryRequest initial;
    std::string failure;
    std::vector<DirectoryRequest> requests;
};

// One tree line as a reader of the tree sees it.
struct Line {
    int depth = 0;
    std::string text;
    std::intptr_t data = 0;
    int image = 0;
    bool operator==(const Line&) const = default;
};
void PrintTo(const Line& line, std::ostream* out);

// [Root] 3 users / acme 4 users, 2 servers, 9 groups / Dev.acme 5 users, 1 server, a
// partition root / QA.Dev.acme 2 users / Sales.acme 10 users, 3 servers.
struct SampleDirectory {
    static constexpr std::int32_t kRootUsers = 3;
    static constexpr std::int32_t kAcmeUsers = 4;
    static constexpr std::int32_t kDevUsers = 5;
    static constexpr std::int32_t kQaUsers = 2;
    static constexpr std::int32_t kSalesUsers = 10;
    static constexpr std::int32_t kUsers =
        kRootUsers + kAcmeUsers + kDevUsers + kQaUsers + kSalesUsers;
    static constexpr std::int32_t kAcmeServers = 2;
    static constexpr std::int32_t kDevServers = 1;
    static constexpr std::int32_t kSalesServers = 3;

    static void Build(MemoryDirectory& dir);
};

class WindowTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    void Press(int id) { test::Click(*host, id); }
    bool Enabled(int id) const { return test::Enabled(*host, id); }
    std::string Text(int id) const { return host->ControlText(id); }
    QtTreeView* View() const { return host->TreeView(res::IDC_TREE); }

    // The tree view as drawn once the waiting changes took effect.
    QImage PaintTree();
    // Clicks a shown line's text with the mouse, as drawn.
    void ClickLine(HTREEITEM item);
    std::vector<Line> Lines() const;
    std::vector<std::string> TopLevelTexts() const;
    // The first line, in preorder, whose stored text is text; 0 when there is none.
    HTREEITEM FindLine(const std::string& text) const;
    std::vector<DirOp> Ops() const;
    // On every way out of a run that opened a context: closed and unloaded.
    void ExpectDirectoryReleased() const;
    // The idle state after a count: Print enabled, Save by m_unsavedResults.
    void ExpectIdleAfterCount() const;

    MemoryDirectory dir;

    InstrumentedDirectory client{dir};
    ScriptedUi ui;
    FakePrinters printers;
    FakeOpener opener;
    CCountDlg window{ui, client, printers, &opener};
    std::unique_ptr<QtDialogHost> host;
};

// The window on the sample directory, set to count by container.
class SampleByContainerTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        SampleDirectory::Build(dir);
        Press(res::IDC_BY_CONTAINER);
    }
};

}  // namespace vantor::test
