#include "net/Messages.h"

#include "net/ByteOrder.h"

namespace wire {

namespace {

MessageBuffer Blank(int size, std::uint16_t type) {
    MessageBuffer message;
    message.Create(size, type, kThirdWord);
    return message;
}

// Reads fields in order and remembers whether any of them was missing.
class FieldReader {
public:
    explicit FieldReader(std::string_view message) : message_(message) {}

    std::uint16_t Word(int offset) {
        const auto value = ReadU16(message_, static_cast<std::size_t>(offset));
        complete_ = complete_ && value.has_value();
        return value.value_or(0);
    }
    std::string_view Text(Slot slot) {
        const auto text = ReadSlot(message_, static_cast<std::size_t>(slot.start), static_cast<std::size_t>(slot.end));
        complete_ = complete_ && text.has_value();
        return text.value_or(std::string_view());
    }
    // A field that is read only when the message is long enough to hold it.
    std::optional<std::uint16_t> OptionalWord(int offset) {
        return ReadU16(message_, static_cast<std::size_t>(offset));
    }

    template <typename Message>
    std::optional<Message> Result(const Message& message) const {
        return complete_ ? std::optional<Message>(message) : std::nullopt;
    }

private:
    std::string_view message_;
    bool complete_ = true;
};

}  // namespace

std::uint16_t TypeOf(std::string_view message) { return ReadU16(message, kTypeOffset).value_or(0); }

std::optional<Hello> ReadHello(std::string_view message) {
    if (message.size() < static_cast<std::size_t>(kHeaderSize)) return std::nullopt;
    return Hello{};
}

std::optional<RingerInfo> ReadRingerInfo(std::string_view message) {
    namespace m = ringerInfo;
    FieldReader in(message);
    RingerInfo fields;
    fields.bellCount = in.Word(m::kBellCount);
    fields.name = in.Text(m::kName);
    fields.bells = in.Text(m::kBells);
    fields.conductor = in.Word(m::kConductor) != 0;
    return in.Result(fields);
}

std::optional<Call> ReadCall(std::string_view message) {
    FieldReader in(message);
    const Call fields{in.Text(call::kText)};
    return in.Result(fields);
}

std::optional<Strike> ReadStrike(std::string_view message) {
    namespace m = strike;
    FieldReader in(message);
    Strike fields;
    fields.bell = in.Word(m::kBell);
    fields.stroke = in.Word(m::kStroke);
    fields.sequence = in.OptionalWord(m::kSequence);
    fields.ping = in.OptionalWord(m::kPing);
    return in.Result(fields);
}

std::optional<RingerLeft> ReadRingerLeft(std::string_view message) {
    FieldReader in(message);
    const RingerLeft fields{in.Text(ringerLeft::kName)};
    return in.Result(fields);
}

std::optional<Chat> ReadChat(std::string_view message) {
    FieldReader in(message);
    Chat fields;
    fields.name = in.Text(chat::kName);
    fields.line = in.Text(chat::kText);
    return in.Result(fields);
}

std::optional<TowerListEntry> ReadTowerListEntry(std::string_view message) {
    namespace m = towerListEntry;
    FieldReader in(message);
    TowerListEntry fields;
    fields.count = static_cast<std::int16_t>(in.Word(m::kCount));
    fields.name = in.Text(m::kName);
    fields.description = in.Text(m::kDescription);
    return in.Result(fields);
}

std::optional<StartTower> ReadStartTower(std::string_view message) {
    namespace m = startTower;
    FieldReader in(message);
    StartTower fields;
    fields.tower = in.Text(m::kTower);
    fields.description = in.Text(m::kDescription);
    fields.ringer = in.Text(m::kRinger);
    return in.Result(fields);
}

std::optional<JoinTower> ReadJoinTower(std::string_view message) {
    FieldReader in(message);
    JoinTower fields;
    fields.tower = in.Text(joinTower::kTower);
    fields.ringer = in.Text(joinTower::kRinger);
    return in.Result(fields);
}

std::optional<TowerEntered> ReadTowerEntered(std::string_view message) {
    FieldReader in(message);
    const TowerEntered fields{in.Text(towerEntered::kTower)};
    return in.Result(fields);
}

std::optional<ServerNotice> ReadServerNotice(std::string_view message) {
    FieldReader in(message);
    const ServerNotice fields{in.Text(serverNotice::kText)};
    return in.Result(fields);
}

MessageBuffer Build(const Hello&) { return Blank(hello::kSize, hello::kType); }

MessageBuffer Build(const RingerInfo& fields) {
    namespace m = ringerInfo;
    MessageBuffer message = Blank(m::kSize, m::kType);
    message.PutU16(m::kBellCount, fields.bellCount);
    message.PutString(m::kName, fields.name);
    message.PutString(m::kBells, fields.bells);
    message.PutU16(m::kConductor, fields.conductor ? 1u : 0u);
    return message;
}

MessageBuffer Build(const Call& fields) {
    MessageBuffer message = Blank(call::kSize, call::kType);
    message.PutString(call::kText, fields.text);
    return message;
}

MessageBuffer Build(const Strike& fields) {
    namespace m = strike;
    // 14 bytes stay inside the string's own small buffer: no allocation.
    MessageBuffer message = Blank(m::kSize, m::kType);
    message.PutU16(m::kBell, fields.bell);
    message.PutU16(m::kStroke, fields.stroke);
    message.PutU16(m::kSequence, fields.sequence.value_or(0));
    message.PutU16(m::kPing, fields.ping.value_or(0));
    return message;
}

MessageBuffer Build(const RingerLeft& fields) {
    MessageBuffer message = Blank(ringerLeft::kSize, ringerLeft::kType);
    message.PutString(ringerLeft::kName, fields.name);
    return message;
}

MessageBuffer Build(const Chat& fields) {
    MessageBuffer message = Blank(chat::kSize, chat::kType);
    message.PutString(chat::kName, fields.name);
    message.PutString(chat::kText, fields.line);
    return message;
}

MessageBuffer Build(const TowerListEntry& fields) {
    namespace m = towerListEntry;
    MessageBuffer message = Blank(m::kSize, m::kType);
    message.PutU16(m::kCount, static_cast<std::uint16_t>(fields.count));
    message.PutString(m::kName, fields.name);
    message.PutString(m::kDescription, fields.description);
    return message;
}

MessageBuffer Build(const StartTower& fields) {
    namespace m = startTower;
    MessageBuffer message = Blank(m::kSize, m::kType);
    message.PutString(m::kTower, fields.tower);
    message.PutString(m::kDescription, fields.description);
    message.PutString(m::kRinger, fields.ringer);
    return message;
}

MessageBuffer Build(const JoinTower& fields) {
    MessageBuffer message = Blank(joinTower::kSize, joinTower::kType);
    message.PutString(joinTower::kTower, fields.tower);
    message.PutString(joinTower::kRinger, fields.ringer);
    return message;
}

MessageBuffer Build(const TowerEntered& fields) {
    MessageBuffer message = Blank(towerEntered::kSize, towerEntered::kType);
    message.PutString(towerEntered::kTower, fields.tower);
    return message;
}

MessageBuffer Build(const ServerNotice& fields) {
    MessageBuffer message = Blank(serverNotice::kSize, serverNotice::kType);
    message.PutString(serverNotice::kText, fields.text);
    return message;
}

}  // namespace wire
