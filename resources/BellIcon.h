// The program icon (resource 128): one 32 x 32 and one 16 x 16 image.
#pragma once

#include "platform/IconResource.h"

const platform::IconResource& BellIcon();
