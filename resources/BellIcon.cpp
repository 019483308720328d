// The program icon: a gold bell with its clapper, drawn for this project,
// at 32 x 32 and 16 x 16.
#include "resources/BellIcon.h"

#include <QPixmap>

namespace {
// clang-format off
const char* const kBell32[] = {
    "32 32 6 1",
    ". c None",
    "g c #C8A032",
    "h c #F0D278",
    "d c #8C6414",
    "c c #5A4A2A",
    "k c #3C3C3C",
    "................................",
    "................................",
    "..............cccc..............",
    "..............cccc..............",
    "...........hhhgggggdd...........",
    "...........hhhgggggdd...........",
    "...........hhhgggggdd...........",
    "...........hhhgggggdd...........",
    "..........hhhhggggggdd..........",
    "..........hhhhggggggdd..........",
    "..........hhhhggggggdd..........",
    "..........hhhhggggggdd..........",
    "..........hhhhggggggdd..........",
    "..........hhhggggggggd..........",
    ".........hhhhggggggggdd.........",
    ".........hhhhggggggggdd.........",
    "........hhhhhgggggggggdd........",
    "........hhhhhgggggggggdd........",
    "........hhhhhggggggggggd........",
    ".......hhhhhgggggggggggdd.......",
    "......hhhhhhggggggggggggdd......",
    "......hhhhhhggggggggggggdd......",
    ".....hhhhhhhgggggggggggggdd.....",
    "....dddddddddddddddddddddddd....",
    "...dddddddddddddddddddddddddd...",
    "..dddddddddddddddddddddddddddd..",
    "...............kk...............",
    "..............kkkk..............",
    "..............kkkk..............",
    "................................",
    "................................",
    "................................"
};
const char* const kBell16[] = {
    "16 16 6 1",
    ". c None",
    "g c #C8A032",
    "h c #F0D278",
    "d c #8C6414",
    "c c #5A4A2A",
    "k c #3C3C3C",
    "................",
    ".......cc.......",
    ".....hhgggd.....",
    ".....hhgggd.....",
    ".....hhgggd.....",
    ".....hhgggd.....",
    ".....hhgggd.....",
    ".....hhgggg.....",
    "....hhgggggd....",
    "....hhgggggd....",
    "...hhhggggggd...",
    "..hhhhgggggggd..",
    ".dddddddddddddd.",
    ".......kk.......",
    "................",
    "................"
};
// clang-format on
}  // namespace

QIcon BellIconLarge() {
    return QIcon(QPixmap(kBell32));
}

QIcon BellIconSmall() {
    return QIcon(QPixmap(kBell16));
}
