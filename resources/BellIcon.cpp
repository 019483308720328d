// The program icon: a gold bell with its clapper, drawn for this project,
// at 32 x 32 and 16 x 16. The Windows build carries the same pictures in its
// resource script (resources/windows/tolmer.rc).
#include "resources/BellIcon.h"

#include "resources/ResourceIds.h"

namespace {
// XPM files are C source: the images compiled in here are the installed icons.
#include "resources/bell16.xpm"
#include "resources/bell32.xpm"
}  // namespace

const platform::IconResource& BellIcon() {
    static const platform::IconResource icon{ids::IDR_MAINFRAME, bell32_xpm, bell16_xpm};
    return icon;
}
