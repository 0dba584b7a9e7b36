#pragma once
// Printer choice through the platform's print dialog: the whole document only (no page range,
// no selection, no current page), no print-to-file box where the platform lets it be hidden,
// and copies left to the printer driver.

#include "platform/PrintDevice.h"

namespace vantor {

class QtPrintService : public PrintService {
  public:
    // A device for the printer chosen, at the printer's full resolution; none on cancel.
    std::unique_ptr<PrintDevice> ChoosePrinter() override;
};

}  // namespace vantor
