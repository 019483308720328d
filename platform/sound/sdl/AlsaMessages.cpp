#include "platform/sound/sdl/AlsaMessages.h"

#include <dlfcn.h>

namespace platform {

namespace {

// The library's own declarations, so that building needs no ALSA headers.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error, const char* format, ...);
using SetAlsaErrorHandler = int (*)(AlsaErrorHandler handler);

void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void* SilenceAlsaMessages() {
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (alsa == nullptr) return nullptr;
    const auto setHandler = reinterpret_cast<SetAlsaErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler != nullptr) setHandler(IgnoreAlsaMessage);
    return alsa;
}

void ReleaseAlsa(void* handle) {
    if (handle != nullptr) dlclose(handle);
}

}  // namespace platform
