#include "report/print/RecordingPrintDevice.h"

#include <stdexcept>

namespace vantor::test {

PrintFont RecordingPrintDevice::CreateFont(const PrintFontSpec& spec) {
    m_fonts.push_back(spec);
    return static_cast<PrintFont>(m_fonts.size());
}

PrintFont RecordingPrintDevice::SelectFont(PrintFont font) {
    const PrintFont previous = m_selected;
    m_selected = font;
    return previous;
}

void RecordingPrintDevice::StartDoc(const std::string& documentName) {
    m_calls.push_back("StartDoc " + documentName);
}

void RecordingPrintDevice::StartPage() {
    m_calls.emplace_back("StartPage");
    ++m_pages;
    m_pageOpen = true;
}

void RecordingPrintDevice::EndPage() {
    m_calls.emplace_back("EndPage");
    m_fontsAtPageEnd.push_back(m_selected);
    m_pageOpen = false;
}

void RecordingPrintDevice::EndDoc() {
    m_calls.emplace_back("EndDoc");
}

void RecordingPrintDevice::TextOut(int x, int y, const std::string& text) {
    if (!m_pageOpen) {
        ++m_strayTexts;
    }
    m_texts.push_back({m_pages, x, y, m_selected, text});
}

int RecordingPrintDevice::HeightOf(PrintFont font) const {
    return font == kDefaultFont ? m_geometry.defaultLineHeight : SpecOf(font).height * 6 / 5;
}

int RecordingPrintDevice::WidthOf(PrintFont font, const std::string& text) const {
    const int perChar =
        font == kDefaultFont ? m_geometry.defaultCharWidth : SpecOf(font).height / 2;
    return static_cast<int>(text.size()) * perChar;
}

const PrintFontSpec& RecordingPrintDevice::SpecOf(PrintFont font) const {
    if (font < 1 || static_cast<std::size_t>(font) > m_fonts.size()) {
        throw std::out_of_range("no such font: " + std::to_string(font));
    }
    return m_fonts[static_cast<std::size_t>(font) - 1];
}

std::vector<DrawnText> RecordingPrintDevice::TextsOnPage(int page) const {
    std::vector<DrawnText> onPage;
    for (const DrawnText& text : m_texts) {
        if (text.page == page) {
            onPage.push_back(text);
        }
    }
    return onPage;
}

}  // namespace vantor::test
