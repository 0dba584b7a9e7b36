#pragma once
// The three small modal dialogs the main window opens: the splash shown while it starts, the
// about dialog, and the counting notice before a count. Each is a picture with its buttons; the
// text the user reads is part of the picture.

#include <cstdint>

#include "platform/Dialog.h"

namespace vantor {

class CSplashDlg : public CDialog {
  public:
    explicit CSplashDlg(UiServices& ui);
};

class CAboutDlg : public CDialog {
  public:
    explicit CAboutDlg(UiServices& ui);
};

class CNoticeDlg : public CDialog {
  public:
    explicit CNoticeDlg(UiServices& ui);

    bool OnInitDialog() override;
    void DoDataExchange(bool save) override;

    // The state of "Do not show this message again": 1 ticked, 0 clear.
    std::int32_t m_dontShowAgain = 0;
    // When 0 the box is disabled as the dialog opens. The box is meant to be used, so it is on.
    std::int32_t m_allowDontShow = 1;
};

}  // namespace vantor
