// Writes the seed corpus of client_receive_fuzzer: a few short byte streams
// as a server would send them, each in a file of its own.
//   client_fuzz_seeds tests/fuzz/corpus
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "net/MessageBuffer.h"
#include "net/Messages.h"
#include "tests/support/TestMessages.h"

namespace {


// The name the fuzzer's user gives in the Start/Join dialog.
constexpr std::string_view kUser = "Fuzz";

// A relayed strike cut to `length` bytes: 10 (bell, stroke), 12 (+sequence) or 14 (+ping).
MessageBuffer Strike(int length, int bell, int stroke, int sequence, int ping) {
    MessageBuffer m = testsupport::msg::Strike(bell, stroke, sequence, ping).Left(static_cast<std::size_t>(length));
    m.PutU16(wire::kLengthOffset, static_cast<unsigned>(length));
    return m;
}

// A header claiming `length` bytes, padded with zeros to `padTo`.
MessageBuffer Header(unsigned length, std::uint16_t type, std::size_t padTo) {
    std::string bytes(padTo, '\0');
    MessageBuffer m(bytes);
    m.PutU16(wire::kLengthOffset, length);
    m.PutU16(wire::kTypeOffset, type);
    return m;
}

MessageBuffer Join(std::initializer_list<MessageBuffer> messages) {
    MessageBuffer all;
    for (const MessageBuffer& m : messages) all.Append(m);
    return all;
}

struct Seed {
    const char* name;
    MessageBuffer bytes;
};

std::vector<Seed> Seeds() {
    const MessageBuffer ringsSix = testsupport::msg::RingerInfo(6, "Ann", "123456", false);
    const std::uint16_t unknownType = wire::serverNotice::kType + 1;
    return {
        {"tower-list",
         Join({wire::Build(wire::TowerListEntry{2, "St Mary", "Six bells"}), wire::Build(wire::TowerListEntry{2, "Abbey", "Ten"})})},
        {"no-towers", wire::Build(wire::TowerListEntry{})},
        {"ringer-info", testsupport::msg::RingerInfo(8, "Ann", "1234", true)},
        {"strike-10", Join({ringsSix, Strike(10, 3, 1, 0, 0)})},
        {"strike-12", Join({ringsSix, Strike(12, 3, 1, 7, 0)})},
        {"strike-14", Join({ringsSix, testsupport::msg::Strike(3, 1, 7, 25)})},
        {"length-zero", Header(0, wire::ringerInfo::kType, wire::kTakeOutThreshold)},
        {"short-for-its-type", Header(wire::kTakeOutThreshold, wire::ringerInfo::kType, wire::kTakeOutThreshold)},
        {"unknown-type", Join({Header(wire::kTakeOutThreshold, unknownType, wire::kTakeOutThreshold),
                               Header(wire::kHeaderSize, wire::hello::kType, wire::kHeaderSize),
                               Header(wire::kTakeOutThreshold, wire::startTower::kType, wire::kTakeOutThreshold)})},
        // A whole evening: the dialog starts a tower, the user and Ann ring,
        // strike, chat and call, and Ann leaves.
        {"session", Join({wire::Build(wire::TowerListEntry{}), wire::Build(wire::TowerEntered{"Fuzz Tower"}),
                          testsupport::msg::RingerInfo(6, kUser, "12", true), testsupport::msg::RingerInfo(6, "Ann", "3456", false),
                          testsupport::msg::Strike(1, 1, 1, 0), testsupport::msg::Strike(5, 1, 9, 30), testsupport::msg::Chat("Ann", "Look to"),
                          testsupport::msg::Call("Go"), wire::Build(wire::ServerNotice{"Tower full"}), wire::Build(wire::RingerLeft{"Ann"})})},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    for (const Seed& seed : Seeds()) {
        const std::string path = std::string(argv[1]) + "/" + seed.name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(seed.bytes.Data(), static_cast<std::streamsize>(seed.bytes.Length()));
        if (!out) {
            std::perror(path.c_str());
            return 1;
        }
    }
    return 0;
}
