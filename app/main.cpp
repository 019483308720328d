#include <QApplication>

#include "app/ClientApp.h"
#include "platform/Font.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    platform::SetApplicationName(argc > 0 ? argv[0] : "tolmer");
    platform::SetCommandLine(argc, argv);
    platform::InstallFontSubstitutes();
    ClientApp app;
    return app.InitInstance() ? application.exec() : 0;
}
