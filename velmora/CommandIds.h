// Command ids of the main program's own menus, toolbar and form, beside the
// ones both programs share.
#pragma once

#include "velmora/shared/CommandIds.h"

enum VelmoraCommand : int {
    ID_CALCULATE = 1000,
    ID_NEW_CALCULATION = 32772 - kWxIdShift,
    ID_REMARKS = 32777 - kWxIdShift,
    ID_APP_HELP = 32782 - kWxIdShift,
    ID_HOME_PAGE = 32784 - kWxIdShift,
    ID_FORMULAR = 32787 - kWxIdShift,
    ID_TOGGLE_HINT = 32788 - kWxIdShift,
    ID_HAND_OVER = 32789 - kWxIdShift,
    ID_CHIMNEY_HEIGHT_RANGE = 32793 - kWxIdShift,
};
