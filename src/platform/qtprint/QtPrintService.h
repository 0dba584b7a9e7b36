#pragma once
// Printer choice through the platform's print dialog: the whole document only (no page range,
// no selection, no current page), copies left to the printer driver, and a PDF file offered
// only where no printer is installed.

#include "platform/PrintDevice.h"

namespace vantor {

class QtPrintService : public PrintService {
  public:
    // A device for the printer chosen, at the printer's full resolution, or one that prints
    // into the PDF file chosen; none on cancel.
    std::unique_ptr<PrintDevice> ChoosePrinter() override;
};

}  // namespace vantor
