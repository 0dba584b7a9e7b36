#include "platform/qtprint/PdfPrintDevice.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
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

}  // namespace

std::unique_ptr<PrintDevice> OpenPdfPrintDevice(const std::string& path, std::string& error) {
    const QString fileName = QString::fromStdString(path);
    // Opened here so that a bad path is told before any printing starts.
    QFile file(fileName);
    if (path.empty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = path.empty() ? "no file name given" : file.errorString().toStdString();
        return nullptr;
    }
    file.close();

    std::unique_ptr<QGuiApplication> ownedApp;
    if (QCoreApplication::instance() == nullptr) {
        ownedApp = MakeOffscreenApp();
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(fileName);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setResolution(600);
    return std::make_unique<QtPrintDevice>(std::move(printer), std::move(ownedApp));
}

}  // namespace vantor
