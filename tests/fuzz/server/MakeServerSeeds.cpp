// Writes the seed corpus of the server's fuzz target: scripts of sessions as
// real clients hold them (start, join, allocate, ring, chat, call, leave),
// with the bytes the client's own builders make, and the limits, deadlines
// and mistakes the server meets.
//   make_server_fuzz_seeds CORPUS_FOLDER
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/fuzz/server/Script.h"

namespace {

using namespace std::chrono_literals;
using namespace fuzzscript;
using std::string;
using Text = std::string_view;
using Word = std::uint16_t;

string Hello() { return Bytes(wire::Hello{}); }
string Start(Text tower, Text ringer, Text about = "") { return Bytes(wire::StartTower{tower, about, ringer}); }
string Join(Text tower, Text ringer) { return Bytes(wire::JoinTower{tower, ringer}); }
string Record(Word bells, Text ringer, Text rung, bool conductor = false) {
    return Bytes(wire::RingerInfo{bells, ringer, rung, conductor});
}
string Strike(Word bell, Word stroke, Word sequence, Word ping = 0) {
    return Bytes(wire::Strike{bell, stroke, sequence, ping});
}
string Chat(Text ringer, Text line) { return Bytes(wire::Chat{ringer, line}); }
string Call(Text text) { return Bytes(wire::Call{text}); }

// Connects from one of three addresses, greets, then starts or joins, reading the answers.
ScriptWriter& Enter(ScriptWriter& script, int connection, const string& request) {
    script.Connect(connection, connection % 3).Send(connection, Hello()).Read(connection);
    return script.Send(connection, request).Read(connection);
}

// Ann starts St Mary and conducts six bells; Ben and Cy join and ring two
// pairs; they call, ring two rows of rounds, chat and leave one by one,
// while Di waits in a tower of her own.
void Ringing(ScriptWriter& script) {
    Enter(script, 3, Start("All Saints", "Di"));
    Enter(script, 0, Start("St Mary", "Ann", "Ground floor ring of six"));
    Enter(script, 1, Join("St Mary", "Ben"));
    script.Connect(2, 1).Send(2, Hello()).Read(2).Send(2, Join("St Mary", "Cy"));
    script.Read({0, 1, 2}).Send(0, Record(6, "Ann", "12", true) + Record(6, "Ben", "34") + Record(6, "Cy", "56"));
    script.Read({0, 1, 2}).Send(0, Call("Look to")).Wait(1s).Send(0, Call("Go")).Read({0, 1, 2});
    // Each strike carries the round trip its sender measured on the echo of its last.
    for (int sequence = 1; sequence <= 12; ++sequence) {
        const int bell = (sequence - 1) % 6 + 1;
        script.Send((bell - 1) / 2, Strike(bell, sequence > 6, sequence, sequence > 2 ? 40 + bell : 0)).Wait(250ms);
        script.Read({0, 1, 2});
    }
    script.Send(0, Call("That's all")).Send(1, Chat("Ben", "Well struck, all")).Read({0, 1, 2});
    script.Close(1).Read({0, 2}).Close(0).Read(2).Close(2);
}

// The lobby: an empty list, every kind of refusal, two towers listed, a
// full tower, too many towers, and the deadlines for Hello and for a tower.
void Lobby(ScriptWriter& script) {
    Enter(script, 0, Start("St Mary", "Ann")).Connect(1, 1).Send(1, Hello()).Read(1);
    for (const string& refused : {Join("St Paul", "Ben"), Join("St Mary", "Ann"), Start("St Mary", "Ben"),
                                  Start("", "Ben"), Join("St Mary", "")})
        script.Send(1, refused).Read(1);
    script.Send(1, Start("St Paul", "Ben", "The city church")).Read(1).Send(1, Join("St Mary", "Ben")).Read(1);
    script.Connect(2, 2).Send(2, Hello()).Read(2);
    for (int ringer = 3; ringer <= 7; ++ringer)
        Enter(script, ringer, Join("St Mary", "Ringer " + std::to_string(ringer))).Read(0);
    for (int tower = 8; tower <= 10; ++tower) Enter(script, tower, Start("Tower " + std::to_string(tower), "Di"));
    script.Wait(7s).Connect(11, 2).Wait(3s);
    for (int connection = 0; connection <= 11; ++connection) script.Close(connection);
}

// The conductor hands the role on within one allocation; the old
// conductor's call is then dropped and the new one's goes out.
void Handover(ScriptWriter& script) {
    for (const auto& [connection, request] :
         {std::pair(0, Start("St Mary", "Ann")), {1, Join("St Mary", "Ben")}, {2, Join("St Mary", "Cy")}})
        Enter(script, connection, request);
    script.Send(0, Record(4, "Ann", "1", true));
    script.Send(0, Record(4, "Ann", "12") + Record(4, "Ben", "3", true) + Record(4, "Cy", "4")).Read({0, 1, 2});
    script.Send(0, Call("Bob")).Send(1, Call("Bob")).Send(2, Strike(4, 0, 1)).Send(2, Strike(3, 0, 2));
    script.Read({0, 1, 2}).Send(1, Record(4, "Ben", "3")).Send(2, Record(4, "Cy", "4", true));
    script.Close(2).Close(1).Close(0);
}

// What no client sends, each from a ringer in the tower: a message cut
// short, lengths out of range, a type only the server sends, a request
// before Hello.
void Mistakes(ScriptWriter& script) {
    Enter(script, 0, Start("St Mary", "Ann"));
    const string chat = Chat("Ben", "cut short");
    for (const string& mistake :
         {string("\x42\x01", 2) + chat.substr(2, chat.size() - 6), string("\x03\x00\x04\x00\x01\x00", 6),
          string("\x47\x01\x06\x00\x01\x00", 6), Bytes(wire::RingerLeft{"Ann"}), string("\x06\x00\x0b\x00\x01\x00", 6)})
        Enter(script, 1, Join("St Mary", "Ben")).Send(1, mistake).Read(0);
    script.Connect(2, 1).Send(2, Join("St Mary", "Cy")).Close(0);
}

// Chat lines and strikes beyond their rates, then a ringer who reads
// nothing while asking for the tower list over and over is cut off.
void Flood(ScriptWriter& script) {
    Enter(script, 0, Start("St Mary", "Ann"));
    Enter(script, 1, Join("St Mary", "Ben"));
    script.Send(0, Record(2, "Ann", "1", true) + Record(2, "Ben", "2"));
    for (int line = 0; line < 6; ++line) script.Send(1, Chat("Ben", "again"));
    string strikes, hellos;
    for (int sequence = 1; sequence <= 10; ++sequence) strikes += Strike(2, sequence % 2, sequence);
    for (int i = 0; i < 120; ++i) hellos += Hello();
    script.Send(1, strikes).Read({0, 1}).Send(0, hellos).Read(1).Close(1);
}

// Messages cut into pieces and run together: a strike a byte at a time, a
// chat line in two parts, two strikes and the first half of a third in one.
void Pieces(ScriptWriter& script) {
    Enter(script, 0, Start("St Mary", "Ann")).Send(0, Record(1, "Ann", "1"));
    for (const char byte : Strike(1, 0, 1)) script.Send(0, string(1, byte));
    const string chat = Chat("Ann", "in two parts");
    const string third = Strike(1, 0, 4);
    script.Send(0, chat.substr(0, 100)).Send(0, chat.substr(100));
    script.Send(0, Strike(1, 1, 2) + Strike(1, 0, 3) + third.substr(0, 7)).Send(0, third.substr(7)).Read(0);
}

// More connections from one address than the server allows, more in all
// than it holds, and an address that comes back written as IPv6.
void Doors(ScriptWriter& script) {
    for (int connection = 0; connection < 14; ++connection)
        script.Connect(connection, connection < 6 ? 0 : 1 + connection % 2);
    for (int connection = 0; connection < 14; ++connection) script.Send(connection, Hello());
    script.Close(0).Connect(0, 3).Close(5).Connect(5, 3).Send(0, Hello()).Send(5, Hello());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path corpus = argv[1];
    std::filesystem::create_directories(corpus);
    const std::pair<const char*, void (*)(ScriptWriter&)> seeds[] = {
        {"ringing", Ringing}, {"lobby", Lobby},   {"handover", Handover}, {"mistakes", Mistakes},
        {"flood", Flood},     {"pieces", Pieces}, {"doors", Doors},
    };
    bool written = true;
    for (const auto& [name, make] : seeds) {
        ScriptWriter script;
        make(script);
        std::ofstream file(corpus / name, std::ios::binary | std::ios::trunc);
        written = static_cast<bool>(file << script.Bytes()) && written;
    }
    if (!written) std::perror("writing the seeds");
    return written ? 0 : 1;
}
