#include "tests/support/TestClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <utility>

#include "net/Wire.h"

namespace testsupport {

using Clock = std::chrono::steady_clock;

TestClient::~TestClient() { Close(); }

TestClient::TestClient(TestClient&& other) noexcept { *this = std::move(other); }

TestClient& TestClient::operator=(TestClient&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        receiveBufferSize_ = other.receiveBufferSize_;
        sourceAddress_ = std::move(other.sourceAddress_);
        serverClosed_ = other.serverClosed_;
        buffer_ = std::move(other.buffer_);
    }
    return *this;
}

bool TestClient::Connect(std::uint16_t port) {
    Close();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return false;
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (receiveBufferSize_ > 0)
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBufferSize_, sizeof receiveBufferSize_);
    if (!sourceAddress_.empty()) {
        sockaddr_in source{};
        source.sin_family = AF_INET;
        if (::inet_pton(AF_INET, sourceAddress_.c_str(), &source.sin_addr) != 1 ||
            ::bind(fd_, reinterpret_cast<const sockaddr*>(&source), sizeof source) != 0) {
            Close();
            return false;
        }
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        Close();
        return false;
    }
    serverClosed_ = false;
    buffer_.clear();
    return true;
}

void TestClient::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool TestClient::SendRaw(std::string_view bytes) {
    while (!bytes.empty()) {
        if (fd_ < 0) return false;
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::optional<MessageBuffer> TestClient::TakeMessage() {
    if (buffer_.size() < 2) return std::nullopt;
    const std::size_t length = MessageBuffer(buffer_.substr(0, 2)).GetU16(wire::kLengthOffset);
    if (length < static_cast<std::size_t>(wire::kHeaderSize)) {
        // A length that can never be cut out: treat the stream as ended.
        serverClosed_ = true;
        buffer_.clear();
        return std::nullopt;
    }
    if (buffer_.size() < length) return std::nullopt;
    MessageBuffer message(std::string_view(buffer_).substr(0, length));
    buffer_.erase(0, length);
    return message;
}

bool TestClient::ReadSome(Clock::time_point deadline) {
    if (fd_ < 0 || serverClosed_) return false;
    for (;;) {
        const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now()).count();
        pollfd waiting{fd_, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(std::max<long long>(left, 0)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        char block[16384];
        const ssize_t n = ::recv(fd_, block, sizeof block, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            serverClosed_ = true;
            return false;
        }
        buffer_.append(block, static_cast<std::size_t>(n));
        return true;
    }
}

std::optional<MessageBuffer> TestClient::Receive(Millis timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (auto message = TakeMessage()) return message;
        if (!ReadSome(deadline)) return std::nullopt;
    }
}

std::optional<MessageBuffer> TestClient::ReceiveType(std::uint16_t type, Millis timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
        auto message = Receive(std::max(left, Millis(0)));
        if (!message) return std::nullopt;
        if (message->GetU16(wire::kTypeOffset) == type) return message;
    }
}

bool TestClient::WaitForServerClose(Millis timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!serverClosed_) {
        if (!ReadSome(deadline) && !serverClosed_) return false;
        buffer_.clear();
    }
    return true;
}

std::optional<std::vector<TowerListItem>> ReadTowerList(TestClient& client, Millis timeout) {
    const auto deadline = Clock::now() + timeout;
    std::vector<TowerListItem> items;
    std::set<std::string> names;
    for (;;) {
        const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
        auto message = client.ReceiveType(wire::towerListEntry::kType, std::max(left, Millis(0)));
        if (!message) return std::nullopt;
        TowerListItem item{static_cast<std::int16_t>(message->GetU16(wire::towerListEntry::kCount)),
                           message->GetString(wire::towerListEntry::kName),
                           message->GetString(wire::towerListEntry::kDescription)};
        if (!item.name.empty()) names.insert(item.name);
        items.push_back(std::move(item));
        const int count = items.back().count;
        if (count >= 0 && static_cast<std::size_t>(count) == names.size()) return items;
    }
}

}  // namespace testsupport
