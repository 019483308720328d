// A connection to the server for a program without a window (the robot
// ringer): a non-blocking POSIX socket that the caller polls, the server's
// bytes cut into messages by their length field and dispatched by type, and
// a send queue that never waits. The client's window keeps its own
// connection (net/Connection.cpp), driven by socket notifications.
//
//   auto link = HeadlessConnection::Open("localhost", 17481, 10s, error);
//   link->Send(wire::Build(wire::Hello{}).Bytes());
//   poll({link->Descriptor(), POLLIN | (link->WantsToWrite() ? POLLOUT : 0)}, ...);
//   if (readable && !link->Receive(handler)) report(link->CloseReason());
//   if (writable) link->Flush();
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "net/ServerDispatch.h"

class HeadlessConnection {
public:
    // Connects to host:port, trying each address the name resolves to until
    // one answers within the timeout. Nothing, and `error` says why, when
    // none does.
    static std::unique_ptr<HeadlessConnection> Open(const std::string& host, std::uint16_t port,
                                                    std::chrono::milliseconds timeout, std::string& error);
    ~HeadlessConnection();
    HeadlessConnection(const HeadlessConnection&) = delete;
    HeadlessConnection& operator=(const HeadlessConnection&) = delete;

    int Descriptor() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Why the connection ended; empty while it is open.
    const std::string& CloseReason() const { return closeReason_; }

    // Sends what the socket takes at once and keeps the rest, in order, for
    // Flush. Never waits; allocates only when bytes have to wait.
    void Send(std::string_view bytes);
    bool WantsToWrite() const { return !unsent_.empty(); }
    // Offers the waiting bytes again: call when poll reports room.
    void Flush();

    // Reads everything that has arrived and hands each whole message to the
    // handler, in order. False once the connection has ended: the server
    // closed it, or sent what no server sends (a length that cannot be a
    // message, a message shorter than its type's fields). A type the server
    // never sends is dropped and counted.
    bool Receive(wire::ServerMessageHandler& handler);
    int DroppedMessages() const { return dropped_; }

    void Close(std::string reason);

private:
    explicit HeadlessConnection(int fd);
    void DispatchWhole(wire::ServerMessageHandler& handler);

    int fd_;
    std::string received_;  // bytes not yet taken out as messages
    std::string unsent_;    // bytes the socket had no room for
    std::string closeReason_;
    int dropped_ = 0;
};
