#pragma once
// A print device over Qt's paged devices: a printer the user chose, or a PDF made in memory for
// a file. Fonts are made for the device's resolution, and a painter is active from the start of
// the document to its end.

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <memory>
#include <vector>

#include "platform/PrintDevice.h"

namespace vantor {

class QtPrintDevice : public PrintDevice {
  public:
    // Prints on a printer; the printer takes the document at EndDoc.
    explicit QtPrintDevice(std::unique_ptr<QPrinter> printer);
    // Prints a PDF of that page layout at 600 pixels per inch into memory, for the file at
    // path (TakeFile). ownedApp, when given, is the application object made for this device
    // alone; it lives as long as the device and goes last.
    QtPrintDevice(std::string pdfPath, const QPageLayout& layout,
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

    std::string Failure() const override { return m_failure; }
    std::optional<PrintedFile> TakeFile() override;

  private:
    const QFont& Selected() const { return m_fonts[static_cast<std::size_t>(m_selected)]; }
    // What the user calls the device in a message.
    std::string DeviceName() const;

    // Declared in the order they must outlive one another: the application, the PDF's bytes,
    // the device that writes them, the painter on it.
    std::unique_ptr<QGuiApplication> m_ownedApp;
    std::string m_pdfPath;
    QByteArray m_pdf;
    QBuffer m_pdfBuffer{&m_pdf};
    std::unique_ptr<QPdfWriter> m_pdfWriter;
    std::unique_ptr<QPrinter> m_printer;
    QPagedPaintDevice* m_page = nullptr;  // whichever of the two is set
    QPainter m_painter;
    // Handle h is m_fonts[h]; handle 0 is the device's default font.
    std::vector<QFont> m_fonts;
    PrintFont m_selected = 0;
    int m_pagesStarted = 0;
    std::string m_failure;
};

}  // namespace vantor
