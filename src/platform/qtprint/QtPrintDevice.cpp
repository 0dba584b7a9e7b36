#include "platform/qtprint/QtPrintDevice.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>
#include <algorithm>

namespace vantor {

namespace {

constexpr int kPdfPixelsPerInch = 600;

// Letters stay letters: no ligatures, so that the text of a PDF reads back as it was printed
// ("fi" and not one ligature glyph) and copies out of a viewer the same way.
QFont Unshaped(QFont font) {
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

}  // namespace

QtPrintDevice::QtPrintDevice(std::unique_ptr<QPrinter> printer)
    : m_printer(std::move(printer)), m_page(m_printer.get()) {
    // The application's default font, sized for the device's resolution.
    m_fonts.emplace_back(Unshaped(QFont()), m_page);
}

QtPrintDevice::QtPrintDevice(std::string pdfPath, const QPageLayout& layout,
                             std::unique_ptr<QGuiApplication> ownedApp)
    : m_ownedApp(std::move(ownedApp)), m_pdfPath(std::move(pdfPath)) {
    m_pdfBuffer.open(QIODevice::WriteOnly);
    m_pdfWriter = std::make_unique<QPdfWriter>(&m_pdfBuffer);
    m_pdfWriter->setPageLayout(layout);
    m_pdfWriter->setResolution(kPdfPixelsPerInch);
    m_page = m_pdfWriter.get();
    m_fonts.emplace_back(Unshaped(QFont()), m_page);
}

QtPrintDevice::~QtPrintDevice() {
    if (m_painter.isActive()) {
        m_painter.end();
    }
}

int QtPrintDevice::Width() const {
    return m_page->width();
}
int QtPrintDevice::Height() const {
    return m_page->height();
}
int QtPrintDevice::PixelsPerInchX() const {
    return m_page->logicalDpiX();
}
int QtPrintDevice::PixelsPerInchY() const {
    return m_page->logicalDpiY();
}

PrintFont QtPrintDevice::CreateFont(const PrintFontSpec& spec) {
    QFont font(QString::fromStdString(spec.face));
    // A pixel size is the em height, what a character height without leading means.
    font.setPixelSize(std::max(1, spec.height));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(spec.weight, 1, 1000)));
    m_fonts.emplace_back(Unshaped(font), m_page);
    return static_cast<PrintFont>(m_fonts.size() - 1);
}

PrintFont QtPrintDevice::SelectFont(PrintFont font) {
    const PrintFont previous = m_selected;
    if (font >= 0 && static_cast<std::size_t>(font) < m_fonts.size()) {
        m_selected = font;
    }
    return previous;
}

int QtPrintDevice::CharHeight() const {
    return QFontMetrics(Selected(), m_page).height();
}

int QtPrintDevice::TextWidth(const std::string& text) const {
    return QFontMetrics(Selected(), m_page).horizontalAdvance(QString::fromStdString(text));
}

void QtPrintDevice::StartDoc(const std::string& documentName) {
    const QString name = QString::fromStdString(documentName);
    if (m_printer != nullptr) {
        m_printer->setDocName(name);
    } else {
        m_pdfWriter->setTitle(name);
    }
    m_pagesStarted = 0;
    m_failure.clear();
    // A printer that cannot start leaves the painter inactive and every page blank.
    if (!m_painter.begin(m_page)) {
        m_failure = "Could not print on " + DeviceName() + ": it did not start printing.";
    }
}

void QtPrintDevice::StartPage() {
    // The painter's start opened the first page; each further one needs its own.
    if (m_pagesStarted++ > 0 && m_painter.isActive()) {
        m_page->newPage();
    }
}

// A page is finished by the start of the next one or by the end of the document.
void QtPrintDevice::EndPage() {}

void QtPrintDevice::EndDoc() {
    if (m_painter.isActive() && !m_painter.end() && m_failure.empty()) {
        m_failure = "Could not print on " + DeviceName() + ": the document did not arrive.";
    }
    if (m_printer != nullptr && m_printer->printerState() == QPrinter::Error && m_failure.empty()) {
        m_failure = "Could not print on " + DeviceName() + ".";
    }
}

std::optional<PrintedFile> QtPrintDevice::TakeFile() {
    if (m_pdfWriter == nullptr) {
        return std::nullopt;
    }
    PrintedFile file{m_pdfPath, m_pdf.toStdString()};
    m_pdf.clear();
    return file;
}

std::string QtPrintDevice::DeviceName() const {
    if (m_printer == nullptr || m_printer->printerName().isEmpty()) {
        return "the printer";
    }
    return "the printer \"" + m_printer->printerName().toStdString() + "\"";
}

void QtPrintDevice::TextOut(int x, int y, const std::string& text) {
    if (!m_painter.isActive()) {
        return;
    }
    m_painter.setFont(Selected());
    // The painter places text by its baseline; the caller gives the top of the line.
    const int ascent = QFontMetrics(Selected(), m_page).ascent();
    m_painter.drawText(QPoint(x, y + ascent), QString::fromStdString(text));
}

}  // namespace vantor
