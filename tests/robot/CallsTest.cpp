// What the robot hears. Calls: how it reads them, when they take effect
// (every ringer gets at least one whole row's warning of a Go), what each
// method's bobs and singles do at its lead ends, and tenors covering on odd
// stages. Chat lines addressed to it: what it makes of them and answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/robot/ChatCommand.h"
#include "tools/robot/MethodLibrary.h"
#include "tools/robot/RowGenerator.h"

namespace {

using robot::CallOutcome;
using robot::CallType;
using robot::HeardCall;
using robot::ReadCall;
using robot::RowGenerator;

struct ScriptedCall {
    long during;  // -1: before the first row
    std::string text;
};

// Rows 0 to lastRow rung from Look to, with calls heard during given rows
// ("-" once the bells stand).
std::vector<std::string> Ring(int towerBells, const std::vector<ScriptedCall>& calls, long lastRow) {
    RowGenerator rows(towerBells);
    rows.LookTo();
    std::vector<std::string> rung;
    std::size_t next = 0;
    for (long k = -1; k <= lastRow; ++k) {
        const auto row = k >= 0 ? rows.RowAt(k) : std::nullopt;
        if (k >= 0) rung.push_back(row ? row->Symbols() : "-");
        for (; next < calls.size() && calls[next].during == k; ++next) rows.Hear(*ReadCall(calls[next].text), k);
    }
    return rung;
}

TEST(CallText, ReadsCallsWhateverTheCaseSpacesAndFinalPunctuation) {
    EXPECT_EQ(ReadCall("  go.  "), (HeardCall{CallType::Go, ""}));
    EXPECT_EQ(ReadCall("GO  Cambridge Surprise Minor!"), (HeardCall{CallType::Go, "Cambridge Surprise Minor"}));
    EXPECT_EQ(ReadCall("That's All"), (HeardCall{CallType::ThatsAll, ""}));
    EXPECT_EQ(ReadCall("that\u2019s  all."), (HeardCall{CallType::ThatsAll, ""}));
    EXPECT_EQ(ReadCall("Here's treble"), (HeardCall{CallType::LookTo, ""}));
    EXPECT_EQ(ReadCall("Look to!"), (HeardCall{CallType::LookTo, ""}));
    EXPECT_EQ(ReadCall(" SINGLE? "), (HeardCall{CallType::Single, ""}));
    EXPECT_EQ(ReadCall("Stand"), (HeardCall{CallType::Stand, ""}));
    for (const char* other : {"Bob!!", "Bobby", "Going", "Stand next", "Thats all", "", "!", "Hello"}) {
        EXPECT_FALSE(ReadCall(other)) << other;
    }
}

TEST(Calls, EachTakesEffectAtItsRowAndMakesItsLeadHead) {
    // Go during row r starts the method at the first handstroke h >= r + 2. A
    // bob or single during row r takes the first lead end whose lead head is
    // row r + 1 or later. Stand ends at the first backstroke after the call;
    // That's All when rounds come up (row 61 in Plain Bob Minor from row 2).
    struct Case {
        int bells;
        std::vector<ScriptedCall> calls;
        long from;
        const char* rows;  // rows from `from` on
    };
    const std::string pbm = "Go Plain Bob Minor", gt = "Go Grandsire Triples", st = "Go Stedman Triples";
    const Case cases[] = {
        {6, {{4, pbm}}, 5, "123456 214365"},  // during a handstroke
        {6, {{5, pbm}}, 7, "123456 214365"},  // during a backstroke
        {6, {{-1, pbm}}, 1, "123456 214365"},
        {6, {{10, "Stand"}}, 11, "123456 -"},
        {6, {{11, "stand."}}, 13, "123456 -"},
        {6, {{0, pbm}}, 61, "123456 214365"},  // the method goes on past rounds
        {6, {{0, pbm}, {30, "That's All"}}, 61, "123456 123456 123456"},
        {6, {{0, pbm}, {60, "That's All"}}, 61, "123456 123456"},
        {6, {{0, pbm}, {20, "That's All"}, {63, pbm}}, 65, "123456 214365"},  // a new Go after it
        // Plain Bob Minor's lead heads are rows 13 and 25; the treble leads
        // at handstroke in row 12, so a bob called then still takes row 13.
        {6, {{0, pbm}}, 13, "135264"},
        {6, {{0, pbm}, {12, "Bob"}}, 13, "123564"},
        {6, {{0, pbm}, {13, "Bob"}}, 13, "135264"},
        {6, {{0, pbm}, {13, "Bob"}}, 25, "135642"},
        {6, {{0, pbm}, {10, "Single"}}, 13, "132564"},
        {8, {{0, "Go Plain Bob Major"}, {3, "Bob"}}, 17, "12357486"},
        {8, {{0, "Go Plain Bob Major"}, {3, "Single"}}, 17, "13257486"},
        // Lead end 1n: bob 1(n-2), single 1(n-2)(n-1)n.
        {6, {{0, "Go Kent Treble Bob Minor"}, {20, "Bob"}}, 25, "142356"},
        {6, {{0, "Go Kent Treble Bob Minor"}, {20, "Single"}}, 25, "142365"},
        // Grandsire: 3rds made at the handstroke before the lead end.
        {8, {{0, gt}}, 15, "12537468"},
        {8, {{0, gt}, {12, "Bob"}}, 13, "51726348 15762438 17526348"},
        {8, {{0, gt}, {12, "Single"}}, 14, "15762438 15726348"},
        {5, {{0, "Go Grandsire Doubles"}, {2, "Bob"}}, 11, "14523"},
        {5, {{0, "Go Grandsire Doubles"}, {2, "Single"}}, 11, "15423"},
        // Stedman's six ends are rows 4, 10, ...; a call during one waits for the next.
        {8, {{0, st}}, 10, "43627158"},
        {8, {{0, st}, {2, "Bob"}}, 4, "32415768"},
        {8, {{0, st}, {4, "Single"}}, 4, "32416578"},
        {8, {{0, st}, {4, "Single"}}, 10, "43621758"},
        // Doubles on six, the tenor covering.
        {6, {{0, "Go Plain Bob Doubles"}}, 11, "135246"},
        {6, {{0, "Go Plain Bob Doubles"}, {5, "Bob"}}, 11, "123546"},
        {6, {{0, "Go Plain Bob Doubles"}, {5, "Single"}}, 11, "132456"},
        {6, {{0, "Go Plain Bob Doubles"}}, 41, "123456 214356"},  // rounds at the course's end
    };
    for (const Case& c : cases) {
        const long last = c.from + static_cast<long>(std::ranges::count(std::string_view(c.rows), ' '));
        const std::vector<std::string> rung = Ring(c.bells, c.calls, last);
        std::string rows = rung[c.from];
        for (long k = c.from + 1; k <= last; ++k) rows += " " + rung[k];
        EXPECT_EQ(rows, c.rows) << c.calls.back().text << " during " << c.calls.back().during;
    }
}

TEST(Calls, ThoseThatDoNotFitTheMomentAreRefused) {
    RowGenerator rows(6);
    EXPECT_EQ(rows.Hear(*ReadCall("Go"), 0), CallOutcome::Ignored);  // before Look to
    rows.LookTo();
    EXPECT_EQ(rows.Hear(*ReadCall("Go"), 0), CallOutcome::UnknownMethod);  // no method chosen
    EXPECT_EQ(rows.Hear(*ReadCall("Bob"), 1), CallOutcome::Ignored);       // in rounds
    EXPECT_EQ(rows.Hear(*ReadCall("That's all"), 1), CallOutcome::Ignored);
    EXPECT_EQ(rows.Hear(*ReadCall("Go Bristol Surprise Major"), 2), CallOutcome::MethodMisfits);
    EXPECT_EQ(rows.Hear(*ReadCall("Go Plain Bob Minimus"), 2), CallOutcome::UnknownMethod);
    EXPECT_EQ(rows.Hear(*ReadCall("Go Stedman Doubles"), 2), CallOutcome::MethodStarts);
    EXPECT_EQ(rows.Hear(*ReadCall("Go Plain Bob Doubles"), 3), CallOutcome::Ignored);  // already going
    EXPECT_EQ(rows.Hear(*ReadCall("Bob"), 5), CallOutcome::NoSuchCall);
    EXPECT_EQ(rows.Hear(*ReadCall("Single"), 5), CallOutcome::CallTaken);
    EXPECT_EQ(rows.EffectRow(), 6);
    // Look to after standing rings rounds from row 0 again.
    EXPECT_EQ(rows.Hear(*ReadCall("Stand"), 7), CallOutcome::Stands);
    rows.LookTo();
    EXPECT_EQ(rows.RowAt(40)->Symbols(), "123456");
}

TEST(Calls, RowsAskedForEarlyAreRemadeByALaterCall) {
    RowGenerator rows(6);
    rows.LookTo();
    rows.Hear(*ReadCall("Go Plain Bob Minor"), 0);
    ASSERT_EQ(rows.RowAt(13)->Symbols(), "135264");  // looked ahead past the lead end
    rows.Hear(*ReadCall("Bob"), 10);
    EXPECT_EQ(rows.RowAt(12)->Symbols(), "132546");
    EXPECT_EQ(rows.RowAt(13)->Symbols(), "123564");
}

TEST(ChatCommand, OnlyLinesAddressedToTheRobotAreCommands) {
    using Command = robot::ChatCommand;
    using enum robot::ChatCommandType;
    const auto read = [](const char* line) { return robot::ReadChatCommand("Robot", line); };
    EXPECT_EQ(read("Robot: method Cambridge Surprise Minor"), (Command{Method, "Cambridge Surprise Minor"}));
    EXPECT_EQ(read("  robot :  INTERVAL  250 "), (Command{Interval, "250"}));
    EXPECT_EQ(read("ROBOT: Leave"), (Command{Leave, ""}));
    EXPECT_EQ(read("Robot: dance"), (Command{Unknown, "dance"}));
    EXPECT_EQ(read("Robot: method"), (Command{Unknown, "method"}));
    EXPECT_EQ(read("Robot: leave now"), (Command{Unknown, "leave now"}));
    EXPECT_EQ(robot::ReadChatCommand("Bot 2", "bot 2: leave"), (Command{Leave, ""}));
    for (const char* other : {"Robot", "Robot method x", "Robots: leave", "Hi Robot: leave", "Rob: leave", ""})
        EXPECT_FALSE(read(other)) << other;
}

TEST(ChatCommand, CommandsChangeTheRobotAndRefusalsSayWhyAndChangeNothing) {
    robot::RobotRinger ringer(6);
    auto obey = [&](const char* line) { return robot::Obey(*robot::ReadChatCommand("Robot", line), ringer); };
    obey("Robot: method Stedman");
    EXPECT_EQ(ringer.NextMethod().value().name, "Stedman Doubles");  // the stage that fits the tower
    EXPECT_EQ(obey("Robot: method Bristol Surprise Major").text, "Bristol Surprise Major is not for 6 bells.");
    EXPECT_EQ(obey("Robot: method Nonesuch Minor").text, "I don't know the method \"Nonesuch Minor\".");
    EXPECT_EQ(ringer.NextMethod().value().name, "Stedman Doubles");
    obey("Robot: interval 250");
    for (const char* wrong : {"Robot: interval", "Robot: interval 99", "Robot: interval 2001", "Robot: interval 25O"}) {
        EXPECT_EQ(obey(wrong).text, "The interval is a whole number of milliseconds from 100 to 2000.") << wrong;
    }
    EXPECT_DOUBLE_EQ(ringer.IntervalMs(), 250);
    EXPECT_TRUE(obey("Robot: leave").leave);
    EXPECT_FALSE(obey("Robot: sing").leave);
    EXPECT_EQ(obey("Robot: sing").text, "I understand: method NAME, interval MS, leave.");
}

}  // namespace
