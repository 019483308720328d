#include "app/TowerWindow.h"

void TowerWindow::RecordPing(const std::string&, std::int16_t) {}
