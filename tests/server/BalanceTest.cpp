// Latency balancing in the real server: what goes to a ringer on a fast link is
// held, every type of message alike and in order. Holds change at once here
// (--balance-drift-ms); a hold is judged by what another connection has
// meanwhile, or by nothing arriving within an eighth of it.
#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

using testsupport::Millis;

// Ann (bell 1, conducting) reports round trips of 10 ms, Cy (bell 3) of 600 ms
// and Ben (bell 2) of a second: what goes to Ann is held for 990 ms, to Cy for
// 400 ms, to Ben not at all.
class Balancing : public ServerTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartServer({"--balance-max-ms", "2000", "--balance-drift-ms", "1000000"}));
        ann_ = Enter("St Mary", "Ann", true, 1);
        ben_ = Enter("St Mary", "Ben", false, 2);
        ASSERT_EQ(NextRecord(ann_).name, "Ben");
        cy_ = Enter("St Mary", "Cy", false, 3);
        for (TestClient* present : {&ann_, &ben_}) ASSERT_EQ(NextRecord(*present).name, "Cy");
        Allocate(ann_, All(), 3, "Ann", "1", true);
        Allocate(ann_, All(), 3, "Ben", "2", false);
        Allocate(ann_, All(), 3, "Cy", "3", false);
        // A round trip is known from the third ping on.
        std::vector<int> rung;
        for (int i = 0; i < 3; ++i) rung.push_back(Ring(ben_, 2, 1000));
        for (int i = 0; i < 3; ++i) {
            rung.push_back(Ring(ann_, 1, 10));
            rung.push_back(Ring(cy_, 3, 600));
        }
        for (TestClient* held : {&ann_, &cy_}) ExpectStrikes(*held, rung);
        ASSERT_FALSE(HasFailure());
    }

    std::vector<TestClient*> All() { return {&ann_, &ben_, &cy_}; }

    // `from` strikes `bell`, reporting the ping `pingMs`, and Ben, never held,
    // gets it before anyone strikes again, so the server relays the strikes
    // in the order rung. Returns the strike's sequence number.
    int Ring(TestClient& from, int bell, int pingMs) {
        ++sequence_;
        from.Send(msg::Strike(bell, sequence_ % 2, sequence_, pingMs));
        ExpectStrikes(ben_, {sequence_});
        return sequence_;
    }

    // The next messages `client` gets are the strikes of these sequence numbers, in this order.
    static void ExpectStrikes(TestClient& client, const std::vector<int>& sequences) {
        for (const int sequence : sequences) {
            const auto strike = client.Receive();
            ASSERT_TRUE(strike && msg::TypeOf(*strike) == wire::strike::kType) << "strike " << sequence << " not next";
            EXPECT_EQ(strike->GetU16(wire::strike::kSequence), sequence);
        }
    }

    // Nothing comes for 50 ms: were Cy's copies not held for 400 ms, they would.
    static bool NothingYet(TestClient& client) { return !client.Receive(Millis(50)).has_value(); }

    TestClient ann_;
    TestClient ben_;
    TestClient cy_;
    int sequence_ = 0;
};

TEST_F(Balancing, HeldOutputKeepsItsOrderWhenAHoldShrinksAndAnAllocationNeverOvertakesAStrike) {
    // While Ben's strike waits for Ann, her link grows worse than the cap:
    // after her fourth such ping she is held no longer, yet nothing sent to
    // her afterwards overtakes what still waits.
    std::vector<int> rung{Ring(ben_, 2, 0)};
    for (int i = 0; i < 5; ++i) rung.push_back(Ring(ann_, 1, 5000));
    rung.push_back(Ring(ben_, 2, 0));
    for (TestClient* held : {&ann_, &cy_}) ExpectStrikes(*held, rung);

    // Now Ann gets Ben's next strike while Cy's copy still waits its 400 ms;
    // were Ann still held for 990 ms, Cy's would come first.
    const int next = Ring(ben_, 2, 0);
    ExpectStrikes(ann_, {next});
    EXPECT_TRUE(NothingYet(cy_)) << "Cy's copy should be held longer than Ann's";
    ExpectStrikes(cy_, {next});

    // An allocation never overtakes the strikes held before it.
    const int strike = Ring(ben_, 2, 0);
    ann_.Send(msg::RingerInfo(3, "Cy", "3", false));
    EXPECT_EQ(NextRecord(ben_).name, "Cy");
    EXPECT_TRUE(NothingYet(cy_)) << "Cy's copies should be held";
    for (TestClient* held : {&ann_, &cy_}) {
        ExpectStrikes(*held, {strike});
        EXPECT_EQ(NextRecord(*held).name, "Cy");
    }
}

}  // namespace
}  // namespace servertest
