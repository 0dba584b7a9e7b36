#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "DialogDriver.h"
#include "TestDialogs.h"
#include "platform/ResourceIds.h"
#include "platform/qt/DialogUnits.h"
#include "platform/qt/QtUiServices.h"

namespace vantor {
namespace {

using test::ActiveModal;
using test::RecordingDialog;

// The family and size the main window's controls are drawn in.
bool InTheMainWindowsFont(const QFont& font) {
    const QFontInfo main(DialogFont(*FindDialogTemplate(res::IDD_MAIN)));
    const QFontInfo used(font);
    return used.family() == main.family() && used.pointSizeF() == main.pointSizeF();
}

// Closes whatever modal window is still running after a while, so that a failing test ends
// instead of waiting for a user.
void GuardAgainstHanging(QObject* context) {
    QTimer::singleShot(5000, context, [] {
        if (auto* host = ActiveModal<QDialog>()) {
            host->done(-99);
        }
    });
}

TEST(RunModal, ReturnsWhatEndDialogWasGiven) {
    QtUiServices ui;
    RecordingDialog dialog(res::IDD_NOTICE, ui);
    QObject context;
    bool shownWhileRunning = false;
    QWidget* focused = nullptr;
    QTimer::singleShot(0, &context, [&] {
        auto* host = ActiveModal<QtDialogHost>();
        ASSERT_NE(host, nullptr);
        shownWhileRunning = host->isVisible();
        focused =
            host->focusWidget() == host->Control(res::IDOK) ? host->Control(res::IDOK) : nullptr;
        test::Click(*host, res::IDCANCEL);
    });
    GuardAgainstHanging(&context);
    dialog.endOnCancel = true;
    EXPECT_EQ(dialog.DoModal(), res::IDCANCEL);
    EXPECT_TRUE(shownWhileRunning);
    EXPECT_NE(focused, nullptr);
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_FALSE(dialog.shownAtInit);
    EXPECT_EQ(dialog.Host(), nullptr);
}

TEST(RunModal, ADialogEndedDuringStartUpIsNeverShown) {
    QtUiServices ui;
    RecordingDialog dialog(res::IDD_ABOUT, ui);
    dialog.onInit = [](RecordingDialog& d) { d.EndDialog(5); };
    QObject context;
    GuardAgainstHanging(&context);
    EXPECT_EQ(dialog.DoModal(), 5);
}

TEST(RunModal, ADialogWithoutATemplateFails) {
    QtUiServices ui;
    RecordingDialog dialog(9999, ui);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(dialog.inits, 0);
}

TEST(RunModal, ANestedDialogRunsOverItsOwnerAndIsAnsweredFromATimer) {
    QtUiServices ui;
    RecordingDialog main(res::IDD_MAIN, ui);
    RecordingDialog about(res::IDD_ABOUT, ui);
    int aboutResult = 0;
    QWidget* aboutOwner = nullptr;
    QtDialogHost* mainHost = nullptr;
    main.handlers[res::IDC_ABOUT] = [&](RecordingDialog&) { aboutResult = about.DoModal(); };

    QObject context;
    QTimer::singleShot(0, &context, [&] {
        mainHost = ActiveModal<QtDialogHost>();
        ASSERT_NE(mainHost, nullptr);
        QTimer::singleShot(0, &context, [&] {
            auto* aboutHost = ActiveModal<QtDialogHost>();
            ASSERT_NE(aboutHost, nullptr);
            aboutOwner = aboutHost->parentWidget();
            test::Click(*aboutHost, res::IDOK);
        });
        test::Click(*mainHost, res::IDC_ABOUT);  // returns when the about dialog has ended
        test::Click(*mainHost, res::IDOK);
    });
    GuardAgainstHanging(&context);
    EXPECT_EQ(main.DoModal(), res::IDOK);
    EXPECT_EQ(aboutResult, res::IDOK);
    EXPECT_EQ(aboutOwner, mainHost);
    EXPECT_EQ(main.commands, (std::vector<int>{res::IDC_ABOUT, res::IDOK}));
}

// Answers the about dialog itself and runs the others for real.
class AnsweringUi : public QtUiServices {
  public:
    int RunModal(CDialog& dialog) override {
        if (dialog.TemplateId() == res::IDD_ABOUT) {
            ++aboutShown;
            return res::IDOK;
        }
        return QtUiServices::RunModal(dialog);
    }
    int aboutShown = 0;
};

TEST(RunModal, ADerivedServiceAnswersTheDialogsItExpects) {
    AnsweringUi ui;
    RecordingDialog main(res::IDD_MAIN, ui);
    main.handlers[res::IDC_ABOUT] = [](RecordingDialog& d) {
        RecordingDialog about(res::IDD_ABOUT, d.Ui());
        about.DoModal();
    };
    const auto host = test::ShowDialog(ui, main);
    test::Click(*host, res::IDC_ABOUT);
    EXPECT_EQ(ui.aboutShown, 1);
}

TEST(MessageBox, ShowsTheTextLiterallyUnderTheProgramsName) {
    QtUiServices ui;
    QObject context;
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    int buttons = 0;
    QFont font;
    QTimer::singleShot(0, &context, [&] {
        auto* box = ActiveModal<QMessageBox>();
        ASSERT_NE(box, nullptr);
        font = box->font();
        title = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    GuardAgainstHanging(&context);
    ui.MessageBox("Could not create context <b>&</b>");
    EXPECT_EQ(title, QCoreApplication::applicationName());
    EXPECT_EQ(title, "vantor");
    EXPECT_EQ(text, "Could not create context <b>&</b>");
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(buttons, 1);
    EXPECT_TRUE(InTheMainWindowsFont(font)) << font.toString().toStdString();
}

TEST(AskYesNo, NoIsTheDefaultAndTheEscapeAnswer) {
    QtUiServices ui;
    QObject context;
    struct Answer {
        std::function<void(QMessageBox&)> give;
        bool expected;
    };
    const Answer answers[] = {
        {[](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); }, true},
        {[](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }, false},
        {[](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }, false},
    };
    for (const Answer& answer : answers) {
        QString text;
        QTimer::singleShot(0, &context, [&] {
            auto* box = ActiveModal<QMessageBox>();
            ASSERT_NE(box, nullptr);
            text = box->text();
            answer.give(*box);
        });
        GuardAgainstHanging(&context);
        EXPECT_EQ(ui.AskYesNo("Quit & discard?"), answer.expected);
        EXPECT_EQ(text, "Quit & discard?");
    }
}

class SaveDialog : public testing::Test {
  protected:
    std::optional<std::string> Run(const std::function<void(QFileDialog&)>& answer) {
        QTimer::singleShot(0, &context, [&] {
            auto* dialog = ActiveModal<QFileDialog>();
            ASSERT_NE(dialog, nullptr);
            answer(*dialog);
        });
        GuardAgainstHanging(&context);
        return ui.GetSaveFileName("vantor.txt", "txt", "Text Files (*.txt)|*.txt||");
    }
    QString InDir(const QString& name) const { return QDir(dir.path()).filePath(name); }

    QtUiServices ui;
    QObject context;
    QTemporaryDir dir;
};

TEST_F(SaveDialog, OffersTheDefaultNameAndFilterAndAddsTheExtension) {
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QStringList filters;
    QString initial;
    QFont font;
    const auto path = Run([&](QFileDialog& dialog) {
        font = dialog.font();
        mode = dialog.acceptMode();
        filters = dialog.nameFilters();
        initial = dialog.selectedFiles().value(0);
        dialog.setDirectory(dir.path());
        dialog.selectFile(QStringLiteral("report"));
        static_cast<QDialog&>(dialog).accept();  // as the Save button does
    });
    EXPECT_EQ(mode, QFileDialog::AcceptSave);
    EXPECT_EQ(filters, QStringList{"Text Files (*.txt)"});
    EXPECT_TRUE(initial.endsWith("vantor.txt")) << initial.toStdString();
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(QString::fromStdString(*path), InDir("report.txt"));
    EXPECT_TRUE(InTheMainWindowsFont(font)) << font.toString().toStdString();
}

TEST_F(SaveDialog, CancelGivesNothing) {
    EXPECT_FALSE(Run([](QFileDialog& dialog) { dialog.reject(); }).has_value());
}

TEST_F(SaveDialog, ReplacingAFileIsConfirmedFirst) {
    QFile existing(InDir("old.txt"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    bool asked = false;
    const auto path = Run([&](QFileDialog& dialog) {
        QTimer::singleShot(0, &context, [&] {
            auto* question = ActiveModal<QMessageBox>();
            asked = question != nullptr;
            if (question != nullptr) {
                question->button(QMessageBox::Yes)->click();
            }
        });
        dialog.setDirectory(dir.path());
        dialog.selectFile(QStringLiteral("old.txt"));
        static_cast<QDialog&>(dialog).accept();  // as the Save button does
    });
    EXPECT_TRUE(asked);
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(QString::fromStdString(*path), InDir("old.txt"));
}

// Qt's file dialog keeps a history and the last folder in the user's configuration folder when
// it closes; the program writes nothing that the user did not name.
TEST(SaveDialogSettings, NothingIsWrittenIntoTheUsersConfigurationFolder) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    {
        QtUiServices ui;
        QObject context;
        QTimer::singleShot(0, &context, [] {
            if (auto* dialog = ActiveModal<QFileDialog>()) {
                dialog->reject();
            }
        });
        GuardAgainstHanging(&context);
        ui.GetSaveFileName("vantor.txt", "txt", "Text Files (*.txt)|*.txt||");
    }
    const QStringList left =
        QDir(config.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
}

TEST(WaitCursor, NestedCallsBalanceAndLeaveOtherCursorsAlone) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    {
        QtUiServices ui;
        ui.BeginWaitCursor();
        ui.BeginWaitCursor();
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        ui.EndWaitCursor();
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        ui.EndWaitCursor();
        ui.EndWaitCursor();  // one too many: not ours to undo
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
        ui.BeginWaitCursor();
    }  // the services restore what they set
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

class Receiver : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            ++received;
            return true;
        }
        return QObject::event(event);
    }
    int received = 0;
};

TEST(PumpMessages, DispatchesWaitingEventsAndGoesOn) {
    QtUiServices ui;
    Receiver receiver;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    EXPECT_EQ(receiver.received, 0);
    EXPECT_EQ(ui.PumpMessages(), 1);
    EXPECT_EQ(receiver.received, 1);
    EXPECT_EQ(ui.PumpMessages(), 1);
    EXPECT_EQ(receiver.received, 1);
}

TEST(PumpMessages, ReturnsZeroOnceTheApplicationQuits) {
    QtUiServices ui;
    int beforeQuit = -1;
    int afterQuit = -1;
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        beforeQuit = ui.PumpMessages();
        QCoreApplication::quit();
        afterQuit = ui.PumpMessages();
    });
    QTimer::singleShot(5000, &context, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(beforeQuit, 1);
    EXPECT_EQ(afterQuit, 0);
    EXPECT_EQ(ui.PumpMessages(), 0);
}

}  // namespace
}  // namespace vantor
