// Command ids both programs' menus, toolbars and frames share, with the
// framework's own ids where the commands are the framework's. wxWidgets takes
// ids below 32767 only, so every id from 30000 up is kept less 30000; the
// resource files name the commands by these values.
#pragma once

#include <set>

inline constexpr int kWxIdShift = 30000;

enum SharedCommand : int {
    // The first id of the programs' own commands; the frame greys what no handler took from here on.
    ID_FIRST_PROGRAM_COMMAND = 1000,
    ID_USER_DATA = 32771 - kWxIdShift,
    ID_PRINT_CALCULATION = 32773 - kWxIdShift,
    ID_PREVIEW_CALCULATION = 32774 - kWxIdShift,
    ID_ORDER_UPDATE = 32775 - kWxIdShift,
    ID_PROJECT_DATA = 32776 - kWxIdShift,
    ID_GEODETIC_HEIGHT = 32783 - kWxIdShift,
    ID_CROSS_SECTION_TABLES = 32785 - kWxIdShift,
    ID_PLACE_NAMES = 41537 - kWxIdShift,
    ID_FILE_OPEN = 57601 - kWxIdShift,
    ID_FILE_SAVE = 57603 - kWxIdShift,
    ID_FILE_SAVE_AS = 57604 - kWxIdShift,
    ID_FILE_SEND_MAIL = 57612 - kWxIdShift,
    ID_FILE_MRU_FILE1 = 57616 - kWxIdShift,
    ID_APP_ABOUT = 57664 - kWxIdShift,
    ID_APP_EXIT = 57665 - kWxIdShift,
    ID_VIEW_TOOLBAR = 59392 - kWxIdShift,
    ID_VIEW_STATUS_BAR = 59393 - kWxIdShift,
};

// As in the framework the programs follow, a menu command that nothing
// handles is greyed: whoever binds a command handler records its id here.
std::set<int>& RoutedCommands();
