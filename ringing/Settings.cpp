#include "app/TowerWindow.h"

void TowerWindow::OnSettings() {}
