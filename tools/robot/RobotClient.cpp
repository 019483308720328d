#include "tools/robot/RobotClient.h"

#include "tools/robot/CallText.h"
#include "tools/robot/ChatCommand.h"
#include "tools/robot/MethodLibrary.h"

namespace robot {

namespace {

Micros ToMicros(RobotClient::Clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::microseconds>(time.time_since_epoch()).count();
}

}  // namespace

RobotClient::RobotClient(const RobotOptions& options, OutgoingSink& sink, std::ostream& out)
    : options_(options), session_(sink), out_(out) {
    MakeRinger(0);
}

Micros RobotClient::Now() const { return ToMicros(arrivedAt_); }

void RobotClient::Start() { session_.OnConnected(); }

void RobotClient::OnTowerListEntry(const wire::TowerListEntry& message) {
    if (!session_.OnTowerListEntry(message) || asked_) return;
    asked_ = true;
    if (session_.towerList.contains(options_.tower)) {
        session_.JoinTower(options_.tower, options_.name);
    } else {
        session_.StartTower(options_.tower, options_.description, options_.name);
    }
}

void RobotClient::OnServerNotice(const wire::ServerNotice& message) {
    // Before entering, a notice is the server's refusal.
    if (!session_.InTower()) {
        ending_ = Ending{1, "the server refused: " + std::string(message.text)};
        return;
    }
    out_ << "The server says: " << message.text << std::endl;
}

void RobotClient::OnTowerEntered(const wire::TowerEntered& message) {
    session_.OnTowerEntered(message);
    out_ << "In tower \"" << session_.currentTower << "\" as \"" << options_.name << "\"." << std::endl;
}

void RobotClient::OnRingerInfo(const wire::RingerInfo& message) {
    const RingerChange change = session_.OnRingerInfo(message);
    Reseat(change.laidOut);
    if (!greeted_ && message.name == options_.name) {
        greeted_ = true;
        Say(Greeting(MethodText()));
    }
}

void RobotClient::OnRingerLeft(const wire::RingerLeft& message) {
    const Ringer* leaving = session_.ringers.FindRinger(std::string(message.name));
    const bool conductorLeft = leaving != nullptr && leaving->conductor;
    const RingerChange change = session_.OnRingerLeft(message);
    Reseat(change.laidOut);
    // Nobody is left to call; the band stops as it would at "Stand".
    if (conductorLeft && ringer_->RingingAt(Now())) {
        ringer_->OnCall("Stand", Now());
        Say("The conductor has gone, so I'll stand.");
    }
}

void RobotClient::Reseat(bool laidOut) {
    if (session_.bellCount != ringer_->Bells()) {
        MakeRinger(session_.bellCount);
        if (session_.bellCount > 0 && !ringer_->NextMethod()) {
            Say(MethodText() + " is not for " + std::to_string(session_.bellCount) + " bells; tell me another.");
        }
    }
    BellSet own = 0, people = 0;
    for (const auto& [name, ringer] : session_.ringers.ringers) {
        (name == options_.name ? own : people) |= BellSetOf(ringer.bells);
    }
    if (laidOut) ringer_->BellsLaidOut();
    ringer_->SetBells(own, people, Now());
}

void RobotClient::MakeRinger(int bells) {
    RobotSettings settings;
    // The interval it was told in the chat outlives the ringer.
    settings.intervalMs = ringer_ ? ringer_->Rhythm().ConfiguredInterval() / 1000.0 : options_.intervalMs;
    ringer_.emplace(bells, settings);
    std::optional<Method> method =
        options_.notationMethod ? options_.notationMethod : FindMethod(options_.methodName, bells);
    if (method && ringer_->Fits(method->stage)) ringer_->SetMethod(std::move(*method));
}

std::string RobotClient::MethodText() const {
    const std::optional<Method>& method = ringer_->NextMethod();
    return method ? method->name : options_.methodName;
}

void RobotClient::OnCall(const wire::Call& message) {
    session_.OnCall(message);
    switch (ringer_->OnCall(message.text, Now())) {
    case CallOutcome::UnknownMethod: {
        const std::optional<HeardCall> go = ReadCall(message.text);
        Say(go && !go->method.empty() ? "I don't know " + go->method + "; I'll ring rounds."
                                      : "I have no method to ring; I'll ring rounds.");
        break;
    }
    case CallOutcome::MethodMisfits:
        Say("That method is not for " + std::to_string(ringer_->Bells()) + " bells; I'll ring rounds.");
        break;
    case CallOutcome::NoSuchCall: Say(MethodText() + " has no such call."); break;
    case CallOutcome::Ignored:
    case CallOutcome::Rounds:
    case CallOutcome::MethodStarts:
    case CallOutcome::CallTaken:
    case CallOutcome::StopsAtRounds:
    case CallOutcome::Stands: break;
    }
}

void RobotClient::OnChat(const wire::Chat& message) {
    session_.OnChat(message);
    if (message.name == options_.name) return;
    const std::optional<ChatCommand> command = ReadChatCommand(options_.name, message.line);
    if (!command) return;
    const ChatAnswer answer = Obey(*command, *ringer_);
    // The method it was told outlives a change of the tower's bells.
    if (command->type == ChatCommandType::Method && ringer_->NextMethod()) {
        options_.methodName = ringer_->NextMethod()->name;
        options_.notationMethod.reset();
    }
    Say(answer.text);
    out_ << message.name << ": " << message.line << "\n  " << answer.text << std::endl;
    if (answer.leave) ending_ = Ending{0, "Left the tower, as " + std::string(message.name) + " asked."};
}

void RobotClient::OnStrike(const wire::Strike& message) {
    // Only a strike that moves a bell on every client counts.
    const StrikeChange change = session_.OnStrike(message, arrivedAt_);
    if (change.slot >= 0) ringer_->OnStrike(message.bell, change.stroke, Now());
}

std::optional<PlannedStrike> RobotClient::NextStrike() {
    if (ending_ || !session_.InTower()) return std::nullopt;
    return ringer_->Next();
}

void RobotClient::Strike(const PlannedStrike& strike, Clock::time_point now) {
    // Sent as a person's click is, so every client shows the robot's round trips.
    session_.SendStrike(strike.bell, strike.stroke, StrikeOrigin::UserClick);
    ringer_->Sent(strike, ToMicros(now));
}

}  // namespace robot
