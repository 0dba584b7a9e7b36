#include "TreeImages.h"

#include <QList>

#include <array>
#include <string_view>

namespace artwork {

namespace {

constexpr int kSide = 12;

// The 16 standard colours, in their usual order; one letter per pixel names one of them.
constexpr std::string_view kLetters = "KMGONPTSDRLYBFAW";
constexpr std::array<QRgb, 16> kColours = {
    0xff000000, 0xff800000, 0xff008000, 0xff808000,  // black, maroon, green, olive
    0xff000080, 0xff800080, 0xff008080, 0xffc0c0c0,  // navy, purple, teal, silver
    0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00,  // grey, red, lime, yellow
    0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff,  // blue, fuchsia, aqua, white
};

// '.' is the tree's white background.
constexpr std::size_t IndexOf(char letter) {
    return kLetters.find(letter == '.' ? 'W' : letter);
}

using Grid = std::array<std::string_view, kSide>;

// One string per row of pixels.
// clang-format off
constexpr Grid kPartition = {
    "....KKKK....",
    "..KKTTKYKK..",
    ".KATTTKYYYK.",
    ".KATTTKYYYK.",
    "KATTTTKYYYYK",
    "KTTTTTKYYYYK",
    "KTTTTTKKKKKK",
    "KTTTTTTTTTTK",
    ".KTTTTTTTTK.",
    ".KTTTTTTTTK.",
    "..KKTTTTKK..",
    "....KKKK....",
};

constexpr Grid kContainer = {
    "............",
    ".KKKK.......",
    "KYYYYK......",
    "KYYYYYKKKKK.",
    "KSSSSSSSSSSK",
    "KYYYYYYYYYYK",
    "KYYYYYYYYYYK",
    "KYYYYYYYYYYK",
    "KYYYYYYYYYYK",
    "KOOOOOOOOOOK",
    "KKKKKKKKKKKK",
    "............",
};
// A failed directory call: a red disc with an exclamation mark.
constexpr Grid kError = {
    "....KKKK....",
    "..KKRRRRKK..",
    ".KRRRWWRRRK.",
    ".KRRRWWRRMK.",
    "KRRRRWWRRRMK",
    "KRRRRWWRRRMK",
    "KRRRRWWRRRMK",
    "KRRRRRRRRRMK",
    ".KRRRWWRRMK.",
    ".KRRRWWRMMK.",
    "..KKMMMMKK..",
    "....KKKK....",
};

// A count stopped by the user: a grey disc with the stop square.
constexpr Grid kCancelled = {
    "....KKKK....",
    "..KKWWWWKK..",
    ".KWWSSSSSSK.",
    ".KWSSSSSSDK.",
    "KWSSKKKKSSDK",
    "KWSSKKKKSSDK",
    "KSSSKKKKSSDK",
    "KSSSKKKKSSDK",
    ".KSSSSSSSDK.",
    ".KSSSSSSDDK.",
    "..KKDDDDKK..",
    "....KKKK....",
};
// clang-format on

constexpr bool EveryLetterKnown(const Grid& grid) {
    for (std::string_view row : grid) {
        if (row.size() != kSide) {
            return false;
        }
        for (char letter : row) {
            if (IndexOf(letter) == std::string_view::npos) {
                return false;
            }
        }
    }
    return true;
}
static_assert(EveryLetterKnown(kPartition) && EveryLetterKnown(kContainer) &&
              EveryLetterKnown(kError) && EveryLetterKnown(kCancelled));

void Paint(QImage& image, const Grid& grid, int left) {
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            image.setPixel(left + x, y, static_cast<uint>(IndexOf(grid[y][x])));
        }
    }
}

}  // namespace

QImage TreeImages() {
    QImage image(4 * kSide, kSide, QImage::Format_Indexed8);
    image.setColorTable(QList<QRgb>(kColours.begin(), kColours.end()));
    Paint(image, kPartition, 0);
    Paint(image, kContainer, kSide);
    Paint(image, kError, 2 * kSide);
    Paint(image, kCancelled, 3 * kSide);
    return image;
}

}  // namespace artwork
