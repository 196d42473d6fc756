// String ids of the calculation model, and the program whose variants of
// the site and flow formulas apply.
#pragma once

// Range messages of the model's input cells; the program's string table holds the format.
constexpr unsigned IDS_WERTEBEREICH = 2000;
constexpr unsigned IDS_SCHICHT_ENTWEDER = 88;
constexpr unsigned IDS_UEBERGANG_KLEIN_GROSS = 134;
constexpr unsigned IDS_UEBERGANG_GROSS_KLEIN = 135;
constexpr unsigned IDS_UEBERGANG_KONISCH = 136;
constexpr unsigned IDS_MIT_KONDENSATION = 20137;
constexpr unsigned IDS_NL_AKTIV = 20138;
constexpr unsigned IDS_BRENNSTOFF_ERSTER = 160;  // + fuel index
constexpr unsigned IDS_UEBERGANG_MANUELL = 1070;
// Messages about the cross-section table and memory.
constexpr unsigned IDS_QUERSCHNITT_ZEILE_FALSCH = 20150;
constexpr unsigned IDS_QUERSCHNITT_ZEILEN_FALSCH = 20151;
constexpr unsigned IDS_QUERSCHNITTSTABELLE_FEHLT = 20152;
constexpr unsigned IDS_QUERSCHNITTSTABELLE_LEER = 20153;
constexpr unsigned IDS_QUERSCHNITT_RUND = 20154;
constexpr unsigned IDS_QUERSCHNITT_QUADRATISCH = 20155;
constexpr unsigned IDS_QUERSCHNITT_OVAL = 20156;
constexpr unsigned IDS_KEIN_SPEICHER = 20157;
// The inner pipe does not fit into the shaft.
constexpr unsigned IDS_INNENROHR_PASST_NICHT = 20158;
// The captions of the added-air device's 16 result lines, under the lines' ids.
constexpr unsigned IDS_NL_ZEILE_ERSTE = 10039;
constexpr unsigned IDS_NL_ZEILE_LETZTE = 10054;
// The fuel's short name in a heat generator's text, by fuel index 0 to 14.
constexpr unsigned IDS_BRENNSTOFF_KURZ_ERSTER = 20160;

// The two programs differ in the air pressure of the site and the
// Reynolds velocity floor.
enum class ModelProgram { Velmora, Tarsilo };
void SetModelProgram(ModelProgram program);
ModelProgram ActiveModelProgram();
