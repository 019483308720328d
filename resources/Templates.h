// The client's dialog templates, as data.
#pragma once

#include "platform/DialogTemplate.h"

const platform::DialogTemplate& TowerWindowTemplate();  // 102
const platform::DialogTemplate& JoinTowerTemplate();    // 129
const platform::DialogTemplate& MessagesTemplate();     // 130
const platform::DialogTemplate& BellsTemplate();        // 131
const platform::DialogTemplate& ControlsTemplate();     // 132
const platform::DialogTemplate& ReviewTemplate();       // 133
