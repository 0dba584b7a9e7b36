#pragma once
// The main window: what to count, the commands, the result tree with its totals, and the
// container being visited while a count runs.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/DirectoryClient.h"
#include "platform/Dialog.h"
#include "platform/PrintDevice.h"
#include "tree/CTextTreeCtrl.h"
#include "tree/TreeWalk.h"
#include "window/DirectoryRequest.h"
#include "window/PumpPacer.h"

namespace vantor {

// 1 while the user has asked to stop the running count.
extern std::int32_t g_cancelRequested;

class CCountDlg : public CDialog, public CTreeWalk {
  public:
    // Counts directory until the user chooses another through opener; without an opener the
    // Directory... command stays disabled.
    CCountDlg(UiServices& ui, DirectoryClient& directory, PrintService& printers,
              DirectoryOpener* opener = nullptr);
    ~CCountDlg() override;

    bool OnInitDialog() override;
    void OnCommand(int id) override;
    // Quit; with a count not yet saved, only once the user agrees to lose it.
    void OnOK() override;
    // Cancel, Escape and a close request ask a running count to stop; without one they do
    // nothing.
    void OnCancel() override;
    void DoDataExchange(bool save) override;

    void SetRunning(bool running);
    // The class of the kind whose radio is selected; records the kind in m_objectKind.
    std::string ReadObjectKind();
    void OnCountByContainer();
    void OnAbout();
    // Lets the user choose another directory; a directory that cannot be opened is told, and
    // the one chosen before stays.
    void OnDirectory();
    void OnCount();
    void OnSave();
    void OnPrint();
    void OnSelChangedTree(HTREEITEM selected);

    // The engine's hooks into the window.
    int IsCancelled();
    int PumpMessages();
    int ShowProgress(const char* text);

    CCountTreeCtrl m_tree;
    std::string m_currentContainer;
    std::int32_t m_countByContainer = 0;
    std::int32_t m_objectKind = 0;
    std::int32_t m_unsavedResults = 0;
    std::int32_t m_showNotice = 1;
    bool m_running = false;
    // The engine calls PumpMessages far more often than the user can notice; the events are
    // dispatched at most every 10 ms (Cancel still reacts well within 100 ms).
    PumpPacer m_pumpPacer{std::chrono::milliseconds(10)};

  private:
    // Names the directory that the next count counts in the (greyed) container field.
    void ShowDirectory();

    int m_pumpResult = 1;  // what the last dispatching pump said (0: the program quits)
    DirectoryClient* m_directory;
    std::unique_ptr<DirectoryClient> m_chosenDirectory;  // once the user chose one
    PrintService& m_printers;
    DirectoryOpener* m_opener;
    // What the directory dialog shows next (never a password); the opener's until first used.
    std::optional<DirectoryRequest> m_directoryRequest;
};

}  // namespace vantor
