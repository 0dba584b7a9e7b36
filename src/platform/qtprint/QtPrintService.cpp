#include "platform/qtprint/QtPrintService.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/qtprint/QtPrintDevice.h"

namespace vantor {

namespace {

void ConfigurePrintDialog(QPrintDialog& dialog) {
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
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
    return std::make_unique<QtPrintDevice>(std::move(printer));
}

}  // namespace vantor
