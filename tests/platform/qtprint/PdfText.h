#pragma once
// The text of a PDF as pdftotext lays it out, one string per page.

#include <string>
#include <vector>

#include "platform/PrintDevice.h"

namespace vantor::test {

// Writes the file a device printed into, after its EndDoc, where the program would.
void SavePrintedFile(PrintDevice& device);

// True when pdftotext was found when the tests were built.
bool HavePdfToText();
// Pages in order; empty when the file cannot be read.
std::vector<std::string> PdfPages(const std::string& path);
// A word and its box in points from the top left of its page.
struct PdfWord {
    int page = 0;  // 1 for the first
    std::string text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
};
// Every word of the file in reading order; empty when the file cannot be read.
std::vector<PdfWord> PdfWords(const std::string& path);

// The lines of a page without trailing blanks, empty lines left out.
std::vector<std::string> PageLines(const std::string& page);

}  // namespace vantor::test
