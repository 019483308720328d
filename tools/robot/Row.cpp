#include "tools/robot/Row.h"

#include <cctype>
#include <utility>

namespace robot {

char BellSymbol(int bell) { return wire::kBellSymbols[bell - 1]; }

int BellOfSymbol(char symbol) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(symbol)));
    const auto at = wire::kBellSymbols.find(upper);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

Row Row::Rounds(int bells) {
    Row row;
    row.size_ = bells;
    for (int i = 0; i < bells; ++i) {
        row.bells_[i] = static_cast<std::uint8_t>(i + 1);
    }
    return row;
}

Row Row::FromSymbols(std::string_view symbols) {
    Row row;
    if (symbols.size() > row.bells_.size()) return Row{};
    for (char symbol : symbols) {
        const int bell = BellOfSymbol(symbol);
        if (bell == 0) return Row{};
        row.bells_[row.size_++] = static_cast<std::uint8_t>(bell);
    }
    return row;
}

int Row::PositionOf(int bell) const {
    for (int i = 0; i < size_; ++i) {
        if (bells_[i] == bell) return i;
    }
    return -1;
}

bool Row::IsRounds() const {
    for (int i = 0; i < size_; ++i) {
        if (bells_[i] != i + 1) return false;
    }
    return true;
}

std::string Row::Symbols() const {
    std::string text;
    for (int i = 0; i < size_; ++i) {
        text += BellSymbol(bells_[i]);
    }
    return text;
}

void Row::Apply(const Change& change) {
    int position = 0;
    while (position < change.stage) {
        if (change.MakesPlace(position)) {
            ++position;
        } else {
            std::swap(bells_[position], bells_[position + 1]);
            position += 2;
        }
    }
}

}  // namespace robot
