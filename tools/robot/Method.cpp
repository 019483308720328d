#include "tools/robot/Method.h"

#include <array>

namespace robot {

namespace {

constexpr std::array<std::string_view, 13> kStageNames = {
    "", "", "", "Singles", "Minimus", "Doubles", "Minor", "Triples", "Major", "Caters", "Royal", "Cinques", "Maximus"};

std::string Places(std::initializer_list<int> places) {
    std::string text;
    for (int place : places) text += BellSymbol(place);
    return text;
}

// Parses call notation that the method's own stage makes valid.
std::vector<Change> Changes(std::initializer_list<std::string> texts, int stage) {
    std::vector<Change> changes;
    for (const std::string& text : texts) changes.push_back(ParseChange(text, stage).changes.at(0));
    return changes;
}

void AddLeadEndCalls(Method& method) {
    const int n = method.stage;
    const int last = static_cast<int>(method.lead.size()) - 1;
    const std::string leadEnd = ChangeText(method.lead.back());
    const std::string twelve = ChangeText(ParseChange("12", n).changes.at(0));
    if (leadEnd == twelve) {
        method.bob = CallChanges{{last}, Changes({"14"}, n)};
        // On five bells 1234 would make every place; the single there is 123.
        method.single = CallChanges{{last}, Changes({n == 5 ? "123" : "1234"}, n)};
    } else if (n % 2 == 0 && n >= 6 && leadEnd == Places({1, n})) {
        method.bob = CallChanges{{last}, Changes({Places({1, n - 2})}, n)};
        method.single = CallChanges{{last}, Changes({Places({1, n - 2, n - 1, n})}, n)};
    }
}

void AddGrandsireCalls(Method& method) {
    const int at = static_cast<int>(method.lead.size()) - 2;
    method.bob = CallChanges{{at}, Changes({"3", "1"}, method.stage)};
    method.single = CallChanges{{at}, Changes({"3", "123"}, method.stage)};
}

void AddStedmanCalls(Method& method) {
    const int n = method.stage;
    const Change sixEnd = ParseChange(Places({n}), n).changes.at(0);
    std::vector<int> sixEnds;
    for (int i = 0; i < static_cast<int>(method.lead.size()); ++i) {
        if (method.lead[i] == sixEnd) sixEnds.push_back(i);
    }
    if (n >= 7) method.bob = CallChanges{sixEnds, Changes({Places({n - 2})}, n)};
    method.single = CallChanges{sixEnds, Changes({Places({n - 2, n - 1, n})}, n)};
}

}  // namespace

std::string_view StageName(int stage) {
    return stage >= 0 && stage < static_cast<int>(kStageNames.size()) ? kStageNames[stage] : "";
}

Row Method::LeadHead() const {
    Row row = Row::Rounds(stage);
    for (const Change& change : lead) row.Apply(change);
    return row;
}

int Method::PlainCourseLength() const {
    constexpr int kMostLeads = 100;
    Row row = Row::Rounds(stage);
    int rows = 0;
    for (int leads = 0; leads < kMostLeads; ++leads) {
        for (const Change& change : lead) {
            row.Apply(change);
            ++rows;
        }
        if (row.IsRounds()) return rows;
    }
    return 0;
}

BuiltMethod MakeMethod(std::string name, int stage, std::string_view notation, CallStyle style) {
    ParsedNotation parsed = ParsePlaceNotation(notation, stage);
    if (!parsed.Ok()) return {std::nullopt, parsed.error};
    Method method{std::move(name), stage, std::move(parsed.changes), std::nullopt, std::nullopt};
    switch (style) {
    case CallStyle::LeadEnd: AddLeadEndCalls(method); break;
    case CallStyle::Grandsire:
        if (method.lead.size() >= 2) AddGrandsireCalls(method);
        break;
    case CallStyle::Stedman:
        if (stage >= 5) AddStedmanCalls(method);
        break;
    }
    return {std::move(method), {}};
}

}  // namespace robot
