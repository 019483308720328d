// Sockets on POSIX descriptors; their notifications come from Qt's socket
// notifiers and are posted to the window's event queue as the system would.
#include "platform/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <cerrno>
#include <map>

#include "platform/SocketAddresses.h"
#include "platform/qt/QtAccess.h"

namespace platform {

namespace {

// Each thread sees the error of its own last failed call.
thread_local int lastError = 0;

int Descriptor(SOCKET socket) { return static_cast<int>(socket); }

int WsaErrorFromErrno(int error);

int Fail(int posixError) {
    lastError = WsaErrorFromErrno(posixError);
    return SOCKET_ERROR;
}

// One socket's notifications. Read stays armed until a read is reported and
// is armed again by the next Recv; write is armed only by a refused Send.
class Registration : public QObject {
public:
    Registration(SOCKET socket, QObject* window, SocketNotify notify, long events)
        : socket_(socket),
          window_(window),
          notify_(std::move(notify)),
          events_(events),
          read_(Descriptor(socket), QSocketNotifier::Read),
          write_(Descriptor(socket), QSocketNotifier::Write) {
        write_.setEnabled(false);
        QObject::connect(&read_, &QSocketNotifier::activated, this, [this] { OnReadable(); });
        QObject::connect(&write_, &QSocketNotifier::activated, this, [this] {
            write_.setEnabled(false);
            Post(FD_WRITE, 0);
        });
        // The window going away ends its notifications.
        QObject::connect(window, &QObject::destroyed, this, [this] { Stop(); });
    }

    void ArmRead() {
        if (!stopped_ && !closeReported_) read_.setEnabled(true);
    }
    void ArmWrite() {
        if (!stopped_) write_.setEnabled(true);
    }
    // Deletes the registration once no handler of its notifications is still
    // running (a handler may close the socket, even from a nested loop).
    void Release() {
        Stop();
        doomed_ = true;
        if (active_ == 0) delete this;
    }
    void Stop() {
        stopped_ = true;
        read_.setEnabled(false);
        write_.setEnabled(false);
    }
    // Posts a notification to the window's event queue, as the system does.
    void Post(long event, int error) {
        if (stopped_ || !(events_ & event)) return;
        QMetaObject::invokeMethod(
            this,
            [this, event, error] {
                if (stopped_ || !window_) return;
                ++active_;
                notify_(socket_, static_cast<int>(event), error);
                if (--active_ == 0 && doomed_) deleteLater();
            },
            Qt::QueuedConnection);
    }

private:
    // Data waiting is a read; the end of the stream, once the data before it
    // has been read, is a close.
    void OnReadable() {
        read_.setEnabled(false);
        char byte;
        const ssize_t n = ::recv(Descriptor(socket_), &byte, 1, MSG_PEEK);
        if (n > 0) {
            Post(FD_READ, 0);
        } else if (n == 0) {
            closeReported_ = true;
            Post(FD_CLOSE, 0);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            read_.setEnabled(true);
        } else {
            closeReported_ = true;
            Post(FD_CLOSE, WsaErrorFromErrno(errno));
        }
    }

    SOCKET socket_;
    QPointer<QObject> window_;
    SocketNotify notify_;
    long events_;
    QSocketNotifier read_;
    QSocketNotifier write_;
    bool stopped_ = false;
    bool closeReported_ = false;
    bool doomed_ = false;
    int active_ = 0;
};

std::map<SOCKET, Registration*>& Registry() {
    static std::map<SOCKET, Registration*> registry;
    return registry;
}

Registration* Find(SOCKET socket) {
    auto it = Registry().find(socket);
    return it == Registry().end() ? nullptr : it->second;
}

void Unregister(SOCKET socket) {
    if (Registration* r = Find(socket)) {
        Registry().erase(socket);
        r->Release();
    }
}

// The Windows Sockets number for a POSIX errno value.
int WsaErrorFromErrno(int error) {
    switch (error) {
    case EINTR: return 10004;
    case EBADF: return WSAENOTSOCK;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case EAGAIN: return WSAEWOULDBLOCK;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return WSAENOTSOCK;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case EOPNOTSUPP: return 10045;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return WSAECONNABORTED;
    case EPIPE: return WSAECONNABORTED;
    case ECONNRESET: return WSAECONNRESET;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    default: return error;
    }
}

}  // namespace

int WSAGetLastError() { return lastError; }

SOCKET OpenStreamSocket(HostAddress::Family family) {
    const int fd = ::socket(addresses::SystemFamily(family), SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        Fail(errno);
        return INVALID_SOCKET;
    }
    return static_cast<SOCKET>(fd);
}

bool LookUpHost(const std::string& host, HostAddress& address) {
    const auto lookup = [&host](int family, HostAddress& found) {
        addrinfo hints{};
        hints.ai_family = family;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        if (const int error = ::getaddrinfo(host.c_str(), nullptr, &hints, &list); error != 0) return error;
        if (list == nullptr) return EAI_NONAME;
        found = addresses::FromSystem(list->ai_addr);
        ::freeaddrinfo(list);
        return 0;
    };
    return addresses::LookUpIPv4ThenIPv6(lookup, address);
}

int ConnectSocket(SOCKET socket, const HostAddress& address, std::uint16_t port) {
    sockaddr_storage to;
    const socklen_t size = addresses::ToSystem(address, port, to);
    const int fd = Descriptor(socket);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), size) == 0) return 0;
    if (errno != EINTR) return Fail(errno);
    // An interrupted connect goes on by itself; a second connect would only
    // find it under way. Wait for it to end and take its outcome.
    pollfd done{fd, POLLOUT, 0};
    while (::poll(&done, 1, -1) < 0) {
        if (errno != EINTR) return Fail(errno);
    }
    int error = 0;
    socklen_t errorSize = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &errorSize) != 0) return Fail(errno);
    return error == 0 ? 0 : Fail(error);
}

int SetNoDelay(SOCKET socket, bool on) {
    const int value = on ? 1 : 0;
    return ::setsockopt(Descriptor(socket), IPPROTO_TCP, TCP_NODELAY, &value, sizeof value) == 0 ? 0 : Fail(errno);
}

int SetKeepAlive(SOCKET socket, bool on) {
    const int value = on ? 1 : 0;
    return ::setsockopt(Descriptor(socket), SOL_SOCKET, SO_KEEPALIVE, &value, sizeof value) == 0 ? 0 : Fail(errno);
}

// The message number has no use here: Qt delivers the notification itself.
int AsyncSelect(SOCKET socket, Dialog& dialog, unsigned /*message*/, SocketNotify notify, long events) {
    QWidget* window = qt::WidgetOf(dialog);
    if (!window) return Fail(EINVAL);
    const int flags = ::fcntl(Descriptor(socket), F_GETFL);
    if (flags < 0 || ::fcntl(Descriptor(socket), F_SETFL, flags | O_NONBLOCK) != 0) return Fail(errno);
    Unregister(socket);
    auto* registration = new Registration(socket, window, std::move(notify), events);
    Registry()[socket] = registration;
    // A connected socket has room to write from the start.
    registration->Post(FD_WRITE, 0);
    return 0;
}

int Send(SOCKET socket, const char* data, int length) {
    const ssize_t n = ::send(Descriptor(socket), data, static_cast<std::size_t>(length), MSG_NOSIGNAL);
    if (n >= 0) return static_cast<int>(n);
    const int error = errno;
    if (error == EAGAIN || error == EWOULDBLOCK) {
        if (Registration* r = Find(socket)) r->ArmWrite();
    }
    return Fail(error);
}

int Recv(SOCKET socket, char* buffer, int length) {
    const ssize_t n = ::recv(Descriptor(socket), buffer, static_cast<std::size_t>(length), 0);
    const int error = errno;
    // Every read arms the read notification again, so data still waiting is reported.
    if (Registration* r = Find(socket)) r->ArmRead();
    if (n >= 0) return static_cast<int>(n);
    return Fail(error);
}

int CloseSocket(SOCKET socket) {
    Unregister(socket);
    return ::close(Descriptor(socket)) == 0 ? 0 : Fail(errno);
}

}  // namespace platform
