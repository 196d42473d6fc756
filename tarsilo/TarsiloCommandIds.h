// Command and control ids of the second program, beside the ones
// both programs share.
#pragma once

#include "velmora/shared/CommandIds.h"

enum TarsiloCommand : int {
    ID_TARSILO_HELP = 32777 - kWxIdShift,
    ID_TARSILO_REMARKS = 32781 - kWxIdShift,
    ID_TARSILO_FORMULAR = 32784 - kWxIdShift,
    ID_TARSILO_HAND_OVER = 32786 - kWxIdShift,
    ID_FILE_NEW = 57600 - kWxIdShift,
};

// Posted to the view after its first update: the start dialog.
inline constexpr int kStartDialogMessage = 0x435;
