#include "lobby/RingerOrder.h"

#include <string_view>

#include "tower/RingerTable.h"

namespace {

// Every occurrence of `from` replaced by the single character `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, char to) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at, from.size()) == from) {
            result += to;
            at += from.size();
        } else {
            result += text[at++];
        }
    }
    return result;
}

// Makes byte order agree with bell order: bell 10's "0" becomes "A", which
// sorts after "9" and before "E" and "T"; the marker becomes "Z", after all.
std::string SortKey(std::string_view text) { return ReplaceAll(ReplaceAll(text, kConductorMarker, 'Z'), "0", 'A'); }

}  // namespace

std::string BellsColumnText(const std::string& bells, bool conductor) {
    return conductor ? bells + kConductorMarker : bells;
}

int CompareBellsColumnTexts(std::string text1, std::string text2) {
    text1 = SortKey(text1);
    text2 = SortKey(text2);
    const int order = CompareNames(text1, text2);
    if (order == 0) {
        return 0;
    }
    if (text1.empty()) {
        return 1;
    }
    if (text2.empty()) {
        return -1;
    }
    return order;
}
