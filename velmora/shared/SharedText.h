// String ids of the code both programs share. The shared texts are in
// "resources/shared", a block of their own apart from both programs' tables;
// a few ids each program words itself in its own table.
#pragma once

enum SharedString : unsigned {
    // Each program's own text under the same id.
    IDS_DOC_TEMPLATE = 128,
    IDS_OPEN_FILTER = 1085,
    // The moisture texts of a system, in the main program's table.
    IDS_MOISTURE_YES = 1088,
    IDS_MOISTURE_NO = 1089,

    // The shared dialogs' texts and messages.
    IDS_DURCHMESSER = 20141,
    IDS_KANTENLAENGE = 20142,
    IDS_QUERSCHNITT_BEREICH = 20232,
    IDS_QUERSCHNITT_UEBERNEHMEN = 20233,
    IDS_GEOHOEHE_HILFE = 20234,
    IDS_GEOHOEHE_BEREICH = 20235,
    IDS_TABELLE_NICHT_GESPEICHERT = 20237,
    IDS_KEINE_ZAHL = 20238,
    // The messages both programs share.
    IDS_DATEI_NICHT_GESCHRIEBEN = 20240,
    IDS_DATEI_ERSETZEN = 20241,
    IDS_KEIN_LETZTES_PROJEKT = 20242,
    IDS_LETZTES_PROJEKT_FEHLT = 20243,
    IDS_WEBADRESSE_FEHLER = 20244,
    IDS_KEIN_DRUCKAUFTRAG = 20245,
    IDS_OEFFNEN = 20258,
    IDS_SPEICHERN_UNTER = 20259,

    // The heat-generator catalogue: the open-operation question, the missing
    // catalogue and the report of skipped lines with what is wrong in each.
    IDS_FRAGE_OFFENER_BETRIEB = 20246,
    IDS_KATALOG_FEHLT = 20247,
    IDS_KATALOG_ZEILEN_UEBERSPRUNGEN = 20248,
    IDS_KATALOG_ZEILE = 20249,
    IDS_KATALOG_WEITERE = 20250,
    IDS_FELD_LEER = 20251,
    IDS_FELD_KEINE_ZAHL = 20252,
    IDS_FELD_KEINE_GANZE_ZAHL = 20253,
    IDS_FELD_ZU_GROSS = 20254,
    IDS_VERWEIS_MITTEN_IN_ZEILE = 20255,
    IDS_ZEILE_ZU_KURZ = 20256,
    IDS_UNBEKANNTER_BRENNSTOFF = 20257,
    // The heat generator's draught, by whether it condenses.
    IDS_FOERDERDRUCK_PA = 20260,
    IDS_ZUGBEDARF_PA = 20261,

    // The printout both programs print alike.
    IDS_DRUCKEN = 20262,
    IDS_FORM_RUND = 20263,
    IDS_FORM_QUADRATISCH = 20264,
    IDS_FORM_RECHTECKIG = 20265,
    IDS_FORM_OVAL = 20266,
    IDS_VERLAUF_IM_GEBAEUDE = 205,
    IDS_VERLAUF_AM_GEBAEUDE = 206,
    IDS_VERLAUF_FREISTEHEND = 207,
    IDS_VERLAUF_OHNE_VERKLEIDUNG = 208,
    IDS_VERLAUF_GLEICHSTROM = 209,
    IDS_VERLAUF_GEGENSTROM = 210,
    IDS_VERLAUF_AUSSEN = 211,
    IDS_VERLAUF_AUSSEN_VERB_GEGENSTROM = 1042,
    IDS_VERLAUF_LUFT_AUS_SCHACHT = 1043,
    IDS_VERLAUF_OHNE_SCHACHT = 10385,
    IDS_ZETA_ZWEI_BOEGEN = 1090,
    IDS_ZETA_BOGEN = 1091,
    IDS_ZETA_ABZWEIGE = 1092,

    // The file menu's title in both programs' menu bars, where the recent files go.
    IDS_MENU_DATEI = 20267,
    // The maker's one address, as the order form and the catalogue notice give it.
    IDS_HERSTELLERADRESSE = 20268,

    // The framework's texts.
    IDS_IDLE_MESSAGE = 57345,
    IDS_INDICATOR_CAPS = 59137,
    IDS_INDICATOR_NUM = 59138,
    IDS_INDICATOR_SCRL = 59139,
    IDS_FAILED_TO_OPEN_DOC = 61697,
    IDS_ASK_TO_SAVE = 61706,
};
