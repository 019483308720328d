// What a scripted server says to a window in a tower, and reading what the
// window sends back.
//
//   WindowUnderTest w;
//   ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "34"}, {"Ben", "1256"}}));
//   w.Window().slots[...].upperButton->Click();
//   std::vector<MessageBuffer> sent = TakeMessages(w, 1);
//   w.SendAndWait(sent[0], [&] { return SlotOfBell(w.Window(), 3)->stroke == 1; });
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/TowerWindow.h"
#include "net/Messages.h"
#include "platform/Controls.h"
#include "tests/client/support/ClientHarness.h"
#include "tests/support/TestMessages.h"

class BellsDialog;
class JoinTowerDialog;

namespace testsupport {

// Messages of the server, laid out as the server sends them.
MessageBuffer TowerListEntryMessage(int towerCount, std::string_view tower, std::string_view description);
MessageBuffer TowerEnteredMessage(std::string_view tower);
MessageBuffer RingerInfoMessage(int bellCount, std::string_view ringer, std::string_view bells,
                                bool conductor = false);
MessageBuffer RingerLeftMessage(std::string_view ringer);
MessageBuffer ChatMessage(std::string_view ringer, std::string_view line);
MessageBuffer CallMessage(std::string_view text);
// A strike as relayed; a length of 10 or 12 stops before the sequence
// number or the ping.
MessageBuffer StrikeMessage(int bell, int stroke, int sequence = 0, int ping = 0,
                            int length = wire::strike::kSize);

struct RingerSpec {
    std::string name;
    std::string bells;
    bool conductor = false;
};

// Waits for the window's connection, takes its Hello, makes ownName the
// user's name and admits the window to `tower`, announcing the ringers in
// the order given with this bell count. True once the window has taken in
// the last record.
bool EnterTower(WindowUnderTest& w, const std::string& ownName, int bellCount,
                const std::vector<RingerSpec>& ringers, const std::string& tower = "St Mary");

// The next `count` whole messages the window sends (fewer when they do not
// come within the timeout).
std::vector<MessageBuffer> TakeMessages(WindowUnderTest& w, std::size_t count, int timeoutMs = 5000);
// Every whole message the window sends within the given time.
std::vector<MessageBuffer> TakeMessagesWithin(WindowUnderTest& w, int ms);

// A strike as the client sent it: all four fields.
struct StrikeFields {
    int bell, stroke, sequence, ping;
    friend bool operator==(const StrikeFields&, const StrikeFields&) = default;
};
StrikeFields ReadStrike(const MessageBuffer& message);
using RingerFields = testsupport::msg::RingerRecord;
using testsupport::msg::ReadRingerInfo;
using testsupport::msg::TypeOf;

// The ringers list from the top, one "name|bells column" line per row
// ("|ping column" added when asked).
std::vector<std::string> Rows(TowerWindow& window, bool withPing = false);
// A dialog action that runs the body on the Start/Join dialog; another
// dialog, or the dialog still open afterwards, is a failure, and the dialog
// is cancelled so that the test goes on.
DialogScript::Action OnJoinDialog(std::function<void(JoinTowerDialog&)> body);
// The column that shows this bell, or nullptr.
BellSlot* SlotOfBell(TowerWindow& window, int bell);
// The ringers list's text of the ringer's row in the given column; "" when
// the ringer has no row.
std::string RingerCell(TowerWindow& window, const std::string& name, int column);

// Selects the entry with exactly this text; false when there is none.
bool ChooseEntry(platform::ComboBox& combo, const std::string& text);
// Picks the ringer for each bell from 1 up (byBell[n - 1], "" for the empty
// entry); bells beyond the list are left empty. False when a name is missing.
bool ChooseBells(BellsDialog& dialog, const std::vector<std::string>& byBell);

// A main window of its own, connected (through -l) to a server on the
// given loopback port, for tests against the real server.
std::unique_ptr<TowerWindow> OpenWindowOn(std::uint16_t port);

// Opens a window on the real server and takes it into `tower` as `name`
// through the Start/Join dialog: it starts the tower when the server does not
// list it and joins it otherwise. Nullptr when the window does not get in.
std::unique_ptr<TowerWindow> EnterRealTower(std::uint16_t port, DialogScript& script, const std::string& name,
                                            const std::string& tower);

// Presses the window's Bells button and allocates the bells in the dialog
// (byBell as for ChooseBells; an empty conductor keeps the dialog's choice).
// False when the dialog did not close with OK.
bool AllocateBells(TowerWindow& window, DialogScript& script, const std::vector<std::string>& byBell,
                   const std::string& conductor = "");

// Clicks the button to ring next of one of the striker's bells and waits
// until the strike has moved that bell in every window given. False when
// the bell is not laid out or the strike does not arrive everywhere.
bool RingAndWait(TowerWindow& striker, int bell, const std::vector<TowerWindow*>& everyone);

}  // namespace testsupport
