#include "app/ClientApp.h"
#include "platform/Application.h"

int main(int argc, char** argv) {
    platform::Application application(argc, argv);
    ClientApp app;
    return app.InitInstance() ? application.Run() : 0;
}
