#include "platform/qtprint/QtPrintDevice.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>
#include <algorithm>

namespace vantor {

namespace {

// Letters stay letters: no ligatures, so that the text of a PDF reads back as it was printed
// ("fi" and not one ligature glyph) and copies out of a viewer the same way.
QFont Unshaped(QFont font) {
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

}  // namespace

QtPrintDevice::QtPrintDevice(std::unique_ptr<QPrinter> printer,
                             std::unique_ptr<QGuiApplication> ownedApp)
    : m_ownedApp(std::move(ownedApp)), m_printer(std::move(printer)) {
    // The application's default font, sized for the printer's resolution.
    m_fonts.emplace_back(Unshaped(QFont()), m_printer.get());
}

QtPrintDevice::~QtPrintDevice() {
    if (m_painter.isActive()) {
        m_painter.end();
    }
}

int QtPrintDevice::Width() const {
    return m_printer->width();
}
int QtPrintDevice::Height() const {
    return m_printer->height();
}
int QtPrintDevice::PixelsPerInchX() const {
    return m_printer->logicalDpiX();
}
int QtPrintDevice::PixelsPerInchY() const {
    return m_printer->logicalDpiY();
}

PrintFont QtPrintDevice::CreateFont(const PrintFontSpec& spec) {
    QFont font(QString::fromStdString(spec.face));
    // A pixel size is the em height, what a character height without leading means.
    font.setPixelSize(std::max(1, spec.height));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(spec.weight, 1, 1000)));
    m_fonts.emplace_back(Unshaped(font), m_printer.get());
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
    return QFontMetrics(Selected(), m_printer.get()).height();
}

int QtPrintDevice::TextWidth(const std::string& text) const {
    return QFontMetrics(Selected(), m_printer.get())
        .horizontalAdvance(QString::fromStdString(text));
}

void QtPrintDevice::StartDoc(const std::string& documentName) {
    m_printer->setDocName(QString::fromStdString(documentName));
    m_pagesStarted = 0;
    // A printer that cannot start leaves the painter inactive and every page blank.
    m_painter.begin(m_printer.get());
}

void QtPrintDevice::StartPage() {
    // The painter's start opened the first page; each further one needs its own.
    if (m_pagesStarted++ > 0 && m_painter.isActive()) {
        m_printer->newPage();
    }
}

// A page is finished by the start of the next one or by the end of the document.
void QtPrintDevice::EndPage() {}

void QtPrintDevice::EndDoc() {
    if (m_painter.isActive()) {
        m_painter.end();
    }
}

void QtPrintDevice::TextOut(int x, int y, const std::string& text) {
    if (!m_painter.isActive()) {
        return;
    }
    m_painter.setFont(Selected());
    // The painter places text by its baseline; the caller gives the top of the line.
    const int ascent = QFontMetrics(Selected(), m_printer.get()).ascent();
    m_painter.drawText(QPoint(x, y + ascent), QString::fromStdString(text));
}

}  // namespace vantor
