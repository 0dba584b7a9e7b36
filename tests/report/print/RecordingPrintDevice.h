#pragma once
// A print device that keeps everything drawn on it, with simple metrics that the tests can
// work out for themselves: a made font is 6/5 of its character height tall and half its
// character height wide per character; the default font has its own height and width.

#include <string>
#include <vector>

#include "platform/PrintDevice.h"

namespace vantor::test {

struct DeviceGeometry {
    int width = 4800;
    int height = 6600;
    int pixelsPerInchX = 600;
    int pixelsPerInchY = 600;
    int defaultLineHeight = 80;
    int defaultCharWidth = 40;
};

struct DrawnText {
    int page = 0;  // 1 for the first page started
    int x = 0;
    int y = 0;
    PrintFont font = 0;
    std::string text;
};

class RecordingPrintDevice : public PrintDevice {
  public:
    static constexpr PrintFont kDefaultFont = 0;

    explicit RecordingPrintDevice(DeviceGeometry geometry) : m_geometry(geometry) {}

    int Width() const override { return m_geometry.width; }
    int Height() const override { return m_geometry.height; }
    int PixelsPerInchX() const override { return m_geometry.pixelsPerInchX; }
    int PixelsPerInchY() const override { return m_geometry.pixelsPerInchY; }

    PrintFont CreateFont(const PrintFontSpec& spec) override;
    PrintFont SelectFont(PrintFont font) override;
    int CharHeight() const override { return HeightOf(m_selected); }
    int TextWidth(const std::string& text) const override { return WidthOf(m_selected, text); }

    void StartDoc(const std::string& documentName) override;
    void StartPage() override;
    void EndPage() override;
    void EndDoc() override;
    void TextOut(int x, int y, const std::string& text) override;

    // The metrics the device reports, for working out expected positions.
    int HeightOf(PrintFont font) const;
    int WidthOf(PrintFont font, const std::string& text) const;
    // The height, weight and face a font was made from.
    const PrintFontSpec& SpecOf(PrintFont font) const;

    // What was drawn, in order.
    const std::vector<DrawnText>& Texts() const { return m_texts; }
    std::vector<DrawnText> TextsOnPage(int page) const;
    // Document and page calls in order: "StartDoc <name>", "StartPage", "EndPage", "EndDoc".
    const std::vector<std::string>& Calls() const { return m_calls; }
    int PagesStarted() const { return m_pages; }
    // Texts drawn while no page was open.
    int StrayTexts() const { return m_strayTexts; }
    // The font selected at each EndPage.
    const std::vector<PrintFont>& FontsAtPageEnd() const { return m_fontsAtPageEnd; }

  private:
    DeviceGeometry m_geometry;
    std::vector<PrintFontSpec> m_fonts;  // handle h is m_fonts[h - 1]
    PrintFont m_selected = kDefaultFont;
    std::vector<DrawnText> m_texts;
    std::vector<std::string> m_calls;
    std::vector<PrintFont> m_fontsAtPageEnd;
    int m_pages = 0;
    bool m_pageOpen = false;
    int m_strayTexts = 0;
};

}  // namespace vantor::test
