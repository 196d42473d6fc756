// Command, control and string ids of the second program, beside the ones
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

enum TarsiloString : unsigned {
    IDS_LABEL_DIAMETER = 131,
    IDS_LABEL_INNER_WIDTH = 132,
    IDS_SYSTEM_ABOVE_16 = 137,
    IDS_HEADER_DIAMETER = 141,
    IDS_HEADER_EDGE = 142,
    IDS_HEADER_LENGTH_WIDTH = 143,
    IDS_ROW_NOT_COMPUTED = 188,
    IDS_START_NEW = 189,
    IDS_START_OPEN = 190,
    IDS_CHOOSE_FUEL = 194,
    IDS_FIRST_SYSTEM = 217,
    IDS_FIRST_FUEL = 238,
    IDS_FIRST_COLUMN = 251,
};

// Posted to the view after its first update: the start dialog.
inline constexpr int kStartDialogMessage = 0x435;
