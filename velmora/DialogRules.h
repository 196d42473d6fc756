// The input rules of the main program's dialogs, apart from the widgets:
// numbers typed with a decimal comma, their limits and the profile values
// the dialogs read and write.
#pragma once

#include <string>

// String ids of the dialogs' texts.
enum DialogString : unsigned {
    IDS_DURCHMESSER = 141,
    IDS_KANTENLAENGE = 142,
    IDS_QUERSCHNITT_BEREICH = 232,
    IDS_QUERSCHNITT_UEBERNEHMEN = 233,
    IDS_GEOHOEHE_HILFE = 234,
    IDS_GEOHOEHE_BEREICH = 235,
    IDS_HOEHENBEREICH_FALSCH = 236,
    IDS_HOEHENBEREICH_HILFE = 10265,
};

// The typed text with its first "," read as ".", as atof reads it.
double ParseDecimalComma(std::string text);
// "%.<decimals>f" with the "." shown as ",".
std::string FormatDecimalComma(double value, int decimals);

// The geodetic height: 0 to 5000 m.
inline constexpr double kGeoHeightMax = 5000.0;
bool GeoHeightAllowed(double height);
// The dialog's text of a height: "%.1f" with a comma.
std::string GeoHeightText(double height);
// "Grunddaten"/"GeoHoehe" := the height as "%f".
void WriteDefaultGeoHeight(double height);

// An entry of a cross-section table: 0.05 m to 2 m.
bool CrossSectionSizeAllowed(double size);

// The range of effective heights of the diagram, "Global"/"HStart",
// "HStep" and "HEnd", as the height-range dialog shows them.
struct HeightRangeTexts {
    std::string start = "4.0";
    std::string step = "2.0";
    std::string end = "30.0";
};
HeightRangeTexts LoadHeightRange();
HeightRangeTexts DefaultHeightRange();

struct HeightRange {
    double start = 0, step = 0, end = 0;
};
// Which text is wrong: -1 none, 0 start, 1 step, 2 end. The heights are
// read with a decimal comma; the diagram's loop needs start < end and a
// positive step to end.
int CheckHeightRange(const HeightRangeTexts& texts, HeightRange& range);
// Writes the three values as "%.1f" and returns the texts written.
HeightRangeTexts SaveHeightRange(const HeightRange& range);

// "Global"/"Hinweis": 1 when the hint after a computation is not wanted.
bool HintSuppressed();
void SetHintSuppressed(bool suppressed);
