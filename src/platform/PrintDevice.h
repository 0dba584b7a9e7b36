#pragma once
// What the printed report needs of a printer: its resolution and printable area, fonts by
// height and weight, text measuring, documents and pages, and text at a position (device
// pixels, origin at the top left of the printable area).

#include <memory>
#include <optional>
#include <string>

namespace vantor {

// A font made by a device; valid for that device's lifetime. The font a device holds before
// anyone selects one is its default font, which has a handle of its own.
using PrintFont = int;

struct PrintFontSpec {
    // Character height in device pixels: the font's em size, without internal leading.
    int height = 0;
    // 400 normal, 700 bold.
    int weight = 400;
    std::string face;
};

inline constexpr int kBoldWeight = 700;

// A document printed into a file the user named. The device only makes it: the program writes
// it through its one safe file writer, as it writes every file.
struct PrintedFile {
    std::string path;
    std::string content;
};

class PrintDevice {
  public:
    virtual ~PrintDevice() = default;
    // Printable width and height in device pixels, and pixels per inch across and down.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int PixelsPerInchX() const = 0;
    virtual int PixelsPerInchY() const = 0;

    // The device keeps every font it makes until it is destroyed.
    virtual PrintFont CreateFont(const PrintFontSpec& spec) = 0;
    // Makes font the one that measuring and drawing use; returns the one selected before.
    virtual PrintFont SelectFont(PrintFont font) = 0;
    // Line height of the selected font: ascent plus descent.
    virtual int CharHeight() const = 0;
    // Advance width of text in the selected font.
    virtual int TextWidth(const std::string& text) const = 0;

    // A document is a sequence of pages; drawing happens between StartPage and EndPage.
    virtual void StartDoc(const std::string& documentName) = 0;
    virtual void StartPage() = 0;
    virtual void EndPage() = 0;
    virtual void EndDoc() = 0;
    // Draws text in the selected font with its top-left corner at (x, y); text is UTF-8.
    virtual void TextOut(int x, int y, const std::string& text) = 0;

    // After EndDoc: why the document did not print, in words; "" when it did.
    virtual std::string Failure() const { return {}; }
    // After EndDoc, for a device that prints into a file: that file, complete. None for a
    // printer, which takes the document itself.
    virtual std::optional<PrintedFile> TakeFile() { return std::nullopt; }
};

// Lets the user choose a printer; none when the user cancels.
class PrintService {
  public:
    virtual ~PrintService() = default;
    virtual std::unique_ptr<PrintDevice> ChoosePrinter() = 0;
};

}  // namespace vantor
