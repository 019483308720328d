#include "app/TowerWindow.h"

void TowerWindow::OnBellsButton() {}
