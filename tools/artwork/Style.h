#pragma once
// The maker's colours and the one type family of all artwork.

#include <QColor>
#include <QFont>

namespace artwork {

inline const QColor kNavy{0x1d, 0x35, 0x57};
inline const QColor kGold{0xe0, 0xa5, 0x26};
inline const QColor kPaper{0xff, 0xff, 0xff};
inline const QColor kInk{0x1f, 0x29, 0x33};
inline const QColor kMuted{0x52, 0x60, 0x6d};
inline const QColor kRule{0xd5, 0xdb, 0xe1};
inline const QColor kBandText{0xdc, 0xe6, 0xf0};

// Sizes are in pixels, so the pictures do not depend on the screen's resolution.
inline QFont SansFont(int pixelSize, bool bold = false) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

}  // namespace artwork
