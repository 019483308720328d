// A small blocking client for the tower protocol, for tests and benchmarks:
// Receive frames messages as the wire library does and never blocks longer
// than the timeout given. Not thread-safe: one thread per client.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/MessageBuffer.h"

namespace testsupport {

using Millis = std::chrono::milliseconds;
// Long enough for a loaded CI machine running under sanitizers.
inline constexpr Millis kDefaultTimeout{5000};

class TestClient {
public:
    TestClient() = default;
    ~TestClient() { Close(); }
    TestClient(TestClient&& other) noexcept { *this = std::move(other); }
    TestClient& operator=(TestClient&& other) noexcept;
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    // Before Connect: a small kernel receive buffer (SO_RCVBUF), so that a
    // client that stops reading backs up quickly.
    void SetReceiveBufferSize(int bytes) { receiveBufferSize_ = bytes; }
    // Before Connect: connect from this loopback address (127.0.0.2, ...) to
    // play a client at another address.
    void SetSourceAddress(std::string address) { sourceAddress_ = std::move(address); }

    // Connects to 127.0.0.1:port with TCP_NODELAY; false when that fails.
    bool Connect(std::uint16_t port);
    bool Connected() const { return fd_ >= 0; }
    // Closes the connection (the server sees the client leave).
    void Close();

    // Sends all bytes; false when the connection is gone.
    bool Send(const MessageBuffer& message) { return SendRaw(message.Bytes()); }
    bool SendRaw(std::string_view bytes);

    // The next whole message, or nothing when none arrives within the timeout
    // or the server closed the connection (see ServerClosed).
    std::optional<MessageBuffer> Receive(Millis timeout = kDefaultTimeout);
    // The next message of the given type; messages of other types are skipped.
    std::optional<MessageBuffer> ReceiveType(std::uint16_t type, Millis timeout = kDefaultTimeout);
    // Reads and discards messages until the server closes the connection;
    // true when it did so within the timeout.
    bool WaitForServerClose(Millis timeout = kDefaultTimeout);
    // True once a read has seen the end of the connection (or a reset).
    bool ServerClosed() const { return serverClosed_; }

private:
    // Waits for and reads one block; false on timeout or end of connection.
    bool ReadSome(std::chrono::steady_clock::time_point deadline);

    int fd_ = -1;
    int receiveBufferSize_ = 0;
    std::string sourceAddress_;  // empty: the kernel chooses
    bool serverClosed_ = false;
    std::string buffer_;  // bytes received and not yet taken out as messages
};

struct TowerListItem {
    int count;  // the tower count the entry carries (signed)
    std::string name;
    std::string description;
};

// Reads the TowerListEntry messages that answer a Hello, as many as the count
// they carry (one for an empty list); nothing when they do not all arrive in time.
std::optional<std::vector<TowerListItem>> ReadTowerList(TestClient& client, Millis timeout = kDefaultTimeout);

}  // namespace testsupport
