#include "app/TowerWindow.h"

void TowerWindow::LayOutBells() {}
