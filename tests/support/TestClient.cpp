#include "tests/support/TestClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "net/Framing.h"
#include "net/Messages.h"

namespace testsupport {

using Clock = std::chrono::steady_clock;

namespace {
Millis Left(Clock::time_point deadline) {
    return std::max(std::chrono::duration_cast<Millis>(deadline - Clock::now()), Millis(0));
}
}  // namespace

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
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (receiveBufferSize_ > 0)
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBufferSize_, sizeof receiveBufferSize_);
    sockaddr_in source{};
    source.sin_family = AF_INET;
    const bool bound =
        sourceAddress_.empty() || (::inet_pton(AF_INET, sourceAddress_.c_str(), &source.sin_addr) == 1 &&
                                   ::bind(fd_, reinterpret_cast<sockaddr*>(&source), sizeof source) == 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ < 0 || !bound || ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
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
        const ssize_t n = fd_ < 0 ? -1 : ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && (fd_ < 0 || errno != EINTR)) return false;
        if (n > 0) bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool TestClient::ReadSome(Clock::time_point deadline) {
    while (fd_ >= 0 && !serverClosed_) {
        pollfd waiting{fd_, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(Left(deadline).count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        char block[16384];
        const ssize_t n = ::recv(fd_, block, sizeof block, 0);
        if (n < 0 && errno == EINTR) continue;
        serverClosed_ = n <= 0;
        if (n > 0) buffer_.append(block, static_cast<std::size_t>(n));
        return n > 0;
    }
    return false;
}

std::optional<MessageBuffer> TestClient::Receive(Millis timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const wire::Frame frame = wire::ScanFrame(buffer_, wire::FrameRules{2, 0xFFFF});
        if (frame.status == wire::FrameStatus::Invalid) {
            serverClosed_ = true;  // a length that can never be cut out: the stream has ended
            buffer_.clear();
        }
        if (frame.status == wire::FrameStatus::Complete) {
            MessageBuffer message(std::string_view(buffer_).substr(0, frame.length));
            buffer_.erase(0, frame.length);
            return message;
        }
        if (!ReadSome(deadline)) return std::nullopt;
    }
}

std::optional<MessageBuffer> TestClient::ReceiveType(std::uint16_t type, Millis timeout) {
    const auto deadline = Clock::now() + timeout;
    auto message = Receive(timeout);
    while (message && wire::TypeOf(message->Bytes()) != type) message = Receive(Left(deadline));
    return message;
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
    for (;;) {
        const auto message = client.ReceiveType(wire::towerListEntry::kType, Left(deadline));
        const auto entry = message ? wire::ReadTowerListEntry(message->Bytes()) : std::nullopt;
        if (!entry) return std::nullopt;
        items.push_back({entry->count, std::string(entry->name), std::string(entry->description)});
        if (entry->count <= 0 || items.size() >= static_cast<std::size_t>(entry->count)) return items;
    }
}

}  // namespace testsupport
