// A program icon as each backend takes it: Windows loads the icon resource
// by its id from the executable (the resource script builds it in); the
// other backends draw the XPM images compiled in.
#pragma once

namespace platform {

struct IconResource {
    int id;
    const char* const* largeXpm;  // 32 x 32
    const char* const* smallXpm;  // 16 x 16
};

}  // namespace platform
