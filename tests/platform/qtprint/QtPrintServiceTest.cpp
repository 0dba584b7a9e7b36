#include "platform/qtprint/QtPrintService.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace vantor {
namespace {

// Runs answer on the print dialog once it is up; gives up after about five seconds.
void WhenDialogShows(const std::function<void(QPrintDialog&)>& answer) {
    auto* timer = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, answer] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr || ++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            if (dialog != nullptr) {
                answer(*dialog);
            }
        }
    });
    timer->start(10);
}

TEST(QtPrintService, CancelChoosesNothing) {
    bool shown = false;
    QAbstractPrintDialog::PrintDialogOptions options;
    WhenDialogShows([&](QPrintDialog& dialog) {
        shown = true;
        options = dialog.options();
        dialog.reject();
    });
    QtPrintService service;
    EXPECT_EQ(service.ChoosePrinter(), nullptr);
    ASSERT_TRUE(shown);
    // The whole document only.
    EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintSelection));
    EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintPageRange));
    EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintCurrentPage));
}

// This machine has no printers: the dialog offers a PDF file, and the device made for it
// prints into memory for the program's own file writer, on the paper chosen.
TEST(QtPrintService, WithoutPrintersAPdfFileIsOfferedAndPrintedIntoMemory) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) {
        GTEST_SKIP() << "a printer is installed";
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString chosen = dir.filePath("chosen.pdf");
    QStringList printerChoices;
    WhenDialogShows([&](QPrintDialog& dialog) {
        for (const QComboBox* box : dialog.findChildren<QComboBox*>()) {
            for (int i = 0; i < box->count(); ++i) {
                printerChoices << box->itemText(i);
            }
        }
        // The file name the user types.
        if (auto* fileName = dialog.findChild<QLineEdit*>(QStringLiteral("filename"))) {
            fileName->setText(chosen);
        }
        dialog.printer()->setPageSize(QPageSize(QPageSize::Letter));
        dialog.accept();
    });
    QtPrintService service;
    const std::unique_ptr<PrintDevice> device = service.ChoosePrinter();
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(printerChoices.join("|").contains(QStringLiteral("PDF")))
        << printerChoices.join("|").toStdString();
    EXPECT_EQ(device->PixelsPerInchX(), 600);
    // Letter paper (8.5 inches) inside margins of 10 points on each side.
    EXPECT_NEAR(device->Width(), 8.5 * 600 - 2 * 10 * 600 / 72, 2);
    device->StartDoc("Quillon Vantor");
    device->StartPage();
    device->EndDoc();
    EXPECT_EQ(device->Failure(), "");
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    const std::optional<PrintedFile> file = device->TakeFile();
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->path, chosen.toStdString());
    EXPECT_EQ(file->content.rfind("%PDF-", 0), 0u);
}

}  // namespace
}  // namespace vantor
