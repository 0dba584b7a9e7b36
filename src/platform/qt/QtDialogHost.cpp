#include "platform/qt/QtDialogHost.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "platform/ResourceIds.h"
#include "platform/qt/DialogControls.h"
#include "platform/qt/QtResources.h"
#include "platform/qt/QtTreeView.h"

namespace vantor {

namespace {

// The width a control's template (and the anchors, in a resized window) gives it, kept on the
// widget.
constexpr const char* kTemplateWidth = "vantorTemplateWidth";

Qt::WindowFlags FlagsFor(const DialogTemplate& dialogTemplate, bool topLevel) {
    // Customised, so that the frame has exactly the buttons asked for: a modal frame never
    // has minimise or maximise boxes.
    Qt::WindowFlags flags = (topLevel ? Qt::Window : Qt::Dialog) | Qt::CustomizeWindowHint;
    if (dialogTemplate.hasCaption) {
        flags |= Qt::WindowTitleHint;
    }
    if (dialogTemplate.hasSystemMenu) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    // A window that can be resized can also be maximised and put away like any other.
    if (dialogTemplate.resizable && topLevel) {
        flags |= Qt::WindowMinMaxButtonsHint;
    }
    return flags;
}

}  // namespace

QtDialogHost::QtDialogHost(const DialogTemplate& dialogTemplate, CDialog& dialog, QWidget* parent)
    : QDialog(parent, FlagsFor(dialogTemplate, parent == nullptr)),
      dialog_(dialog),
      units_(DialogFont(dialogTemplate)) {
    setFont(DialogFont(dialogTemplate));
    setWindowTitle(QString::fromStdString(dialogTemplate.caption));
    templateSize_ = units_.ToPixels(dialogTemplate.width, dialogTemplate.height);
    if (dialogTemplate.resizable) {
        setMinimumSize(templateSize_);
        resize(templateSize_);
    } else {
        setFixedSize(templateSize_);
    }
    BuildControls(dialogTemplate);
}

QtDialogHost::~QtDialogHost() {
    if (dialog_.Host() == this) {
        dialog_.Attach(nullptr);
    }
}

void QtDialogHost::BuildControls(const DialogTemplate& dialogTemplate) {
    QButtonGroup* radioGroup = nullptr;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = CreateControl(control, this);
        if (widget == nullptr) {
            continue;
        }
        const QRect rect = units_.ToPixels(control.rect);
        if (control.kind == ControlKind::kPicture) {
            widget->move(rect.topLeft());
            widget->resize(widget->sizeHint());  // a picture keeps its bitmap's size
            // With a font smaller than the template was made for, a picture at its own size
            // reaches under the controls below it: it stays behind them.
            widget->lower();
        } else {
            widget->setGeometry(rect);
            widget->setProperty(kTemplateWidth, rect.width());
            if (control.anchors.bits != kFixed.bits) {
                anchored_.push_back({widget, rect, control.anchors});
            }
        }
        // A group runs from a control marked as its start up to the next such control.
        if (control.groupStart) {
            radioGroup = nullptr;
        }
        if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            if (radioGroup == nullptr) {
                radioGroup = new QButtonGroup(this);
                radioGroup->setExclusive(true);
            }
            radioGroup->addButton(radio);
        }
        if (control.id != res::IDC_STATIC) {
            controls_.emplace(control.id, widget);
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                const int id = control.id;
                connect(button, &QAbstractButton::clicked, this,
                        [this, id] { dialog_.OnCommand(id); });
            }
        }
        tabOrder_.push_back(widget);
    }
}

QWidget* QtDialogHost::Control(int id) const {
    const auto it = controls_.find(id);
    return it != controls_.end() ? it->second : nullptr;
}

QAbstractButton* QtDialogHost::Button(int id) const {
    return qobject_cast<QAbstractButton*>(Control(id));
}

QtTreeView* QtDialogHost::TreeView(int id) const {
    return qobject_cast<QtTreeView*>(Control(id));
}

bool QtDialogHost::HasControl(int id) const {
    return Control(id) != nullptr;
}

void QtDialogHost::EnableControl(int id, bool enable) {
    if (QWidget* widget = Control(id)) {
        widget->setEnabled(enable);
    }
}

void QtDialogHost::SetControlText(int id, const std::string& text) {
    QWidget* widget = Control(id);
    const QString value = QString::fromStdString(text);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
        FitLabelWidth(*label);
    } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        box->setTitle(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(value);
    } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
        if (const int index = list->findText(value); index >= 0) {
            list->setCurrentIndex(index);
        } else if (list->isEditable()) {
            list->setEditText(value);
        }
    }
}

void QtDialogHost::SetListItems(int id, const std::vector<std::string>& items) {
    if (auto* list = qobject_cast<QComboBox*>(Control(id))) {
        list->clear();
        for (const std::string& item : items) {
            list->addItem(QString::fromStdString(item));
        }
    }
}

void QtDialogHost::FitLabelWidth(QLabel& label) const {
    // A left-aligned text longer than its template rectangle (a large total, say) grows to the
    // right as far as the window allows instead of being cut off.
    if ((label.alignment() & Qt::AlignLeft) == 0) {
        return;
    }
    const int templateWidth = label.property(kTemplateWidth).toInt();
    const int needed = label.fontMetrics().horizontalAdvance(label.text()) + 2;
    const int room = width() - label.x() - units_.X(2);
    label.resize(std::max(templateWidth, std::min(needed, room)), label.height());
}

std::string QtDialogHost::ControlText(int id) const {
    QWidget* widget = Control(id);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text().toStdString();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text().toStdString();
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        return box->title().toStdString();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return edit->text().toStdString();
    }
    if (auto* list = qobject_cast<QComboBox*>(widget)) {
        return list->currentText().toStdString();
    }
    return {};
}

void QtDialogHost::SetCheck(int id, int state) {
    QAbstractButton* button = Button(id);
    if (button == nullptr || !button->isCheckable()) {
        return;
    }
    const bool checked = state != 0;
    QButtonGroup* group = button->group();
    // An exclusive group refuses to clear its checked button; the program may.
    if (!checked && group != nullptr && group->exclusive()) {
        group->setExclusive(false);
        button->setChecked(false);
        group->setExclusive(true);
    } else {
        button->setChecked(checked);
    }
}

int QtDialogHost::Check(int id) const {
    const QAbstractButton* button = Button(id);
    return button != nullptr && button->isCheckable() && button->isChecked() ? 1 : 0;
}

void QtDialogHost::AttachTree(int id, TreeControl& tree, int bitmapId, int imageWidth) {
    if (QtTreeView* view = TreeView(id)) {
        view->SetImageList(CutImageStrip(BitmapResource(bitmapId), imageWidth),
                           CutImageStrip(BitmapResource(bitmapId, 2), imageWidth));
        view->SetTree(&tree);
    }
}

int QtDialogHost::TreeIndent(int id) const {
    const QtTreeView* view = TreeView(id);
    return view != nullptr ? view->Indent() : 0;
}

void QtDialogHost::SetTreeIndent(int id, int indent) {
    if (QtTreeView* view = TreeView(id)) {
        view->SetIndent(indent);
    }
}

void QtDialogHost::SetIcon(int iconId) {
    setWindowIcon(IconResource(iconId));
}

int QtDialogHost::FocusedControl() const {
    const QWidget* focused = focusWidget();
    for (const auto& [id, widget] : controls_) {
        if (widget == focused) {
            return id;
        }
    }
    return 0;
}

void QtDialogHost::FocusControl(int id) {
    if (QWidget* widget = Control(id)) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

void QtDialogHost::EndDialog(int result) {
    ended_ = true;
    done(result);
}

void QtDialogHost::FocusFirstControl() {
    for (QWidget* widget : tabOrder_) {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabledTo(this)) {
            widget->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void QtDialogHost::reject() {
    dialog_.OnCancel();
}

void QtDialogHost::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int dx = width() - templateSize_.width();
    const int dy = height() - templateSize_.height();
    for (const AnchoredControl& control : anchored_) {
        QRect rect = control.templateRect;
        const Anchors anchors = control.anchors;
        rect.translate(anchors.Has(kFollowRight) ? dx : 0, anchors.Has(kFollowBottom) ? dy : 0);
        rect.setWidth(rect.width() + (anchors.Has(kGrowWidth) ? dx : 0));
        rect.setHeight(rect.height() + (anchors.Has(kGrowHeight) ? dy : 0));
        control.widget->setGeometry(rect);
        control.widget->setProperty(kTemplateWidth, rect.width());
        if (auto* label = qobject_cast<QLabel*>(control.widget)) {
            FitLabelWidth(*label);
        }
    }
}

void QtDialogHost::closeEvent(QCloseEvent* event) {
    // A close that EndDialog started itself is no request to the dialog.
    if (!ended_) {
        dialog_.OnCancel();
    }
    // Closed only when the dialog chose to end.
    event->setAccepted(ended_);
}

}  // namespace vantor
