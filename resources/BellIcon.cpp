// The program icon: a gold bell with its clapper, drawn for this project,
// at 32 x 32 and 16 x 16.
#include "resources/BellIcon.h"

#include <QPixmap>

namespace {
// XPM files are C source: the images compiled in here are the installed icons.
#include "resources/bell16.xpm"
#include "resources/bell32.xpm"
}  // namespace

QIcon BellIconLarge() { return QIcon(QPixmap(bell32_xpm)); }

QIcon BellIconSmall() { return QIcon(QPixmap(bell16_xpm)); }
