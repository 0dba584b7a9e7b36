#pragma once
// Dialogs built from templates, with controls addressed by their ids, and the services of the
// windowing system that the program calls (modal dialogs, message box, save-file dialog, busy
// cursor, message pump). The Qt realisation lives in platform/qt; tests inject their own
// UiServices to answer dialogs.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/DialogTemplate.h"
#include "platform/TreeControl.h"

namespace vantor {

// A dialog window as it runs: the realisation's controls, addressed by id. Operations on an
// id the dialog does not have do nothing (and read as empty, 0 or disabled).
class DialogHost {
  public:
    virtual ~DialogHost() = default;
    virtual bool HasControl(int id) const = 0;
    virtual void EnableControl(int id, bool enable) = 0;
    // The text of a control; for a drop-down list, the chosen item (setting a text that is not
    // an item leaves the choice as it is).
    virtual void SetControlText(int id, const std::string& text) = 0;
    virtual std::string ControlText(int id) const = 0;
    // The items of a drop-down list, the first chosen.
    virtual void SetListItems(int id, const std::vector<std::string>& items) = 0;
    // Check state of a check box or radio button: 1 checked, 0 clear.
    virtual void SetCheck(int id, int state) = 0;
    virtual int Check(int id) const = 0;
    // Binds the tree control data to the tree view of that id; the view shows it from now on,
    // with images cut from a bitmap resource into images imageWidth pixels wide.
    virtual void AttachTree(int id, TreeControl& tree, int bitmapId, int imageWidth) = 0;
    virtual int TreeIndent(int id) const = 0;
    virtual void SetTreeIndent(int id, int indent) = 0;
    virtual void SetIcon(int iconId) = 0;
    // The control that has the keyboard focus in this window (0 for none), and moving it.
    virtual int FocusedControl() const = 0;
    virtual void FocusControl(int id) = 0;
    // Ends the dialog with this result.
    virtual void EndDialog(int result) = 0;
};

class UiServices;

class CDialog {
  public:
    CDialog(int templateId, UiServices& ui);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; 1 (OK) or 2 (Cancel), or what EndDialog was given.
    int DoModal();
    int TemplateId() const { return m_templateId; }

    // Called by the realisation while the dialog runs.
    void Attach(DialogHost* host) { m_host = host; }
    DialogHost* Host() const { return m_host; }
    // Start-up, once the controls exist: the data exchange into the controls. True lets the
    // realisation put the focus on the first control that takes it.
    virtual bool OnInitDialog();
    // A button click or a command: 1 OnOK, 2 OnCancel; other ids go to the dialog's handlers.
    virtual void OnCommand(int id);
    // OK: the data exchange from the controls, then the dialog ends with 1.
    virtual void OnOK();
    // Cancel, the Escape key and a request to close the window: the dialog ends with 2.
    virtual void OnCancel();
    // Moves member values into the controls (save false) or out of them (save true).
    virtual void DoDataExchange(bool save);
    void EndDialog(int result);

  protected:
    UiServices& m_ui;
    DialogHost* m_host = nullptr;

  private:
    int m_templateId;
};

class UiServices {
  public:
    virtual ~UiServices() = default;
    // Runs the dialog modally and returns how it ended.
    virtual int RunModal(CDialog& dialog) = 0;
    // Shows a message with an OK button; the caption is the program's name.
    virtual void MessageBox(const std::string& text) = 0;
    // Asks a question with Yes and No, No the default answer (Enter or Escape gives No); true
    // for Yes.
    virtual bool AskYesNo(const std::string& question) = 0;
    // The save-file dialog: a full path chosen by the user (the default extension added to a
    // name typed without one; replacing an existing file confirmed), or none when cancelled.
    virtual std::optional<std::string> GetSaveFileName(const std::string& defaultName,
                                                       const std::string& defaultExtension,
                                                       const std::string& filter) = 0;
    // The open-file dialog: the full path of an existing file, or none when cancelled.
    virtual std::optional<std::string> GetOpenFileName(const std::string& filter) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // Dispatches the events that are waiting; 0 when the application is quitting, else 1.
    virtual int PumpMessages() = 0;
};

}  // namespace vantor
