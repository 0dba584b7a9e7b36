#include "platform/qtprint/QtPrintService.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
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
    // The whole document only, and no print-to-file choice of our own.
    EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintToFile));
    EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintSelection));
    EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintPageRange));
    EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintCurrentPage));
}

TEST(QtPrintService, AcceptGivesADeviceAtThePrintersResolution) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    int resolution = 0;
    WhenDialogShows([&](QPrintDialog& dialog) {
        // Without a print server the only printer is a PDF file; give it a name.
        dialog.printer()->setOutputFileName(dir.filePath("chosen.pdf"));
        resolution = dialog.printer()->resolution();
        dialog.accept();
    });
    QtPrintService service;
    const std::unique_ptr<PrintDevice> device = service.ChoosePrinter();
    ASSERT_NE(device, nullptr);
    EXPECT_GT(resolution, 0);
    EXPECT_EQ(device->PixelsPerInchX(), resolution);
    EXPECT_EQ(device->PixelsPerInchY(), resolution);
    EXPECT_GT(device->Width(), 0);
    EXPECT_GT(device->Height(), device->Width());
}

}  // namespace
}  // namespace vantor
