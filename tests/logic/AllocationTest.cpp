#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tower/Allocation.h"

namespace {

using Chosen = std::array<std::string, 12>;

class AllocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"Ann", "Ben", "Cy", "Di", "Ed", "Flo"}) {
            table.AddRinger(name, "", false);
        }
    }
    RingerTable table;
};

TEST_F(AllocationTest, SixBellsFromBellOne) {
    const Chosen chosen = {"Ann", "Ben", "Cy", "Di", "Ed", "Flo"};
    const AllocationResult result = TallyAllocation(chosen, table.ringers);
    EXPECT_TRUE(result.valid);
    EXPECT_EQ(result.gapMessages, 0);
    EXPECT_EQ(result.bellCount, 6);
    EXPECT_EQ(result.tally.at("Ann"), "1");
    EXPECT_EQ(result.tally.at("Flo"), "6");
}

TEST_F(AllocationTest, AllTwelveBells) {
    const Chosen chosen = {"Ann", "Ben", "Cy", "Di", "Ed", "Flo", "Ann", "Ben", "Cy", "Di", "Ed", "Flo"};
    const AllocationResult result = TallyAllocation(chosen, table.ringers);
    EXPECT_TRUE(result.valid);
    EXPECT_EQ(result.bellCount, 12);
    EXPECT_EQ(result.tally.at("Ann"), "17");
    EXPECT_EQ(result.tally.at("Di"), "40");
    EXPECT_EQ(result.tally.at("Flo"), "6T");
}

TEST_F(AllocationTest, EachBellAfterAGapShowsTheMessageOnce) {
    const Chosen gapAtFive = {"Ann", "Ben", "Cy", "Di", "", "Ed", "", "Flo"};
    const AllocationResult result = TallyAllocation(gapAtFive, table.ringers);
    EXPECT_FALSE(result.valid);
    EXPECT_EQ(result.gapMessages, 2);

    const Chosen noBellOne = {"", "Ann"};
    const AllocationResult second = TallyAllocation(noBellOne, table.ringers);
    EXPECT_FALSE(second.valid);
    EXPECT_EQ(second.gapMessages, 1);
}

TEST_F(AllocationTest, NoBellAtAllIsRefusedWithOneMessage) {
    const AllocationResult result = TallyAllocation(Chosen{}, table.ringers);
    EXPECT_FALSE(result.valid);
    EXPECT_EQ(result.gapMessages, 1);
    EXPECT_EQ(std::string(kAllocationGapMessage), "A continuous set of bells starting with 1 must be selected");
}

TEST_F(AllocationTest, BellStringsListBellsFromTheLowestUp) {
    const Chosen chosen = {"Cy", "Ann", "Cy", "Ben", "Cy"};
    const AllocationResult result = TallyAllocation(chosen, table.ringers);
    ASSERT_TRUE(result.valid);
    EXPECT_EQ(result.bellCount, 5);
    EXPECT_EQ(result.tally.at("Cy"), "135");
    EXPECT_EQ(result.tally.at("Di"), "");  // takes no bell

    const Chosen back = {"Ann", "Ann", "Ann", "Ann", "Ann", "Ann", "Ann", "Ann", "Ann", "Ed", "Ed", "Ed"};
    EXPECT_EQ(TallyAllocation(back, table.ringers).tally.at("Ed"), "0ET");
}

TEST_F(AllocationTest, BellsOfARingerWhoLeftCountButGoToNobody) {
    const Chosen chosen = {"Ann", "Gone", "Ben"};
    const AllocationResult result = TallyAllocation(chosen, table.ringers);
    ASSERT_TRUE(result.valid);
    EXPECT_EQ(result.bellCount, 3);
    EXPECT_EQ(result.tally.count("Gone"), 0u);
    EXPECT_EQ(result.tally.at("Ben"), "3");
}

TEST_F(AllocationTest, ApplyingRewritesEveryRingerAndNamesOnlyTheChosenConductor) {
    table.FindRinger("Ann")->conductor = true;
    table.FindRinger("Di")->bells = "9";
    const Chosen chosen = {"Ben", "Ann"};
    const AllocationResult result = TallyAllocation(chosen, table.ringers);
    ASSERT_TRUE(result.valid);

    table.AddRinger("Zed", "4", false);  // arrived while the dialog was open
    table.AddRinger("ben", "", false);   // another ringer, only by letter case
    ApplyAllocation(result, "Ben", table.ringers);

    EXPECT_EQ(table.FindRinger("Ben")->bells, "1");
    EXPECT_TRUE(table.FindRinger("Ben")->conductor);
    EXPECT_EQ(table.FindRinger("Ann")->bells, "2");
    EXPECT_FALSE(table.FindRinger("Ann")->conductor);
    EXPECT_EQ(table.FindRinger("Di")->bells, "");
    EXPECT_EQ(table.FindRinger("Zed")->bells, "");
    EXPECT_FALSE(table.FindRinger("ben")->conductor);

    ApplyAllocation(result, "", table.ringers);  // nobody chosen to conduct
    for (const auto& [name, ringer] : table.ringers) {
        EXPECT_FALSE(ringer.conductor) << name;
    }
}

}  // namespace
