#pragma once
// A print device that makes a PDF for a file: A4 at 600 pixels per inch, for programs that
// print the report without asking for a printer. The document is made in memory; the program
// writes it (TakeFile) through its one safe file writer.

#include <memory>
#include <string>

#include "platform/PrintDevice.h"

namespace vantor {

// The device for a PDF meant for the file at path. A program without a Qt application object
// gets one of its own (offscreen, no display needed) that lives as long as the device.
std::unique_ptr<PrintDevice> OpenPdfPrintDevice(const std::string& path);

}  // namespace vantor
