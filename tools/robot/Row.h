// A row: the order in which the tower's bells strike once each. Bells are
// numbered 1 to 12 and written with the symbols of the wire catalogue.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/Wire.h"

namespace robot {

// The places made in one change, bit p for place p + 1 (every other bell
// swaps with its neighbour), on a given stage.
struct Change {
    std::uint16_t places = 0;
    int stage = 0;
    bool MakesPlace(int position) const { return (places >> position) & 1; }
    friend bool operator==(const Change&, const Change&) = default;
};

class Row {
public:
    Row() = default;
    static Row Rounds(int bells);
    // Reads symbols such as "135264"; an empty row when a symbol is unknown.
    static Row FromSymbols(std::string_view symbols);

    int Size() const { return size_; }
    int BellAt(int position) const { return bells_[position]; }
    // The place (0-based) of a bell in this row, or -1 when it is not in it.
    int PositionOf(int bell) const;
    bool IsRounds() const;
    std::string Symbols() const;

    // Applies a change to the first change.stage positions; bells above them
    // stay where they are (they cover).
    void Apply(const Change& change);

    friend bool operator==(const Row&, const Row&) = default;

private:
    std::array<std::uint8_t, wire::kMaxBells> bells_{};
    int size_ = 0;
};

// The symbol of bell n (1 to 12), and the bell of a symbol in either case (0 if none).
char BellSymbol(int bell);
int BellOfSymbol(char symbol);

}  // namespace robot
