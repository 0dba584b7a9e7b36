#include "platform/qtprint/QtPrintService.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/qtprint/QtPrintDevice.h"

namespace vantor {

namespace {

void ConfigurePrintDialog(QPrintDialog& dialog) {
    // Printing into a PDF file is offered where no printer is installed, so that Print always
    // has somewhere to go.
    dialog.setOption(QAbstractPrintDialog::PrintToFile,
                     QPrinterInfo::availablePrinterNames().isEmpty());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
}

}  // namespace

std::unique_ptr<PrintDevice> QtPrintService::ChoosePrinter() {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // Over the window the user is working in.
    QPrintDialog dialog(printer.get(), QApplication::activeWindow());
    ConfigurePrintDialog(dialog);
    if (dialog.exec() != QDialog::Accepted) {
        return nullptr;
    }
    if (printer->outputFormat() == QPrinter::PdfFormat) {
        // A file: made in memory and written by the program like every file it writes.
        return std::make_unique<QtPrintDevice>(printer->outputFileName().toStdString(),
                                               printer->pageLayout());
    }
    return std::make_unique<QtPrintDevice>(std::move(printer));
}

}  // namespace vantor
