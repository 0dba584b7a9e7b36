#pragma once
// A print device that writes a PDF file: A4 at 600 pixels per inch, for programs that print
// the report without asking for a printer.

#include <memory>
#include <string>

#include "platform/PrintDevice.h"

namespace vantor {

// The device for a new PDF at path, or none with error set when the file cannot be written.
// A program without a Qt application object gets one of its own (offscreen, no display
// needed) that lives as long as the device.
std::unique_ptr<PrintDevice> OpenPdfPrintDevice(const std::string& path, std::string& error);

}  // namespace vantor
