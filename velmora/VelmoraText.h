// String ids of the main program; the texts are in "resources/velmora".
#pragma once

enum VelmoraString : unsigned {
    // The input form's lists and the start dialog.
    IDS_SYSTEM_FIRST = 175,  // the 21 systems, 175 to 195
    IDS_FORM_HINT = 217,
    IDS_FUEL_FIRST = 218,    // the 13 fuels, 218 to 230
    IDS_START_NEW = 1071,
    IDS_START_OPEN = 1072,

    // The dialog of the range of effective heights.
    IDS_HOEHENBEREICH_FALSCH = 236,
    IDS_HOEHE_BEREICH = 239,
    IDS_SCHRITT_BEREICH = 240,
    IDS_ZU_VIELE_HOEHEN = 241,
    IDS_HOEHENBEREICH_HILFE = 10265,

    // The document: the diagram's axes, its messages and the hand-over.
    IDS_X_AXIS_TITLE = 1073,
    IDS_Y_AXIS_ROUND = 1074,
    IDS_NO_CROSS_SECTION = 1075,
    IDS_Y_AXIS_SQUARE = 1076,
    IDS_AURELIA_START_FEHLER = 1079,

    IDS_KEINE_FEUERSTAETTE = 1093,
    // The hint after a computation.
    IDS_HINWEIS_FADENKREUZ = 1094,

    // The about box.
    IDS_ABOUT_LINE1 = 1077,
    IDS_ABOUT_LINE2 = 1078,
    IDS_ABOUT_TITLE = 1095,

    // The printout: the options title, the recipient's numbers, the
    // arrangement and the heat generator's pressure.
    IDS_DRUCK_PROJEKT = 1096,
    IDS_KUNDENTELEFON = 1097,
    IDS_KUNDENFAX = 1098,
    IDS_BETRIEBSWEISE = 202,
    IDS_BETRIEB_SCHORNSTEIN = 1099,
    IDS_BETRIEB_FEUCHTEUNEMPFINDLICH = 1100,
    IDS_BETRIEB_ABGASLEITUNG = 1101,
    IDS_ABGAS_ABLUFTSCHORNSTEIN = 10623,
    IDS_MAX_FOERDERDRUCK = 1086,
    IDS_MAX_UEBERDRUCK = 1087,
};
