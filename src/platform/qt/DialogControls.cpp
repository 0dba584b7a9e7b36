#include "platform/qt/DialogControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include "platform/qt/QtResources.h"
#include "platform/qt/QtTreeView.h"

namespace vantor {

namespace {

QLabel* CreateStatic(const QString& caption, Qt::Alignment alignment, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    // Texts such as container names are shown as they are: an ampersand is no mnemonic.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

// A group box whose frame runs through the middle of its title, as the templates are laid
// out for: styles that put the title above the frame lower the frame onto the first control.
class GroupFrame : public QGroupBox {
  public:
    GroupFrame(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics = fontMetrics();
        const int top = metrics.height() / 2;
        // Etched: a shadow line with a light line beside it.
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(QRect(0, top, width() - 2, height() - top - 2));
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(QRect(1, top + 1, width() - 2, height() - top - 2));
        if (title().isEmpty()) {
            return;
        }
        const int gap = metrics.horizontalAdvance(QLatin1Char(' ')) / 2 + 1;
        const QRect titleRect(metrics.averageCharWidth(), 0,
                              metrics.horizontalAdvance(title()) + 2 * gap, metrics.height());
        painter.fillRect(titleRect, palette().color(QPalette::Window));
        style()->drawItemText(&painter, titleRect, Qt::AlignCenter | Qt::TextShowMnemonic,
                              palette(), isEnabled(), title(), QPalette::WindowText);
    }
};

}  // namespace

QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) {
    const QString caption = QString::fromStdString(control.caption);
    switch (control.kind) {
        case ControlKind::kDefPushButton: {
            auto* button = new QPushButton(caption, parent);
            button->setDefault(true);
            return button;
        }
        case ControlKind::kPushButton:
            return new QPushButton(caption, parent);
        case ControlKind::kCheckBox:
            return new QCheckBox(caption, parent);
        case ControlKind::kRadioButton:
            return new QRadioButton(caption, parent);
        case ControlKind::kStatic:
            return CreateStatic(caption, Qt::AlignLeft, parent);
        case ControlKind::kStaticCenter:
            return CreateStatic(caption, Qt::AlignHCenter, parent);
        case ControlKind::kGroupBox: {
            auto* box = new GroupFrame(caption, parent);
            box->setAttribute(Qt::WA_TransparentForMouseEvents);  // a frame, nothing to click
            return box;
        }
        case ControlKind::kTreeView:
            return new QtTreeView(parent);
        case ControlKind::kEdit:
            return new QLineEdit(caption, parent);
        case ControlKind::kPasswordEdit: {
            auto* edit = new QLineEdit(parent);
            edit->setEchoMode(QLineEdit::Password);
            return edit;
        }
        case ControlKind::kDropDown: {
            auto* list = new QComboBox(parent);
            list->setEditable(true);
            list->setInsertPolicy(QComboBox::NoInsert);  // a typed text is no new item
            return list;
        }
        case ControlKind::kPicture: {
            auto* picture = new QLabel(parent);
            picture->setPixmap(BitmapResource(control.bitmapId, picture->devicePixelRatioF()));
            return picture;
        }
    }
    return nullptr;
}

}  // namespace vantor
