// Command ids of the main program's menus, toolbar and form, with the
// framework's own ids where the commands are the framework's.
#pragma once

#include <set>

enum VelmoraCommand : int {
    ID_CALCULATE = 1000,
    ID_USER_DATA = 32771,
    ID_NEW_CALCULATION = 32772,
    ID_PRINT_CALCULATION = 32773,
    ID_PREVIEW_CALCULATION = 32774,
    ID_ORDER_UPDATE = 32775,
    ID_PROJECT_DATA = 32776,
    ID_REMARKS = 32777,
    ID_APP_HELP = 32782,
    ID_GEODETIC_HEIGHT = 32783,
    ID_HOME_PAGE = 32784,
    ID_CROSS_SECTION_TABLES = 32785,
    ID_FORMULAR = 32787,
    ID_TOGGLE_HINT = 32788,
    ID_HAND_OVER = 32789,
    ID_CHIMNEY_HEIGHT_RANGE = 32793,
    ID_PLACE_NAMES = 41537,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_SEND_MAIL = 57612,
    ID_FILE_MRU_FILE1 = 57616,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

// String ids of the main program.
enum VelmoraString : unsigned {
    IDS_DOC_TEMPLATE = 128,
    IDS_ABOUT_LINE1 = 1077,
    IDS_ABOUT_LINE2 = 1078,
    IDS_OPEN_FILTER = 1085,
    IDS_IDLE_MESSAGE = 57345,
    IDS_INDICATOR_CAPS = 59137,
    IDS_INDICATOR_NUM = 59138,
    IDS_INDICATOR_SCRL = 59139,
    IDS_FAILED_TO_OPEN_DOC = 61697,
};

// As in the framework the program follows, a menu command that nothing
// handles is greyed: whoever binds a command handler records its id here.
std::set<int>& RoutedCommands();
