#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <memory>

#include "DialogDriver.h"
#include "TestDialogs.h"
#include "platform/ResourceIds.h"
#include "platform/qt/QtResources.h"
#include "platform/qt/QtTreeView.h"
#include "platform/qt/QtUiServices.h"

namespace vantor {
namespace {

using test::RecordingDialog;

class MainWindowHost : public testing::Test {
  protected:
    void SetUp() override {
        host = test::ShowDialog(ui, dialog);
        ASSERT_NE(host, nullptr);
    }

    QtUiServices ui;
    RecordingDialog dialog{res::IDD_MAIN, ui};
    TreeControl tree;  // outlives the host that shows it
    std::unique_ptr<QtDialogHost> host;
};

TEST(DialogUnits, BaseUnitsComeFromTheFontsAverageWidthAndHeight) {
    const QFont font = DialogFont(*FindDialogTemplate(res::IDD_MAIN));
    const QFontMetrics metrics(font);
    const DialogUnits units(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(units.BaseX(), (alphabet + 26) / 52);
    EXPECT_EQ(units.BaseY(), metrics.height() + 1);
    EXPECT_EQ(font.pointSize(), 8);
    EXPECT_TRUE(font.family() == "Liberation Sans" || font.family() == "DejaVu Sans");
}

TEST(DialogUnits, EachEdgeIsConvertedOnItsOwn) {
    const DialogUnits units(DialogFont(*FindDialogTemplate(res::IDD_MAIN)));
    const QRect rect = units.ToPixels(Xywh(7, 128, 277, 114));
    EXPECT_EQ(rect.left(), units.X(7));
    EXPECT_EQ(rect.top(), units.Y(128));
    EXPECT_EQ(rect.left() + rect.width(), units.X(7 + 277));
    EXPECT_EQ(rect.top() + rect.height(), units.Y(128 + 114));
    EXPECT_EQ(units.X(4), units.BaseX());
    EXPECT_EQ(units.Y(8), units.BaseY());
}

TEST_F(MainWindowHost, BuildsEveryControlOfTheTemplateByKind) {
    auto* quit = qobject_cast<QPushButton*>(host->Control(res::IDOK));
    ASSERT_NE(quit, nullptr);
    EXPECT_TRUE(quit->isDefault());
    EXPECT_EQ(quit->text(), "Quit");
    for (int id : {res::IDCANCEL, res::IDC_COUNT, res::IDC_PRINT, res::IDC_SAVE, res::IDC_ABOUT}) {
        auto* button = qobject_cast<QPushButton*>(host->Control(id));
        ASSERT_NE(button, nullptr) << id;
        EXPECT_FALSE(button->isDefault()) << id;
    }
    EXPECT_NE(qobject_cast<QCheckBox*>(host->Control(res::IDC_BY_CONTAINER)), nullptr);
    for (int id : {res::IDC_USERS, res::IDC_SERVERS, res::IDC_GROUPS, res::IDC_PARTITIONS}) {
        EXPECT_NE(qobject_cast<QRadioButton*>(host->Control(id)), nullptr) << id;
    }
    EXPECT_NE(host->TreeView(res::IDC_TREE), nullptr);
    for (int id : {res::IDC_TOTAL, res::IDC_BRANCH_TOTAL, res::IDC_CURRENT_CONTAINER,
                   res::IDC_CURRENT_LABEL}) {
        EXPECT_NE(qobject_cast<QLabel*>(host->Control(id)), nullptr) << id;
    }
    EXPECT_EQ(host->ControlText(res::IDC_CURRENT_LABEL), "Current Container:");
    EXPECT_EQ(host->ControlText(res::IDC_ABOUT), "About...");

    // Controls without an id are there too, though not reachable by id.
    const auto boxes = host->findChildren<QGroupBox*>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes.front()->title(), "Objects");
    QStringList labels;
    for (const QLabel* label : host->findChildren<QLabel*>()) {
        labels << label->text();
    }
    for (const char* text :
         {"Total Count:", "Total count of selected branch:", "Count", "Partition/Container"}) {
        EXPECT_TRUE(labels.contains(QString::fromLatin1(text))) << text;
    }
    const QList<QLabel*> all = host->findChildren<QLabel*>();
    const auto centred = std::find_if(all.cbegin(), all.cend(),
                                      [](const QLabel* l) { return l->text() == "Count"; });
    ASSERT_NE(centred, all.cend());
    EXPECT_TRUE(((*centred)->alignment() & Qt::AlignHCenter) != 0);
}

TEST_F(MainWindowHost, KeepsTheTemplatesProportions) {
    const DialogTemplate& t = *FindDialogTemplate(res::IDD_MAIN);
    const QSize size = host->size();
    EXPECT_EQ(size, DialogUnits(host->font()).ToPixels(t.width, t.height));
    const QRect treeRect = host->Control(res::IDC_TREE)->geometry();
    // The tree view is 7, 128, 277, 114 of 291 by 281.
    EXPECT_NEAR(treeRect.left(), 7.0 * size.width() / 291, 2);
    EXPECT_NEAR(treeRect.top(), 128.0 * size.height() / 281, 2);
    EXPECT_NEAR(treeRect.width(), 277.0 * size.width() / 291, 2);
    EXPECT_NEAR(treeRect.height(), 114.0 * size.height() / 281, 2);
    const QRect quit = host->Control(res::IDOK)->geometry();
    EXPECT_NEAR(quit.right() + 1, 284.0 * size.width() / 291, 2);
    EXPECT_NEAR(quit.bottom() + 1, 274.0 * size.height() / 281, 2);
}

TEST_F(MainWindowHost, HasATitleBarMinMaxBoxesNoCloseBoxAndATaskBarEntry) {
    EXPECT_EQ(host->windowTitle(), "Quillon Vantor");
    const Qt::WindowFlags flags = host->windowFlags();
    EXPECT_EQ(host->windowType(), Qt::Window);
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

TEST_F(MainWindowHost, GrowsTheTreeAndKeepsTheButtonsAtTheRightAndBottomEdges) {
    const QSize templateSize = host->size();
    EXPECT_EQ(host->minimumSize(), templateSize);
    struct Placed {
        const char* what;
        QWidget* widget;
        QPoint moves;  // by (dx, dy) in units of the growth
        QSize grows;
    };
    auto label = [this](const char* text) -> QWidget* {
        for (QLabel* l : host->findChildren<QLabel*>()) {
            if (l->text() == text) {
                return l;
            }
        }
        return nullptr;
    };
    const Placed placed[] = {
        {"tree", host->Control(res::IDC_TREE), {0, 0}, {1, 1}},
        {"Quit", host->Control(res::IDOK), {1, 1}, {0, 0}},
        {"Cancel", host->Control(res::IDCANCEL), {1, 1}, {0, 0}},
        {"About", host->Control(res::IDC_ABOUT), {1, 0}, {0, 0}},
        {"Count heading", label("Count"), {1, 0}, {0, 0}},
        {"branch total", host->Control(res::IDC_BRANCH_TOTAL), {1, 1}, {0, 0}},
        {"total", host->Control(res::IDC_TOTAL), {0, 1}, {0, 0}},
        {"current container", host->Control(res::IDC_CURRENT_CONTAINER), {0, 0}, {1, 0}},
        {"Users", host->Control(res::IDC_USERS), {0, 0}, {0, 0}},
        {"by container", host->Control(res::IDC_BY_CONTAINER), {0, 0}, {0, 0}},
    };
    std::vector<QRect> before;
    for (const Placed& p : placed) {
        ASSERT_NE(p.widget, nullptr) << p.what;
        before.push_back(p.widget->geometry());
    }
    const int dx = 300;
    const int dy = 170;
    host->resize(templateSize + QSize(dx, dy));
    for (std::size_t i = 0; i < std::size(placed); ++i) {
        const Placed& p = placed[i];
        const QRect expected(before[i].topLeft() + QPoint(p.moves.x() * dx, p.moves.y() * dy),
                             before[i].size() + QSize(p.grows.width() * dx, p.grows.height() * dy));
        EXPECT_EQ(p.widget->geometry(), expected) << p.what;
    }
    // Back at the template's size every control is where the template puts it.
    host->resize(templateSize);
    for (std::size_t i = 0; i < std::size(placed); ++i) {
        EXPECT_EQ(placed[i].widget->geometry(), before[i]) << placed[i].what;
    }
}

TEST(DialogFrames, CloseBoxOnlyWithASystemMenuAndNoCaptionWithoutOne) {
    QtUiServices ui;
    RecordingDialog about(res::IDD_ABOUT, ui);
    RecordingDialog splash(res::IDD_SPLASH, ui);
    const auto aboutHost = test::ShowDialog(ui, about);
    const auto splashHost = test::ShowDialog(ui, splash);
    EXPECT_TRUE(aboutHost->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(aboutHost->windowFlags().testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(splashHost->windowFlags().testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(splashHost->windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

TEST(DialogFrames, PicturesKeepTheirBitmapsSize) {
    QtUiServices ui;
    RecordingDialog splash(res::IDD_SPLASH, ui);
    const auto host = test::ShowDialog(ui, splash);
    const auto pictures = host->findChildren<QLabel*>();
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_EQ(pictures.front()->size(), QSize(359, 269));
    const DialogUnits units(host->font());
    EXPECT_EQ(pictures.front()->pos(), QPoint(units.X(1), units.Y(1)));
    // The splash window has room for its picture.
    EXPECT_TRUE(host->rect().contains(pictures.front()->geometry()));
}

TEST(DialogFrames, PicturesComeDrawnAtTwiceTheResolutionForTwoDevicePixelsPerPixel) {
    for (const int id : {res::IDB_SPLASH, res::IDB_ABOUT, res::IDB_NOTICE}) {
        const QPixmap plain = BitmapResource(id);
        const QPixmap sharp = BitmapResource(id, 2);
        EXPECT_EQ(plain.size(), QSize(359, 269)) << id;
        EXPECT_EQ(sharp.size(), plain.size() * 2) << id;
        EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(plain.size())) << id;
        // Drawn anew, not the plain picture's pixels doubled.
        EXPECT_NE(sharp.toImage().convertToFormat(QImage::Format_RGB32),
                  plain.toImage().convertToFormat(QImage::Format_RGB32).scaled(sharp.size()))
            << id;
    }
}

TEST(DialogFrames, ButtonsStayInFrontOfPictures) {
    QtUiServices ui;
    for (int id : {res::IDD_SPLASH, res::IDD_ABOUT, res::IDD_NOTICE}) {
        RecordingDialog dialog(id, ui);
        const auto host = test::ShowDialog(ui, dialog);
        QWidget* ok = host->Control(res::IDOK);
        EXPECT_EQ(host->childAt(ok->geometry().center()), ok) << id;
    }
}

TEST_F(MainWindowHost, TheGroupBoxLetsClicksThroughToItsRadios) {
    QWidget* radio = host->Control(res::IDC_SERVERS);
    EXPECT_EQ(host->childAt(radio->geometry().center()), radio);
    const QRect frame = host->findChildren<QGroupBox*>().front()->geometry();
    EXPECT_TRUE(frame.contains(radio->geometry()));
}

TEST_F(MainWindowHost, RunsStartUpBeforeShowingAndFocusesTheFirstControl) {
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_FALSE(dialog.shownAtInit);
    EXPECT_TRUE(host->isVisible());
    EXPECT_EQ(dialog.Host(), host.get());
    EXPECT_EQ(host->focusWidget(), host->Control(res::IDOK));
}

TEST(DialogLifetime, DestroyingTheHostDetachesTheDialog) {
    QtUiServices ui;
    RecordingDialog dialog(res::IDD_NOTICE, ui);
    auto host = test::ShowDialog(ui, dialog);
    host.reset();
    EXPECT_EQ(dialog.Host(), nullptr);
}

TEST_F(MainWindowHost, EscapeAndCloseRequestsGoToOnCancelAndCloseNothing) {
    QTest::keyClick(host.get(), Qt::Key_Escape);
    EXPECT_EQ(dialog.cancels, 1);
    EXPECT_TRUE(host->isVisible());

    EXPECT_FALSE(host->close());
    EXPECT_EQ(dialog.cancels, 2);
    EXPECT_TRUE(host->isVisible());

    host->reject();
    EXPECT_EQ(dialog.cancels, 3);
    EXPECT_TRUE(host->isVisible());
    EXPECT_FALSE(host->Ended());
}

TEST_F(MainWindowHost, ACancelThatEndsTheDialogClosesIt) {
    dialog.endOnCancel = true;
    EXPECT_TRUE(host->close());
    EXPECT_EQ(dialog.cancels, 1);
    EXPECT_FALSE(host->isVisible());
    EXPECT_EQ(host->result(), res::IDCANCEL);
}

TEST_F(MainWindowHost, OnlyEndDialogClosesTheWindow) {
    host->EndDialog(7);
    EXPECT_TRUE(host->Ended());
    EXPECT_FALSE(host->isVisible());
    EXPECT_EQ(host->result(), 7);
    EXPECT_EQ(dialog.cancels, 0);
}

TEST_F(MainWindowHost, EnterActivatesTheDefaultButton) {
    QtTreeView* view = host->TreeView(res::IDC_TREE);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(dialog.commands, std::vector<int>{res::IDOK});
    EXPECT_TRUE(host->Ended());
    EXPECT_EQ(host->result(), res::IDOK);
}

TEST_F(MainWindowHost, ControlsAreReachedByIdAndUnknownIdsAreIgnored) {
    host->EnableControl(res::IDC_PRINT, false);
    EXPECT_FALSE(test::Enabled(*host, res::IDC_PRINT));
    EXPECT_FALSE(host->Control(res::IDC_PRINT)->isEnabled());
    host->EnableControl(res::IDC_PRINT, true);
    EXPECT_TRUE(test::Enabled(*host, res::IDC_PRINT));

    host->SetControlText(res::IDC_CURRENT_CONTAINER, "Sales & Marketing.Acme");
    EXPECT_EQ(host->ControlText(res::IDC_CURRENT_CONTAINER), "Sales & Marketing.Acme");
    EXPECT_EQ(qobject_cast<QLabel*>(host->Control(res::IDC_CURRENT_CONTAINER))->textFormat(),
              Qt::PlainText);

    host->SetCheck(res::IDC_BY_CONTAINER, 1);
    EXPECT_EQ(host->Check(res::IDC_BY_CONTAINER), 1);
    host->SetCheck(res::IDC_BY_CONTAINER, 0);
    EXPECT_EQ(host->Check(res::IDC_BY_CONTAINER), 0);

    constexpr int kUnknown = 4321;
    EXPECT_FALSE(host->HasControl(kUnknown));
    EXPECT_FALSE(host->HasControl(res::IDC_STATIC));
    host->EnableControl(kUnknown, true);
    host->SetControlText(kUnknown, "x");
    host->SetCheck(kUnknown, 1);
    host->SetTreeIndent(kUnknown, 5);
    test::Click(*host, kUnknown);
    EXPECT_FALSE(test::Enabled(*host, kUnknown));
    EXPECT_EQ(host->ControlText(kUnknown), "");
    EXPECT_EQ(host->Check(kUnknown), 0);
    EXPECT_EQ(host->TreeIndent(kUnknown), 0);
    EXPECT_TRUE(dialog.commands.empty());
    // A push button has no check state.
    host->SetCheck(res::IDC_COUNT, 1);
    EXPECT_EQ(host->Check(res::IDC_COUNT), 0);
}

TEST_F(MainWindowHost, RadiosOfOneGroupAreExclusive) {
    host->SetCheck(res::IDC_USERS, 1);
    test::Click(*host, res::IDC_GROUPS);
    EXPECT_EQ(host->Check(res::IDC_GROUPS), 1);
    EXPECT_EQ(host->Check(res::IDC_USERS), 0);
    EXPECT_EQ(dialog.commands, std::vector<int>{res::IDC_GROUPS});

    host->SetCheck(res::IDC_PARTITIONS, 1);
    EXPECT_EQ(host->Check(res::IDC_GROUPS), 0);
    // The program may clear a radio of an exclusive group.
    host->SetCheck(res::IDC_PARTITIONS, 0);
    for (int id : {res::IDC_USERS, res::IDC_SERVERS, res::IDC_GROUPS, res::IDC_PARTITIONS}) {
        EXPECT_EQ(host->Check(id), 0) << id;
    }
}

TEST(RadioGroups, AGroupEndsWhereTheNextOneStarts) {
    QtUiServices ui;
    RecordingDialog dialog(res::IDD_NOTICE, ui);
    const DialogTemplate twoGroups{
        500,
        "Groups",
        100,
        100,
        true,
        false,
        "MS Sans Serif",
        8,
        {{11, ControlKind::kRadioButton, "a", Xywh(0, 0, 40, 10), kFixed, true},
         {12, ControlKind::kRadioButton, "b", Xywh(0, 10, 40, 10)},
         {21, ControlKind::kRadioButton, "c", Xywh(0, 20, 40, 10), kFixed, true},
         {22, ControlKind::kRadioButton, "d", Xywh(0, 30, 40, 10)}}};
    QtDialogHost host(twoGroups, dialog);
    test::Click(host, 11);
    test::Click(host, 21);
    EXPECT_EQ(host.Check(11), 1);
    EXPECT_EQ(host.Check(21), 1);
    test::Click(host, 22);
    EXPECT_EQ(host.Check(11), 1);
    EXPECT_EQ(host.Check(21), 0);
    EXPECT_EQ(host.Check(22), 1);
}

TEST_F(MainWindowHost, ClickIsIgnoredOnADisabledButton) {
    host->EnableControl(res::IDC_COUNT, false);
    test::Click(*host, res::IDC_COUNT);
    EXPECT_TRUE(dialog.commands.empty());
    host->EnableControl(res::IDC_COUNT, true);
    test::Click(*host, res::IDC_COUNT);
    EXPECT_EQ(dialog.commands, std::vector<int>{res::IDC_COUNT});
}

TEST_F(MainWindowHost, ACheckBoxClickChangesItsStateBeforeTheCommand) {
    int stateSeen = -1;
    dialog.handlers[res::IDC_BY_CONTAINER] = [&](RecordingDialog& d) {
        stateSeen = d.Host()->Check(res::IDC_BY_CONTAINER);
    };
    test::Click(*host, res::IDC_BY_CONTAINER);
    EXPECT_EQ(stateSeen, 1);
}

TEST_F(MainWindowHost, IconAndTreeIndent) {
    EXPECT_TRUE(host->windowIcon().isNull());
    host->SetIcon(res::IDI_MAIN);
    EXPECT_FALSE(host->windowIcon().isNull());
    EXPECT_GE(host->windowIcon().availableSizes().size(), 3);

    EXPECT_EQ(host->TreeIndent(res::IDC_TREE), QtTreeView::kDefaultIndent);
    host->SetTreeIndent(res::IDC_TREE, host->TreeIndent(res::IDC_TREE) / 2);
    EXPECT_EQ(host->TreeIndent(res::IDC_TREE), QtTreeView::kDefaultIndent / 2);
}

TEST_F(MainWindowHost, AttachTreeShowsTheTreeWithItsImages) {
    host->AttachTree(res::IDC_TREE, tree, res::IDB_TREE_IMAGES, 12);
    QtTreeView* view = host->TreeView(res::IDC_TREE);
    TVINSERTSTRUCT record;
    record.hParent = TVI_ROOT;
    const HTREEITEM item = tree.Insert(record);
    // Images 12 pixels wide: the text starts after the image column.
    const Rect text = view->ItemTextRect(item);
    EXPECT_EQ(text.left, QtTreeView::kDefaultIndent + 12 + TreeRowLayout::kImageGap);
}

}  // namespace
}  // namespace vantor
