#pragma once
// A print device over a QPrinter: the printer's resolution and printable area, fonts made for
// the printer's resolution, and a painter that is active from the start of the document to
// its end.

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <memory>
#include <vector>

#include "platform/PrintDevice.h"

namespace vantor {

class QtPrintDevice : public PrintDevice {
  public:
    // ownedApp, when given, is the application object made for this device alone; it lives
    // as long as the device and goes after the printer.
    explicit QtPrintDevice(std::unique_ptr<QPrinter> printer,
                           std::unique_ptr<QGuiApplication> ownedApp = nullptr);
    ~QtPrintDevice() override;
    QtPrintDevice(const QtPrintDevice&) = delete;
    QtPrintDevice& operator=(const QtPrintDevice&) = delete;

    int Width() const override;
    int Height() const override;
    int PixelsPerInchX() const override;
    int PixelsPerInchY() const override;

    PrintFont CreateFont(const PrintFontSpec& spec) override;
    PrintFont SelectFont(PrintFont font) override;
    int CharHeight() const override;
    int TextWidth(const std::string& text) const override;

    void StartDoc(const std::string& documentName) override;
    void StartPage() override;
    void EndPage() override;
    void EndDoc() override;
    void TextOut(int x, int y, const std::string& text) override;

  private:
    const QFont& Selected() const { return m_fonts[static_cast<std::size_t>(m_selected)]; }

    std::unique_ptr<QGuiApplication> m_ownedApp;
    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    // Handle h is m_fonts[h]; handle 0 is the device's default font.
    std::vector<QFont> m_fonts;
    PrintFont m_selected = 0;
    int m_pagesStarted = 0;
};

}  // namespace vantor
