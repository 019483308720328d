// The Bells dialog's rules without the dialog: the tally of a choice, the
// self-appointment of whoever opens it, and the records an allocation sends.
#include "tests/session/SessionFixture.h"

namespace {

using Chosen = std::array<std::string, 12>;
using testsupport::SessionTest;

class AllocationTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        Enter("Ann", 6, {{"Ann", ""}, {"Ben", ""}, {"Cy", ""}, {"Di", ""}, {"Ed", ""}, {"Flo", ""}});
    }
    AllocationResult Tally(const Chosen& chosen) { return TallyAllocation(chosen, session.ringers.ringers); }
    std::vector<wire::RingerInfo> SentRecords() {
        std::vector<wire::RingerInfo> records;
        for (const MessageBuffer& m : sent.messages) records.push_back(*wire::ReadRingerInfo(m.Bytes()));
        return records;
    }
};

TEST_F(AllocationTest, BellsFromOneUpCountAndEachRingersBellsGoLowestFirst) {
    const AllocationResult six = Tally({"Ann", "Ben", "Cy", "Di", "Ed", "Flo"});
    EXPECT_TRUE(six.valid);
    EXPECT_EQ(six.bellCount, 6);
    EXPECT_EQ(six.tally.at("Flo"), "6");
    const AllocationResult twelve =
        Tally({"Cy", "Ann", "Cy", "Ben", "Cy", "Ann", "Ann", "Ann", "Ann", "Ed", "Ed", "Ed"});
    EXPECT_EQ(twelve.bellCount, 12);
    EXPECT_EQ(twelve.tally.at("Cy"), "135");
    EXPECT_EQ(twelve.tally.at("Ed"), "0ET");
    EXPECT_EQ(twelve.tally.at("Di"), "");
    // The bells of a ringer who left meanwhile count but go to nobody.
    const AllocationResult gone = Tally({"Ann", "Gone", "Ben"});
    EXPECT_EQ(gone.bellCount, 3);
    EXPECT_EQ(gone.tally.count("Gone"), 0u);
}

TEST_F(AllocationTest, AGapIsReportedOncePerLaterBellAndNoBellAtAllIsAGapToo) {
    const AllocationResult gap = Tally({"Ann", "Ben", "Cy", "Di", "", "Ed", "", "Flo"});
    EXPECT_FALSE(gap.valid);
    EXPECT_EQ(gap.gapMessages, 2);
    EXPECT_EQ(Tally({"", "Ann"}).gapMessages, 1);
    EXPECT_EQ(Tally({}).gapMessages, 1);
}

TEST_F(AllocationTest, WhoeverOpensTheDialogConductsAndOkRewritesEveryRecordInNameOrder) {
    Info(6, "Ann", "12");
    session.AppointSelf();
    session.AppointSelf();  // told the server once
    EXPECT_EQ(SentRecords(), (std::vector<wire::RingerInfo>{{6, "Ann", "12", true}}));
    sent.messages.clear();
    const AllocationResult allocation = Tally({"Ben", "Ann", "ben"});
    Info(6, "Zed", "4");  // arrived while the dialog was open
    Info(6, "ben", "");   // another ringer, only by letter case
    session.ApplyAllocation(allocation, "Ben");
    EXPECT_EQ(session.bellCount, 3);
    session.SendAllocation();
    const std::vector<wire::RingerInfo> expected = {
        {3, "Ann", "2", false}, {3, "Ben", "1", true}, {3, "Cy", "", false},  {3, "Di", "", false},
        {3, "Ed", "", false},   {3, "Flo", "", false}, {3, "Zed", "", false}, {3, "ben", "", false}};
    EXPECT_EQ(SentRecords(), expected);
}

}  // namespace
