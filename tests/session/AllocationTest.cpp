// The Bells dialog's rules without the dialog: the tally of a choice, the
// self-appointment of whoever opens it, and the records an allocation sends.
#include "tests/session/SessionFixture.h"

namespace {

using Chosen = std::array<std::string, 12>;
using testsupport::SessionTest;

TEST_F(SessionTest, BellsFromOneUpCountEachRingersGoLowestFirstAndEachGapIsReported) {
    Enter("Ann", 6, {{"Ann", ""}, {"Ben", ""}, {"Cy", ""}, {"Di", ""}, {"Ed", ""}, {"Flo", ""}});
    // Bells, gap messages: each ringer=their bells.
    const auto tally = [&](const Chosen& chosen) {
        const AllocationResult result = TallyAllocation(chosen, session.ringers.ringers);
        std::string text = std::to_string(result.bellCount) + ", " + std::to_string(result.gapMessages) + ":";
        for (const auto& [name, bells] : result.tally) text += " " + name + "=" + bells;
        return text;
    };
    const std::vector<std::pair<Chosen, std::string>> cases = {
        {{"Ann", "Ben", "Cy", "Di", "Ed", "Flo"}, "6, 0: Ann=1 Ben=2 Cy=3 Di=4 Ed=5 Flo=6"},
        {{"Cy", "Ann", "Cy", "Ben", "Cy", "Ann", "Ann", "Ann", "Ann", "Ed", "Ed", "Ed"},
         "12, 0: Ann=26789 Ben=4 Cy=135 Di= Ed=0ET Flo="},
        {{"Ann", "Gone", "Ben"}, "3, 0: Ann=1 Ben=3 Cy= Di= Ed= Flo="},  // who left meanwhile: counted, nobody's
        // A gap once per later bell; no bell at all is a gap too.
        {{"Ann", "Ben", "Cy", "Di", "", "Ed", "", "Flo"}, "4, 2: Ann=1 Ben=2 Cy=3 Di=4 Ed= Flo="},
        {{"", "Ann"}, "0, 1: Ann= Ben= Cy= Di= Ed= Flo="},
        {{}, "0, 1: Ann= Ben= Cy= Di= Ed= Flo="},
    };
    for (const auto& [chosen, tallied] : cases) EXPECT_EQ(tally(chosen), tallied);
}

TEST_F(SessionTest, WhoeverOpensTheDialogConductsAndOkRewritesEveryRecordInNameOrder) {
    const auto sentRecords = [&] {
        std::vector<wire::RingerInfo> records;
        for (const MessageBuffer& m : sent.messages) records.push_back(*wire::ReadRingerInfo(m.Bytes()));
        return records;
    };
    Enter("Ann", 6, {{"Ann", "12"}, {"Ben", ""}, {"Cy", ""}, {"Di", ""}, {"Ed", ""}, {"Flo", ""}});
    session.AppointSelf();
    session.AppointSelf();  // told the server once
    EXPECT_EQ(sentRecords(), (std::vector<wire::RingerInfo>{{6, "Ann", "12", true}}));
    sent.messages.clear();
    const AllocationResult allocation = TallyAllocation({"Ben", "Ann", "ben"}, session.ringers.ringers);
    Info(6, "Zed", "4");  // arrived while the dialog was open
    Info(6, "ben", "");   // another ringer, only by letter case
    session.ApplyAllocation(allocation, "Ben");
    EXPECT_EQ(session.bellCount, 3);
    session.SendAllocation();
    const std::vector<wire::RingerInfo> expected = {
        {3, "Ann", "2", false}, {3, "Ben", "1", true}, {3, "Cy", "", false},  {3, "Di", "", false},
        {3, "Ed", "", false},   {3, "Flo", "", false}, {3, "Zed", "", false}, {3, "ben", "", false}};
    EXPECT_EQ(sentRecords(), expected);
}

}  // namespace
