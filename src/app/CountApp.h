#pragma once
// The application object: it runs the main window modally and the program ends when that
// window closes.

#include "engine/DirectoryClient.h"
#include "platform/Dialog.h"
#include "platform/PrintDevice.h"
#include "window/DirectoryRequest.h"

namespace vantor {

class CCountDlg;

class CCountApp {
  public:
    // The window counts directory until the user chooses another through opener.
    CCountApp(UiServices& ui, DirectoryClient& directory, PrintService& printers,
              DirectoryOpener& opener)
        : m_ui(ui), m_directory(directory), m_printers(printers), m_opener(opener) {}

    // Runs the main window until Quit closes it. Always false: there is no message loop
    // after the window.
    bool InitInstance();

    // The main window while it runs.
    CCountDlg* m_pMainWnd = nullptr;

  private:
    UiServices& m_ui;
    DirectoryClient& m_directory;
    PrintService& m_printers;
    DirectoryOpener& m_opener;
};

}  // namespace vantor
