// The one connection to the server: opened once from the start-up timer,
// driven by socket notifications, never reopened. Incoming bytes are cut into
// messages by their length field and dispatched by type; outgoing messages
// leave through the send queue in the order they were queued.
#include "app/TowerWindow.h"
#include "net/Framing.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

using namespace platform;

namespace {
constexpr int kReceiveBlock = 1024;
}

void TowerWindow::ConnectToServer() {
    if (!serverProblem.empty()) {
        MessageBox(serverProblem);
        EndDialog(IDCANCEL);
        return;
    }
    // The address comes first: its family decides the socket's.
    HostAddress address;
    if (!LookUpHost(serverHost, address) || address.IsUnspecified()) {
        MessageBox("Internet connection not found");
        EndDialog(IDCANCEL);
        return;
    }
    connSocket = OpenStreamSocket(address.family);
    if (connSocket == INVALID_SOCKET) {
        MessageBox(Format("can't open socket. Errno %d\n", WSAGetLastError()));
        EndDialog(IDCANCEL);
        return;
    }
    SetNoDelay(connSocket, true);
    // A blocking connect: the window does not respond until it returns.
    if (ConnectSocket(connSocket, address, serverPort) == SOCKET_ERROR) {
        const int code = WSAGetLastError();
        if (code == WSAECONNREFUSED) MessageBox("Connection to server failed");
        else if (code == WSAECONNABORTED) MessageBox("Connection to server timed out");
        else MessageBox(Format("Connect to server failed. Error Code %d\n", code));
        CloseSocket(connSocket);
        connSocket = INVALID_SOCKET;
        EndDialog(IDCANCEL);
        return;
    }
    const auto notify = [this](SOCKET socket, int event, int error) { OnSocketEvent(socket, event, error); };
    if (AsyncSelect(connSocket, *this, WM_SOCKET_NOTIFY, notify, FD_READ | FD_WRITE | FD_CLOSE) == SOCKET_ERROR) {
        MessageBox(Format("Failed to Setup Async Socket notification on connection to server - error code %d",
                          WSAGetLastError()));
        CloseSocket(connSocket);
        connSocket = INVALID_SOCKET;
        EndDialog(IDCANCEL);
        return;
    }
    SetKeepAlive(connSocket, true);
    OnConnected();
}

void TowerWindow::OnConnected() {
    // Hello; the tower list that answers it starts from nothing.
    session.OnConnected();
}

void TowerWindow::QueueMessage(const MessageBuffer& message) {
    if (!sendQueue.Empty()) {
        // Bytes still waiting go first; the next write notification sends both.
        sendQueue.Append(message);
        return;
    }
    sendQueue = message;
    FlushSendQueue();
}

void TowerWindow::FlushSendQueue() {
    // After a partial send the rest is offered again at once, until the queue
    // is empty or the socket has no room (then the write notification resumes).
    while (!sendQueue.Empty()) {
        const int sent = Send(connSocket, sendQueue.Data(), static_cast<int>(sendQueue.Length()));
        if (sent == SOCKET_ERROR) {
            const int code = WSAGetLastError();
            const bool quiet = code == WSAEWOULDBLOCK || code == WSAECONNRESET || code == WSAECONNABORTED ||
                               code == WSAENOTSOCK || code == WSA_INVALID_HANDLE;
            if (!quiet) Report(Format("Failed to send data - error %d", code));
            return;
        }
        sendQueue.RemoveFront(static_cast<std::size_t>(sent));
    }
}

void TowerWindow::OnSocketEvent(SOCKET socket, int event, int error) {
    if (socket != connSocket) {
        Report("Message from unknown socket handle");
        return;
    }
    switch (event) {
    case FD_READ: OnReceive(); break;
    case FD_WRITE: FlushSendQueue(); break;
    case FD_CLOSE: OnConnectionLost(); break;
    default:
        Report(Format("Unexpected TCPIP event %d. Error %d, Socket %d\n", event, error, static_cast<int>(socket)));
        break;
    }
}

void TowerWindow::OnReceive() {
    char block[kReceiveBlock];
    int n = Recv(connSocket, block, kReceiveBlock);
    while (n > 0) {
        receiveBuffer.Append(block, static_cast<std::size_t>(n));
        // A handler may run a dialog in which further messages arrive and are
        // handled, so the buffer is looked at afresh on every round.
        for (;;) {
            const wire::FrameStatus status = wire::ScanFrame(receiveBuffer.Bytes(), wire::kFromServer).status;
            if (status == wire::FrameStatus::Incomplete) break;
            if (status == wire::FrameStatus::Invalid) {
                // A length that cannot hold its own header would never leave the buffer.
                OnConnectionLost();
                return;
            }
            HandleMessage();
            if (connSocket == INVALID_SOCKET) return;
        }
        n = Recv(connSocket, block, kReceiveBlock);
    }
}

void TowerWindow::HandleMessage() {
    const std::size_t length = wire::ScanFrame(receiveBuffer.Bytes(), wire::kFromServer).length;
    // The message leaves the buffer before its handler runs.
    const MessageBuffer message = receiveBuffer.Left(length);
    receiveBuffer.RemoveFront(length);

    // Decoded once, here; a message shorter than the fields of its type means
    // the server cannot be trusted any further, as if the connection were lost.
    const std::string_view bytes = message.Bytes();
    bool whole = true;
    const auto handle = [&](const auto& decoded, auto handler) {
        if (decoded) (this->*handler)(*decoded);
        else whole = false;
    };
    const std::uint16_t number = wire::TypeOf(bytes);
    const auto unexpected = [&] { Report(Format("Incoming message has unexpected message type : %d", number)); };
    const auto type = wire::ToMessageType(number);
    if (!type) return unexpected();
    switch (*type) {
    case wire::MessageType::RingerInfo: handle(wire::ReadRingerInfo(bytes), &TowerWindow::OnRingerInfo); break;
    case wire::MessageType::Call: handle(wire::ReadCall(bytes), &TowerWindow::OnCallMessage); break;
    case wire::MessageType::Strike: handle(wire::ReadStrike(bytes), &TowerWindow::OnStrikeMessage); break;
    case wire::MessageType::RingerLeft: handle(wire::ReadRingerLeft(bytes), &TowerWindow::OnRingerLeft); break;
    case wire::MessageType::Chat: handle(wire::ReadChat(bytes), &TowerWindow::OnChatMessage); break;
    case wire::MessageType::TowerListEntry:
        handle(wire::ReadTowerListEntry(bytes), &TowerWindow::OnTowerListEntry);
        break;
    case wire::MessageType::TowerEntered: handle(wire::ReadTowerEntered(bytes), &TowerWindow::OnTowerEntered); break;
    case wire::MessageType::ServerNotice: handle(wire::ReadServerNotice(bytes), &TowerWindow::OnServerNotice); break;
    case wire::MessageType::Hello:
    case wire::MessageType::StartTower: unexpected(); break;
    }
    if (!whole) OnConnectionLost();
}

void TowerWindow::OnConnectionLost() {
    if (connSocket == INVALID_SOCKET) return;
    CloseSocket(connSocket);
    connSocket = INVALID_SOCKET;
    sendQueue.Clear();
    receiveBuffer.Clear();
    MessageBox("Connection to Server Lost.");
    EndDialog(IDCANCEL);
}

void TowerWindow::Report(const std::string& text, bool offerTowers) {
    if (!reports.Add({text, offerTowers})) return;
    // One box at a time: while it is open, the reports that come wait, and
    // the caller that opened it shows them after it, one after another.
    while (const auto report = reports.Next()) {
        MessageBox(report->text);
        reports.Closed();
        if (HasEnded()) return;
        if (report->offerTowers && !session.InTower()) RunJoinDialog();
    }
}
