// The robot as a ringer in a tower: it says Hello, joins the tower (or
// starts it), follows the tower through a TowerSession, rings the bells that
// the tower's records give its name with a RobotRinger, obeys the
// conductor's calls and answers chat lines addressed to it.
//
// It is fed the server's messages and the time they arrived; what it sends
// goes to the sink, what it reports to `out`. No socket and no clock.
#pragma once

#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "net/ServerDispatch.h"
#include "tools/robot/RobotOptions.h"
#include "tools/robot/RobotRinger.h"
#include "tower/TowerSession.h"

namespace robot {

class RobotClient final : public wire::ServerMessageHandler {
public:
    using Clock = std::chrono::steady_clock;

    RobotClient(const RobotOptions& options, OutgoingSink& sink, std::ostream& out);

    // Says Hello: the tower list that answers it decides between joining and starting.
    void Start();
    // When the messages about to be handled arrived.
    void SetArrivalTime(Clock::time_point time) { arrivedAt_ = time; }

    void OnRingerInfo(const wire::RingerInfo& message) override;
    void OnCall(const wire::Call& message) override;
    void OnStrike(const wire::Strike& message) override;
    void OnRingerLeft(const wire::RingerLeft& message) override;
    void OnChat(const wire::Chat& message) override;
    void OnTowerListEntry(const wire::TowerListEntry& message) override;
    void OnTowerEntered(const wire::TowerEntered& message) override;
    void OnServerNotice(const wire::ServerNotice& message) override;

    // The next strike to send and when; ask again after every input.
    std::optional<PlannedStrike> NextStrike();
    void Strike(const PlannedStrike& strike, Clock::time_point now);

    // Set once the run is over: its exit status and what to say.
    struct Ending {
        int status;
        std::string message;
    };
    const std::optional<Ending>& Ended() const { return ending_; }

private:
    Micros Now() const;
    // Follows the records: the tower's bells, the robot's and the people's.
    void Reseat(bool laidOut);
    // A ringer for the tower's bells, with the chosen method if it fits.
    void MakeRinger(int bells);
    std::string MethodText() const;
    void Say(const std::string& line) { session_.SendChat(line); }

    RobotOptions options_;
    TowerSession session_;
    std::ostream& out_;
    std::optional<RobotRinger> ringer_;
    Clock::time_point arrivedAt_{};
    bool asked_ = false;  // to join or start
    bool greeted_ = false;
    std::optional<Ending> ending_;
};

}  // namespace robot
