#pragma once
// The main window: what to count, the commands, the result tree with its totals, and the
// container being visited while a count runs.

#include <cstdint>
#include <string>

#include "engine/DirectoryClient.h"
#include "platform/Dialog.h"
#include "platform/PrintDevice.h"
#include "tree/CTextTreeCtrl.h"
#include "tree/TreeWalk.h"

namespace vantor {

// 1 while the user has asked to stop the running count.
extern std::int32_t g_cancelRequested;

class CCountDlg : public CDialog, public CTreeWalk {
  public:
    CCountDlg(UiServices& ui, DirectoryClient& directory, PrintService& printers);
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

  private:
    DirectoryClient& m_directory;
    PrintService& m_printers;
};

}  // namespace vantor
