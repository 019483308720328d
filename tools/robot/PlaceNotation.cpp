#include "tools/robot/PlaceNotation.h"

#include <cctype>

namespace robot {

namespace {

bool IsCross(char c) { return c == 'x' || c == 'X' || c == '-'; }

std::string Quoted(char c) { return std::string("'") + c + "'"; }

std::string At(std::size_t offset) { return " at character " + std::to_string(offset + 1); }

// A change being read: its places as written and where it started.
struct PendingChange {
    std::uint16_t places = 0;
    std::size_t start = 0;
    bool open = false;
};

// Adds the places implied at the ends and checks that every run of bells
// between two places can be swapped in pairs.
std::string Complete(std::uint16_t written, int stage, std::size_t start, Change& out) {
    std::uint16_t places = written;
    int lowest = 0;
    while (!((places >> lowest) & 1)) ++lowest;
    if (lowest % 2 == 1) places |= 1;
    int highest = stage - 1;
    while (!((places >> highest) & 1)) --highest;
    if ((stage - 1 - highest) % 2 == 1) places |= static_cast<std::uint16_t>(1u << (stage - 1));
    int previous = -1;
    for (int p = 0; p < stage; ++p) {
        if (!((places >> p) & 1)) continue;
        if ((p - previous - 1) % 2 == 1) {
            return "places " + std::string(1, BellSymbol(previous + 1)) + " and " + BellSymbol(p + 1) + At(start) +
                   " leave an odd number of bells between them to swap";
        }
        previous = p;
    }
    out = Change{places, stage};
    return {};
}

// Reads one block (no commas) into changes.
std::string ReadBlock(std::string_view text, std::size_t offset, int stage, std::vector<Change>& out) {
    PendingChange pending;
    auto finish = [&]() -> std::string {
        if (!pending.open) return {};
        pending.open = false;
        Change change;
        std::string error = Complete(pending.places, stage, pending.start, change);
        if (error.empty()) out.push_back(change);
        return error;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const std::size_t where = offset + i;
        if (IsCross(c)) {
            if (auto error = finish(); !error.empty()) return error;
            if (stage % 2 == 1) {
                return "a cross" + At(where) + " needs an even number of bells, not " + std::to_string(stage);
            }
            out.push_back(Change{0, stage});
        } else if (c == '.' || std::isspace(static_cast<unsigned char>(c))) {
            if (auto error = finish(); !error.empty()) return error;
        } else if (const int bell = BellOfSymbol(c); bell != 0) {
            if (bell > stage) {
                return "place " + Quoted(c) + At(where) + " is above the stage of " + std::to_string(stage) + " bells";
            }
            if (!pending.open) pending = PendingChange{0, where, true};
            const auto bit = static_cast<std::uint16_t>(1u << (bell - 1));
            if (pending.places & bit) return "place " + Quoted(c) + At(where) + " is written twice in one change";
            pending.places |= bit;
        } else if (c == '&' || c == '+') {
            return Quoted(c) + At(where) + " may only start a block";
        } else {
            return "unknown character " + Quoted(c) + At(where);
        }
    }
    return finish();
}

void AppendPalindrome(std::vector<Change>& out, const std::vector<Change>& block) {
    out.insert(out.end(), block.begin(), block.end());
    if (block.size() > 1) out.insert(out.end(), block.rbegin() + 1, block.rend());
}

struct Block {
    std::string_view text;
    std::size_t offset;
    char prefix;  // '&', '+' or 0
};

std::vector<Block> SplitBlocks(std::string_view text) {
    std::vector<Block> blocks;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string_view::npos ? text.size() : comma;
        std::size_t first = start;
        while (first < end && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
        Block block{text.substr(first, end - first), first, 0};
        if (!block.text.empty() && (block.text[0] == '&' || block.text[0] == '+')) {
            block.prefix = block.text[0];
            block.text.remove_prefix(1);
            ++block.offset;
        }
        blocks.push_back(block);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return blocks;
}

// "&x1x1x1-2": the last '-' of a symmetric block written with x crosses
// separates the lead end.
void SplitDashedLeadEnd(std::vector<Block>& blocks) {
    if (blocks.size() != 1 || blocks[0].prefix != '&') return;
    const std::string_view text = blocks[0].text;
    if (text.find_first_of("xX") == std::string_view::npos) return;
    const std::size_t dash = text.rfind('-');
    if (dash == std::string_view::npos) return;
    Block leadEnd{text.substr(dash + 1), blocks[0].offset + dash + 1, '+'};
    blocks[0].text = text.substr(0, dash);
    blocks.push_back(leadEnd);
}

}  // namespace

ParsedNotation ParsePlaceNotation(std::string_view text, int stage) {
    ParsedNotation result;
    if (stage < kMinStage || stage > wire::kMaxBells) {
        result.error = "the stage must be " + std::to_string(kMinStage) + " to " + std::to_string(wire::kMaxBells) +
                       " bells, not " + std::to_string(stage);
        return result;
    }
    std::vector<Block> blocks = SplitBlocks(text);
    SplitDashedLeadEnd(blocks);
    bool anyPrefix = false;
    for (const Block& block : blocks) anyPrefix = anyPrefix || block.prefix != 0;
    if (blocks.size() == 1 && blocks[0].text.find_first_not_of(" \t") == std::string_view::npos) {
        result.error = "the place notation is empty";
        return result;
    }
    for (const Block& block : blocks) {
        std::vector<Change> changes;
        if (std::string error = ReadBlock(block.text, block.offset, stage, changes); !error.empty()) {
            result.error = error;
            return result;
        }
        if (changes.empty()) {
            result.error = "an empty block" + At(block.offset);
            return result;
        }
        const bool palindrome = anyPrefix ? block.prefix == '&' : blocks.size() > 1;
        if (palindrome) {
            AppendPalindrome(result.changes, changes);
        } else {
            result.changes.insert(result.changes.end(), changes.begin(), changes.end());
        }
    }
    return result;
}

ParsedNotation ParseChange(std::string_view text, int stage) {
    ParsedNotation result = ParsePlaceNotation(text, stage);
    if (result.Ok() && result.changes.size() != 1) result.error = "'" + std::string(text) + "' is not one change";
    return result;
}

std::string ChangeText(const Change& change) {
    if (change.places == 0) return "x";
    std::string text;
    for (int p = 0; p < change.stage; ++p) {
        if (change.MakesPlace(p)) text += BellSymbol(p + 1);
    }
    return text;
}

}  // namespace robot
