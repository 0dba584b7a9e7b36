#pragma once
// A dialog window built from a template: the controls by kind, placed in dialog units, with
// clicks routed to the program's dialog object. The window decides nothing itself: Escape and
// requests to close go to the dialog's OnCancel, and only EndDialog closes the window.

#include <QDialog>
#include <QLabel>
#include <unordered_map>
#include <vector>

#include "platform/Dialog.h"
#include "platform/qt/DialogUnits.h"

class QAbstractButton;

namespace vantor {

class QtTreeView;

class QtDialogHost : public QDialog, public DialogHost {
    Q_OBJECT

  public:
    // The dialog object must outlive the host. A host with a parent is a secondary window of
    // it; one without is a top-level window with a task-bar entry of its own.
    QtDialogHost(const DialogTemplate& dialogTemplate, CDialog& dialog, QWidget* parent = nullptr);
    ~QtDialogHost() override;
    QtDialogHost(const QtDialogHost&) = delete;
    QtDialogHost& operator=(const QtDialogHost&) = delete;

    bool HasControl(int id) const override;
    void EnableControl(int id, bool enable) override;
    void SetControlText(int id, const std::string& text) override;
    std::string ControlText(int id) const override;
    void SetListItems(int id, const std::vector<std::string>& items) override;
    void SetCheck(int id, int state) override;
    int Check(int id) const override;
    void AttachTree(int id, TreeControl& tree, int bitmapId, int imageWidth) override;
    int TreeIndent(int id) const override;
    void SetTreeIndent(int id, int indent) override;
    void SetIcon(int iconId) override;
    int FocusedControl() const override;
    void FocusControl(int id) override;
    void EndDialog(int result) override;

    // The widget of a control, or null for an unknown id (and for controls without one).
    QWidget* Control(int id) const;
    QtTreeView* TreeView(int id) const;
    // True once EndDialog was called; a dialog ended during its start-up is never shown.
    bool Ended() const { return ended_; }
    // Gives the focus to the first control in tab order that takes it.
    void FocusFirstControl();

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Moves and stretches the anchored controls with the window's edges.
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct AnchoredControl {
        QWidget* widget;
        QRect templateRect;  // in pixels, at the template's size
        Anchors anchors;
    };

    void FitLabelWidth(QLabel& label) const;
    void BuildControls(const DialogTemplate& dialogTemplate);
    QAbstractButton* Button(int id) const;

    CDialog& dialog_;
    DialogUnits units_;
    std::unordered_map<int, QWidget*> controls_;  // owned by Qt as children
    std::vector<QWidget*> tabOrder_;
    QSize templateSize_;
    std::vector<AnchoredControl> anchored_;
    bool ended_ = false;
};

}  // namespace vantor
