#include "app/ClientApp.h"

#include "app/TowerWindow.h"

bool ClientApp::InitInstance() {
    TowerWindow window;
    window.DoModal();
    return false;
}
