#include "TreeImages.h"

#include <QList>

#include <array>
#include <string_view>

namespace artwork {

namespace {

constexpr std::size_t kSide = 12;
constexpr std::size_t kSide2x = 2 * kSide;

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

template <std::size_t Side>
using Grid = std::array<std::string_view, Side>;

// One string per row of pixels.
// clang-format off
constexpr Grid<kSide> kPartition = {
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

constexpr Grid<kSide> kContainer = {
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
constexpr Grid<kSide> kError = {
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
constexpr Grid<kSide> kCancelled = {
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

// The same four at twice the resolution, for screens that show two pixels per point: drawn
// again with one-pixel outlines, not the small ones' pixels doubled.
constexpr Grid<kSide2x> kPartition2x = {
    "..........KKKK..........",
    ".......KKKAAKYKKK.......",
    ".....KKAAAAAKYYYYKK.....",
    "....KAAAAAAAKYYYYYYK....",
    "...KAAAAATTTKYYYYYYYK...",
    "..KAAATTTTTTKYYYYYYYYK..",
    "..KAATTTTTTTKYYYYYYYYK..",
    ".KAATTTTTTTTKYYYYYYYYYK.",
    ".KAATTTTTTTTKYYYYYYYYYK.",
    ".KATTTTTTTTTKYYYYYYYYYK.",
    "KAATTTTTTTTTKYYYYYYYYYYK",
    "KAATTTTTTTTTKYYYYYYYYYYK",
    "KAATTTTTTTTTKKKKKKKKKKKK",
    "KAATTTTTTTTTTTTTTTTTTTTK",
    ".KATTTTTTTTTTTTTTTTTTTK.",
    ".KTTTTTTTTTTTTTTTTTTTTK.",
    ".KTTTTTTTTTTTTTTTTTTTTK.",
    "..KTTTTTTTTTTTTTTTTTTK..",
    "..KTTTTTTTTTTTTTTTTTTK..",
    "...KTTTTTTTTTTTTTTTTK...",
    "....KTTTTTTTTTTTTTTK....",
    ".....KKTTTTTTTTTTKK.....",
    ".......KKKTTTTKKK.......",
    "..........KKKK..........",
};

constexpr Grid<kSide2x> kContainer2x = {
    "........................",
    "........................",
    "...KKKKKKK..............",
    "..KYYYYYYYK.............",
    ".KYYYYYYYYYK............",
    "KYYYYYYYYYYYKKKKKKKKKKK.",
    "KYYYYYYYYYYYYYYYYYYYYYYK",
    "KYYYYYYYYYYYYYYYYYYYYYYK",
    "KSSSSSSSSSSSSSSSSSSSSSSK",
    "KSSSSSSSSSSSSSSSSSSSSSSK",
    "KYYYYYYYYYYYYYYYYYYYYYYK",
    "KYYYYYYYYYYYYYYYYYYYYYYK",
    "KYYYYYYYYYYYYYYYYYYYYYYK",
    "KYYYYYYYYYYYYYYYYYYYYYYK",
    "KYYYYYYYYYYYYYYYYYYYYYYK",
    "KYYYYYYYYYYYYYYYYYYYYYYK",
    "KYYYYYYYYYYYYYYYYYYYYYYK",
    "KYYYYYYYYYYYYYYYYYYYYYYK",
    "KOOOOOOOOOOOOOOOOOOOOOOK",
    "KOOOOOOOOOOOOOOOOOOOOOOK",
    "KKKKKKKKKKKKKKKKKKKKKKKK",
    "........................",
    "........................",
    "........................",
};

constexpr Grid<kSide2x> kError2x = {
    "..........KKKK..........",
    ".......KKKRRRRKKK.......",
    ".....KKRRRRRRRRRRKK.....",
    "....KRRRRRRRRRRRRRRK....",
    "...KRRRRRRWWWWRRRRRRK...",
    "..KRRRRRRRWWWWRRRRRRRK..",
    "..KRRRRRRRWWWWRRRRRRRK..",
    ".KRRRRRRRRWWWWRRRRRRRMK.",
    ".KRRRRRRRRWWWWRRRRRRMMK.",
    ".KRRRRRRRRWWWWRRRRRRRMK.",
    "KRRRRRRRRRWWWWRRRRRRRMMK",
    "KRRRRRRRRRRWWRRRRRRRRMMK",
    "KRRRRRRRRRRWWRRRRRRRRMMK",
    "KRRRRRRRRRRWWRRRRRRRRMMK",
    ".KRRRRRRRRRRRRRRRRRRMMK.",
    ".KRRRRRRRRRRRRRRRRRRMMK.",
    ".KRRRRRRRRRWWRRRRRRRMMK.",
    "..KRRRRRRRWWWWRRRRRMMK..",
    "..KRRRRRRRWWWWRRRRMMMK..",
    "...KMMMMMRRWWRRMMMMMK...",
    "....KMMMMMMMMMMMMMMK....",
    ".....KKMMMMMMMMMMKK.....",
    ".......KKKMMMMKKK.......",
    "..........KKKK..........",
};

constexpr Grid<kSide2x> kCancelled2x = {
    "..........KKKK..........",
    ".......KKKWWWWKKK.......",
    ".....KKWWWWWWWWWWKK.....",
    "....KWWWWWWWWSSSSSSK....",
    "...KWWWWSSSSSSSSSSSSK...",
    "..KWWWSSSSSSSSSSSSSSSK..",
    "..KWWSSSSSSSSSSSSSSSSK..",
    ".KWWSSSSSSSSSSSSSSSSSDK.",
    ".KWWSSSSKKKKKKKKSSSSDDK.",
    ".KWSSSSSKKKKKKKKSSSSSDK.",
    "KWWSSSSSKKKKKKKKSSSSSDDK",
    "KWWSSSSSKKKKKKKKSSSSSDDK",
    "KWWSSSSSKKKKKKKKSSSSSDDK",
    "KWWSSSSSKKKKKKKKSSSSSDDK",
    ".KWSSSSSKKKKKKKKSSSSSDK.",
    ".KWWSSSSKKKKKKKKSSSSDDK.",
    ".KWWSSSSSSSSSSSSSSSSDDK.",
    "..KWSSSSSSSSSSSSSSSDDK..",
    "..KSSSSSSSSSSSSSSSDDDK..",
    "...KDDDDDSSSSSSDDDDDK...",
    "....KDDDDDDDDDDDDDDK....",
    ".....KKDDDDDDDDDDKK.....",
    ".......KKKDDDDKKK.......",
    "..........KKKK..........",
};
// clang-format on

template <std::size_t Side>
constexpr bool EveryLetterKnown(const Grid<Side>& grid) {
    for (std::string_view row : grid) {
        if (row.size() != Side) {
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
static_assert(EveryLetterKnown(kPartition2x) && EveryLetterKnown(kContainer2x) &&
              EveryLetterKnown(kError2x) && EveryLetterKnown(kCancelled2x));

template <std::size_t Side>
QImage Strip(const std::array<Grid<Side>, 4>& grids) {
    constexpr int side = static_cast<int>(Side);
    QImage image(4 * side, side, QImage::Format_Indexed8);
    image.setColorTable(QList<QRgb>(kColours.begin(), kColours.end()));
    for (int i = 0; i < 4; ++i) {
        const Grid<Side>& grid = grids[static_cast<std::size_t>(i)];
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                image.setPixel(
                    i * side + x, y,
                    static_cast<uint>(
                        IndexOf(grid[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)])));
            }
        }
    }
    return image;
}

}  // namespace

QImage TreeImages() {
    return Strip<kSide>({kPartition, kContainer, kError, kCancelled});
}

QImage TreeImages2x() {
    return Strip<kSide2x>({kPartition2x, kContainer2x, kError2x, kCancelled2x});
}

}  // namespace artwork
