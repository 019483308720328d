// Writes the seed corpus of the server's fuzz target: scripts of sessions as
// real clients hold them (start, join, allocate, ring, chat, call, leave),
// with the bytes the client's own builders make, and the limits, deadlines
// and mistakes the server meets; and a libFuzzer dictionary of the message
// headers a client sends.
//   make_server_fuzz_seeds CORPUS_FOLDER DICTIONARY_FILE
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "net/Messages.h"
#include "tests/fuzz/server/Script.h"

namespace {

using namespace std::chrono_literals;
using fuzzscript::ScriptWriter;

std::string Bytes(const MessageBuffer& message) { return std::string(message.Bytes()); }
std::string Hello() { return Bytes(wire::Build(wire::Hello{})); }
std::string Start(std::string_view tower, std::string_view description, std::string_view ringer) {
    return Bytes(wire::Build(wire::StartTower{tower, description, ringer}));
}
std::string Join(std::string_view tower, std::string_view ringer) {
    return Bytes(wire::Build(wire::JoinTower{tower, ringer}));
}
std::string Record(int bellCount, std::string_view ringer, std::string_view bells, bool conductor) {
    return Bytes(wire::Build(wire::RingerInfo{static_cast<std::uint16_t>(bellCount), ringer, bells, conductor}));
}
std::string Strike(int bell, int stroke, int sequence, int ping) {
    return Bytes(wire::Build(wire::Strike{static_cast<std::uint16_t>(bell), static_cast<std::uint16_t>(stroke),
                                          static_cast<std::uint16_t>(sequence), static_cast<std::uint16_t>(ping)}));
}
std::string Chat(std::string_view ringer, std::string_view line) {
    return Bytes(wire::Build(wire::Chat{ringer, line}));
}
std::string Call(std::string_view text) { return Bytes(wire::Build(wire::Call{text})); }

void ReadAll(ScriptWriter& script, std::initializer_list<int> connections) {
    for (const int connection : connections) script.Read(connection);
}

// Connects from one of three addresses, greets, then starts or joins, and reads the answers.
void Enter(ScriptWriter& script, int connection, const std::string& request) {
    script.Connect(connection, connection % 3).Send(connection, Hello()).Read(connection);
    script.Send(connection, request).Read(connection);
}

// Ann starts St Mary and conducts six bells; Ben and Cy join and ring two
// pairs; they call, ring two rows of rounds, chat and leave one by one,
// while Di waits in a tower of her own.
std::string Ringing() {
    ScriptWriter script;
    Enter(script, 3, Start("All Saints", "", "Di"));
    Enter(script, 0, Start("St Mary", "Ground floor ring of six", "Ann"));
    Enter(script, 1, Join("St Mary", "Ben"));
    script.Connect(2, 1).Send(2, Hello()).Read(2).Send(2, Join("St Mary", "Cy"));
    ReadAll(script, {0, 1, 2});
    script.Send(0, Record(6, "Ann", "12", true) + Record(6, "Ben", "34", false) + Record(6, "Cy", "56", false));
    ReadAll(script, {0, 1, 2});
    script.Send(0, Call("Look to")).Wait(1s).Send(0, Call("Go"));
    ReadAll(script, {0, 1, 2});
    int sequence = 0;
    for (int row = 0; row < 2; ++row) {
        for (int bell = 1; bell <= 6; ++bell) {
            ++sequence;
            // Each strike carries the round trip its sender measured on the echo of its last.
            script.Send((bell - 1) / 2, Strike(bell, row % 2, sequence, sequence > 2 ? 40 + bell : 0)).Wait(250ms);
            ReadAll(script, {0, 1, 2});
        }
    }
    script.Send(0, Call("That's all")).Send(1, Chat("Ben", "Well struck, all"));
    ReadAll(script, {0, 1, 2});
    script.Close(1);
    ReadAll(script, {0, 2});
    script.Close(0).Read(2).Close(2);
    return script.Bytes();
}

// The lobby: an empty list, every kind of refusal, two towers listed, a
// full tower, too many towers, and the deadlines for Hello and for a tower.
std::string Lobby() {
    ScriptWriter script;
    Enter(script, 0, Start("St Mary", "", "Ann"));
    script.Connect(1, 1).Send(1, Hello()).Read(1);
    for (const std::string& refused : {Join("St Paul", "Ben"), Join("St Mary", "Ann"), Start("St Mary", "", "Ben"),
                                       Start("", "", "Ben"), Join("St Mary", "")})
        script.Send(1, refused).Read(1);
    script.Send(1, Start("St Paul", "The city church", "Ben")).Read(1).Send(1, Join("St Mary", "Ben")).Read(1);
    script.Connect(2, 2).Send(2, Hello()).Read(2);
    for (int ringer = 3; ringer <= 7; ++ringer) {
        Enter(script, ringer, Join("St Mary", std::string("Ringer ") + static_cast<char>('0' + ringer)));
        ReadAll(script, {0});
    }
    for (int tower = 8; tower <= 10; ++tower)
        Enter(script, tower, Start(std::string("Tower ") + static_cast<char>('0' + tower), "", "Di"));
    script.Wait(7s).Connect(11, 2).Wait(3s);
    for (int connection = 0; connection <= 11; ++connection) script.Close(connection);
    return script.Bytes();
}

// The conductor hands the role on within one allocation; the old
// conductor's call is then dropped and the new one's goes out.
std::string Handover() {
    ScriptWriter script;
    Enter(script, 0, Start("St Mary", "", "Ann"));
    Enter(script, 1, Join("St Mary", "Ben"));
    Enter(script, 2, Join("St Mary", "Cy"));
    script.Send(0, Record(4, "Ann", "1", true));
    script.Send(0, Record(4, "Ann", "12", false) + Record(4, "Ben", "3", true) + Record(4, "Cy", "4", false));
    ReadAll(script, {0, 1, 2});
    script.Send(0, Call("Bob")).Send(1, Call("Bob")).Send(2, Strike(4, 0, 1, 0)).Send(2, Strike(3, 0, 2, 0));
    ReadAll(script, {0, 1, 2});
    script.Send(1, Record(4, "Ben", "3", false)).Send(2, Record(4, "Cy", "4", true)).Close(2).Close(1).Close(0);
    return script.Bytes();
}

// What no client sends, each from a ringer in the tower: a message cut
// short, lengths out of range, a type only the server sends, a request
// before Hello.
std::string Mistakes() {
    ScriptWriter script;
    Enter(script, 0, Start("St Mary", "", "Ann"));
    const std::string chat = Chat("Ben", "cut short");
    const std::vector<std::string> mistakes = {
        std::string("\x42\x01", 2) + chat.substr(2, chat.size() - 6),
        std::string("\x03\x00\x04\x00\x01\x00", 6),
        std::string("\x47\x01\x06\x00\x01\x00", 6),
        Bytes(wire::Build(wire::RingerLeft{"Ann"})),
        std::string("\x06\x00\x0b\x00\x01\x00", 6),
    };
    for (std::size_t i = 0; i < mistakes.size(); ++i) {
        Enter(script, 1, Join("St Mary", "Ben"));
        script.Send(1, mistakes[i]).Read(0);
    }
    script.Connect(2, 1).Send(2, Join("St Mary", "Cy")).Close(0);
    return script.Bytes();
}

// Chat lines and strikes beyond their rates, then a ringer who reads
// nothing while asking for the tower list over and over is cut off.
std::string Flood() {
    ScriptWriter script;
    Enter(script, 0, Start("St Mary", "", "Ann"));
    Enter(script, 1, Join("St Mary", "Ben"));
    script.Send(0, Record(2, "Ann", "1", true) + Record(2, "Ben", "2", false));
    for (int line = 0; line < 6; ++line) script.Send(1, Chat("Ben", "again"));
    std::string strikes;
    for (int sequence = 1; sequence <= 10; ++sequence) strikes += Strike(2, sequence % 2, sequence, 0);
    script.Send(1, strikes);
    ReadAll(script, {0, 1});
    std::string hellos;
    for (int i = 0; i < 120; ++i) hellos += Hello();
    script.Send(0, hellos).Read(1).Close(1);
    return script.Bytes();
}

// Messages cut into pieces and run together: a strike a byte at a time, a
// chat line in two parts, two strikes and the first half of a third in one.
std::string Pieces() {
    ScriptWriter script;
    Enter(script, 0, Start("St Mary", "", "Ann"));
    script.Send(0, Record(1, "Ann", "1", false));
    for (const char byte : Strike(1, 0, 1, 0)) script.Send(0, std::string(1, byte));
    const std::string chat = Chat("Ann", "in two parts");
    script.Send(0, chat.substr(0, 100)).Send(0, chat.substr(100));
    const std::string third = Strike(1, 0, 4, 0);
    script.Send(0, Strike(1, 1, 2, 0) + Strike(1, 0, 3, 0) + third.substr(0, 7)).Send(0, third.substr(7)).Read(0);
    return script.Bytes();
}

// More connections from one address than the server allows, more in all
// than it holds, and an address that comes back written as IPv6.
std::string Doors() {
    ScriptWriter script;
    for (int connection = 0; connection < 6; ++connection) script.Connect(connection, 0);
    for (int connection = 6; connection < 14; ++connection) script.Connect(connection, 1 + connection % 2);
    for (int connection = 0; connection < 14; ++connection) script.Send(connection, Hello());
    script.Close(0).Connect(0, 3).Close(5).Connect(5, 3).Send(0, Hello()).Send(5, Hello());
    return script.Bytes();
}

std::string Escaped(std::string_view bytes) {
    std::string text;
    char hex[5];
    for (const char byte : bytes) {
        std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(byte));
        text += hex;
    }
    return text;
}

// Each header a client sends, alone and as the start of a send step of its size.
std::string Dictionary() {
    struct Entry {
        const char* name;
        std::string message;
    };
    const Entry entries[] = {
        {"hello", Hello()},           {"ringer_info", Record(0, "", "", false)},
        {"call", Call("")},           {"strike", Strike(0, 0, 0, 0)},
        {"chat", Chat("", "")},       {"start_tower", Start("", "", "")},
        {"join_tower", Join("", "")},
    };
    std::string text = "# Message headers a client sends, alone and after a send step (connection 0) of their size.\n";
    for (const Entry& entry : entries) {
        const std::string_view header = std::string_view(entry.message).substr(0, wire::kHeaderSize);
        const std::string step = ScriptWriter().Send(0, entry.message).Bytes().substr(0, 3);
        text += std::string(entry.name) + "=\"" + Escaped(header) + "\"\n";
        text += std::string("send_") + entry.name + "=\"" + Escaped(step) + Escaped(header) + "\"\n";
    }
    return text;
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER DICTIONARY_FILE\n", argv[0]);
        return 2;
    }
    const std::filesystem::path corpus = argv[1];
    std::filesystem::create_directories(corpus);
    const std::pair<const char*, std::string> seeds[] = {
        {"ringing", Ringing()}, {"lobby", Lobby()},   {"handover", Handover()}, {"mistakes", Mistakes()},
        {"flood", Flood()},     {"pieces", Pieces()}, {"doors", Doors()},
    };
    bool written = WriteFile(argv[2], Dictionary());
    for (const auto& [name, script] : seeds) written = WriteFile(corpus / name, script) && written;
    if (!written) std::perror("writing the seeds");
    return written ? 0 : 1;
}
