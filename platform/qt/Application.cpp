#include "platform/Application.h"

#include <QApplication>
#include <QFont>
#include <QStringList>

#include "platform/MessageBox.h"
#include "platform/Process.h"

namespace platform {

namespace {

// Maps the face names the templates use (Arial, MS Sans Serif) onto fonts
// this machine has, metric-compatible where it can.
void InstallFontSubstitutes() {
    const QStringList sans{"Liberation Sans", "Arimo", "DejaVu Sans", "FreeSans"};
    QFont::insertSubstitutions("Arial", sans);
    QFont::insertSubstitutions("MS Sans Serif", sans);
    QFont::insertSubstitutions("MS Shell Dlg", sans);
}

}  // namespace

struct Application::Native {
    Native(int& argc, char** argv) : application(argc, argv) {}
    QApplication application;
};

Application::Application(int& argc, char** argv) : native_(std::make_unique<Native>(argc, argv)) {
    SetApplicationName(argc > 0 ? argv[0] : "tolmer");
    SetCommandLine(argc, argv);
    InstallFontSubstitutes();
}

Application::~Application() = default;

int Application::Run() { return QApplication::exec(); }

}  // namespace platform
