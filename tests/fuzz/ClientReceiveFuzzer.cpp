// Feeds arbitrary bytes to a real main window as its server would send them.
// For each input a fresh window connects to a loopback listener of this
// process; the listener's side writes the input, closes its direction, and
// the window reassembles, dispatches and handles what arrived until the
// loss of the connection (or the user giving up the Start/Join dialog) ends
// its run. Nothing carries over from one input to the next.
//
// The user's part is played at once: the first Start/Join dialog of a run is
// confirmed as "Fuzz" (starting a tower when none is listed, else joining the
// first listed one); a later one is cancelled, which ends the run. Any other
// dialog is cancelled and every message box is answered OK.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPixmapCache>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/TowerWindow.h"
#include "lobby/JoinTowerDialog.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "platform/qt/QtAccess.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::perror(what);
    std::abort();
}

int listenerFd = -1;  // the server side: one loopback listener for the whole process
int normalPriority = 0, startJoinDialogsOpened = 0;

std::uint16_t OpenListener() {
    listenerFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listenerFd < 0 || ::bind(listenerFd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listenerFd, 4) != 0 || ::getsockname(listenerFd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        Fail("listen");
    return ntohs(address.sin_port);
}

// What the window sends is read and dropped, so that it never waits for room.
void PumpEvents(int peer) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    char block[4096];
    while (::recv(peer, block, sizeof block, MSG_DONTWAIT) > 0) {}
}

void ActOnDialog(platform::Dialog& dialog) {
    auto* startJoin = dynamic_cast<JoinTowerDialog*>(&dialog);
    if (startJoin != nullptr && ++startJoinDialogsOpened == 1) {
        startJoin->userNameEdit.SetWindowText("Fuzz");
        if (startJoin->startRadio.GetCheck()) startJoin->towerNameEdit.SetWindowText("Fuzz Tower");
        else startJoin->towerListView.SetSelectionMark(0);
        startJoin->SendCommand(platform::IDOK);
    }
    // A refused OK leaves the dialog open; nobody is there to fix it.
    if (dialog.IsRunning()) dialog.OnCancel();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Lives until the process ends, as the client's own application object does.
    static platform::Application* const application = new platform::Application(*argc, *argv);
    (void)application;
    platform::SetApplicationName("tolmer");
    platform::SetCommandLine("tolmer --server 127.0.0.1:" + std::to_string(OpenListener()));
    platform::SetMessageBoxHook([](const std::string&) {});
    platform::Dialog::SetModalHook(ActOnDialog);
    // Qt would keep every window's icon in its pixmap cache; without it an
    // input leaves no allocation behind, so that a real leak stands out.
    QPixmapCache::setCacheLimit(0);
    normalPriority = getpriority(PRIO_PROCESS, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    startJoinDialogsOpened = 0;
    auto window = std::make_unique<TowerWindow>();
    window->Create();
    // Nobody looks at the window: without painting an input costs far less.
    platform::qt::WidgetOf(*window)->setUpdatesEnabled(false);
    // The window raises the process's priority for its strikes; a fuzzing
    // loop that never sleeps should not run ahead of everything else.
    (void)setpriority(PRIO_PROCESS, 0, normalPriority);
    // The start-up timer's work, without waiting for the timer.
    window->OnTimer(TIMER_CONNECT);
    if (window->connSocket == platform::INVALID_SOCKET) Fail("the window did not connect");
    const int peer = ::accept4(listenerFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (peer < 0) Fail("accept");

    for (std::size_t sent = 0; sent < size;) {
        const ssize_t n = ::send(peer, data + sent, size - sent, MSG_NOSIGNAL);
        // An error other than a full buffer: the window has closed the connection already.
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;
        sent += static_cast<std::size_t>(std::max<ssize_t>(n, 0));
        if (window->HasEnded()) break;
        PumpEvents(peer);
    }
    ::shutdown(peer, SHUT_WR);
    // The window reads what is left, then the close; either ends its run.
    while (!window->HasEnded()) PumpEvents(peer);

    window.reset();
    ::close(peer);
    // What the window's end left in the event queue, and the objects whose
    // deletion was deferred to the event loop, go now.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
