#include "platform/qtprint/PdfText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <sstream>

#include "report/SaveFile.h"

namespace vantor::test {

void SavePrintedFile(PrintDevice& device) {
    std::optional<PrintedFile> file = device.TakeFile();
    ASSERT_TRUE(file.has_value());
    ASSERT_EQ(SaveFileReplacing(file->path, file->content), std::nullopt);
}

bool HavePdfToText() {
    return !std::string(VANTOR_PDFTOTEXT).empty();
}

namespace {

// What pdftotext writes with these options.
std::string RunPdfToText(const std::string& options, const std::string& path) {
    const std::string command =
        std::string(VANTOR_PDFTOTEXT) + " " + options + " '" + path + "' - 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        return {};
    }
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) {
        text.append(buffer, got);
    }
    return text;
}

}  // namespace

std::vector<PdfWord> PdfWords(const std::string& path) {
    const std::string html = RunPdfToText("-bbox", path);
    // <page ...> opens each page; each word reads
    // <word xMin="1.0" yMin="2.0" xMax="3.0" yMax="4.0">text</word>
    const std::string number = "\"([0-9.]+)\"";
    const std::regex word("<word xMin=" + number + " yMin=" + number + " xMax=" + number +
                          " yMax=" + number + ">([^<]*)</word>");
    std::vector<PdfWord> words;
    int page = 0;
    std::istringstream in(html);
    for (std::string line; std::getline(in, line);) {
        std::smatch match;
        if (line.find("<page ") != std::string::npos) {
            ++page;
        } else if (std::regex_search(line, match, word)) {
            words.push_back({page, match[5], std::stod(match[1]), std::stod(match[2]),
                             std::stod(match[3]), std::stod(match[4])});
        }
    }
    return words;
}

std::vector<std::string> PdfPages(const std::string& path) {
    const std::string text = RunPdfToText("-layout", path);
    // Every page ends in a form feed.
    std::vector<std::string> pages;
    std::size_t start = 0;
    for (std::size_t feed = text.find('\f'); feed != std::string::npos;
         feed = text.find('\f', start)) {
        pages.push_back(text.substr(start, feed - start));
        start = feed + 1;
    }
    return pages;
}

std::vector<std::string> PageLines(const std::string& page) {
    std::vector<std::string> lines;
    std::istringstream in(page);
    for (std::string line; std::getline(in, line);) {
        line.erase(line.find_last_not_of(' ') + 1);
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace vantor::test
