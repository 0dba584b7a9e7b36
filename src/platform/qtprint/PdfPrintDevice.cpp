#include "platform/qtprint/PdfPrintDevice.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <cstdio>

#include "platform/qtprint/QtPrintDevice.h"

namespace vantor {

namespace {

// A program without a window of its own (the command-line counter) wants no notes from Qt on
// its standard error, only its real failures.
void QuietQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

// Fonts and the PDF engine need an application object; the offscreen platform needs no
// display.
std::unique_ptr<QGuiApplication> MakeOffscreenApp() {
    qInstallMessageHandler(QuietQtNotes);
    static char name[] = "vantor";
    static char platformOption[] = "-platform";
    static char platform[] = "offscreen";
    // The application keeps references to both and takes its own options out of them, so they
    // are set afresh for every application made here (one at a time: only when none exists).
    static int argc;
    static char* argv[4];
    argc = 3;
    argv[0] = name;
    argv[1] = platformOption;
    argv[2] = platform;
    argv[3] = nullptr;
    return std::make_unique<QGuiApplication>(argc, argv);
}

QPageLayout DefaultPdfLayout() {
    // What Qt's own PDF printer uses: A4 upright inside margins of 10 points.
    return {QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
            QPageLayout::Point};
}

}  // namespace

std::unique_ptr<PrintDevice> OpenPdfPrintDevice(const std::string& path) {
    std::unique_ptr<QGuiApplication> ownedApp;
    if (QCoreApplication::instance() == nullptr) {
        ownedApp = MakeOffscreenApp();
    }
    return std::make_unique<QtPrintDevice>(path, DefaultPdfLayout(), std::move(ownedApp));
}

}  // namespace vantor
