#include "tools/robot/MethodLibrary.h"

#include <cctype>

#include "tools/robot/Text.h"

namespace robot {

namespace {

using enum CallStyle;

// Standard published notations; a palindrome and its lead end after the comma.
const std::vector<LibraryEntry> kTable = {
    {"Plain Bob", 5, "5.1.5.1.5,125", LeadEnd},
    {"Plain Bob", 6, "x16x16x16,12", LeadEnd},
    {"Plain Bob", 7, "7.1.7.1.7.1.7,127", LeadEnd},
    {"Plain Bob", 8, "x18x18x18x18,12", LeadEnd},
    {"Plain Bob", 9, "9.1.9.1.9.1.9.1.9,129", LeadEnd},
    {"Plain Bob", 10, "x10x10x10x10x10,12", LeadEnd},
    {"Plain Bob", 11, "E.1.E.1.E.1.E.1.E.1.E,12E", LeadEnd},
    {"Plain Bob", 12, "x1Tx1Tx1Tx1Tx1Tx1T,12", LeadEnd},
    {"Grandsire", 5, "3,1.5.1.5.1", Grandsire},
    {"Grandsire", 7, "3,1.7.1.7.1.7.1", Grandsire},
    {"Grandsire", 9, "3,1.9.1.9.1.9.1.9.1", Grandsire},
    {"Grandsire", 11, "3,1.E.1.E.1.E.1.E.1.E.1", Grandsire},
    {"Stedman", 5, "3.1.5.3.1.3,1", Stedman},
    {"Stedman", 7, "3.1.7.3.1.3,1", Stedman},
    {"Little Bob", 6, "x16x14,12", LeadEnd},
    {"Little Bob", 8, "x18x14,12", LeadEnd},
    {"Kent Treble Bob", 6, "34x34.16x12x16x12x16,16", LeadEnd},
    {"Kent Treble Bob", 8, "34x34.18x12x18x12x18x12x18,18", LeadEnd},
    {"Oxford Treble Bob", 6, "x34x16x12x16x12x16,16", LeadEnd},
    {"Oxford Treble Bob", 8, "x34x18x12x18x12x18x12x18,18", LeadEnd},
    {"St Clement's College Bob", 6, "x16x36x36,12", LeadEnd},
    {"Double Norwich Court Bob", 8, "x14x36x58x18,18", LeadEnd},
    {"Cambridge Surprise", 6, "x36x14x12x36x14x56,12", LeadEnd},
    {"Cambridge Surprise", 8, "x38x14x1258x36x14x58x16x78,12", LeadEnd},
    {"Cambridge Surprise", 10, "x30x14x1250x36x1470x58x16x70x18x90,12", LeadEnd},
    {"Cambridge Surprise", 12, "x3Tx14x125Tx36x147Tx58x169Tx70x18x9Tx10xET,12", LeadEnd},
    {"Yorkshire Surprise", 8, "x38x14x58x16x12x38x14x78,12", LeadEnd},
    {"Yorkshire Surprise", 10, "x30x14x50x16x1270x38x14x50x16x90,12", LeadEnd},
    {"Yorkshire Surprise", 12, "x3Tx14x5Tx16x127Tx38x149Tx50x16x7Tx18xET,12", LeadEnd},
    {"Lincolnshire Surprise", 8, "x38x14x58x16x14x58x36x78,12", LeadEnd},
    {"Superlative Surprise", 8, "x36x14x58x36x14x58x36x78,12", LeadEnd},
    {"Rutland Surprise", 8, "x38x14x58x16x14x38x34x18,12", LeadEnd},
    {"London Surprise", 8, "38x38.14x12x38.14x14.58.16x16.58,12", LeadEnd},
    {"Pudsey Surprise", 8, "x58x16x12x38x14x58x16x78,12", LeadEnd},
    {"Bristol Surprise", 8, "x58x14.58x58.36.14x14.58x14x18,18", LeadEnd},
    {"Bristol Surprise", 10, "x50x14.50x50.36.14x70.58.16x16.70x16x10,10", LeadEnd},
    {"Bristol Surprise", 12, "x5Tx14.5Tx5T.36.14x7T.58.16x9T.70.18x18.9Tx18x1T,1T", LeadEnd},
};

// Lower case, single spaces, no apostrophes or full stops, trimmed.
std::string Normalised(std::string_view text) {
    std::string out;
    bool space = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\'' || c == '.') continue;
        if (text.substr(i, kCurlyApostrophe.size()) == kCurlyApostrophe) {
            i += kCurlyApostrophe.size() - 1;
            continue;
        }
        if (std::isspace(c)) {
            space = !out.empty();
            continue;
        }
        if (space) out += ' ';
        space = false;
        out += static_cast<char>(std::tolower(c));
    }
    return out;
}

std::optional<Method> Build(const LibraryEntry& entry) {
    BuiltMethod built = MakeMethod(FullName(entry), entry.stage, entry.notation, entry.calls);
    return built.method;
}

}  // namespace

const std::vector<LibraryEntry>& MethodTable() { return kTable; }

std::string FullName(const LibraryEntry& entry) {
    return std::string(entry.name) + " " + std::string(StageName(entry.stage));
}

std::optional<Method> FindMethod(std::string_view name, int towerBells) {
    const std::string wanted = Normalised(name);
    for (const LibraryEntry& entry : kTable) {
        if (Normalised(FullName(entry)) == wanted) return Build(entry);
    }
    // Without a stage: the tower's own, else one fewer with a cover.
    for (int stage : {towerBells, towerBells - 1}) {
        for (const LibraryEntry& entry : kTable) {
            if (entry.stage == stage && Normalised(entry.name) == wanted) return Build(entry);
        }
    }
    return std::nullopt;
}

std::optional<std::string> KnownMethodName(std::string_view name) {
    const std::string wanted = Normalised(name);
    for (const LibraryEntry& entry : kTable) {
        if (Normalised(FullName(entry)) == wanted) return FullName(entry);
        if (Normalised(entry.name) == wanted) return std::string(entry.name);
    }
    return std::nullopt;
}

}  // namespace robot
