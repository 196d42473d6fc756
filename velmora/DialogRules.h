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
    IDS_KEINE_ZAHL = 238,
    IDS_HOEHE_BEREICH = 239,
    IDS_SCHRITT_BEREICH = 240,
    IDS_ZU_VIELE_HOEHEN = 241,
    IDS_HOEHENBEREICH_HILFE = 10265,
};

// The typed text with its first "," read as ".", as atof reads it.
double ParseDecimalComma(std::string text);
// "%.<decimals>f" with the "." shown as ",".
std::string FormatDecimalComma(double value, int decimals);

// A number as it may be typed: blanks around it, an optional "-", digits
// with at most one "," or "." among them. False for anything else, the
// empty text included.
bool ReadTypedNumber(const std::string& text, double& value);
// The check of a numeric field: the message id to show, 0 when the text is
// a number within lo..hi (then value holds it).
unsigned CheckTypedNumber(const std::string& text, double lo, double hi, unsigned rangeMessage, double& value);

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
// "HStep" and "HEnd". The profile keeps them as "%.1f"; the dialog shows
// them with a comma.
struct HeightRangeTexts {
    std::string start = "4,0";
    std::string step = "2,0";
    std::string end = "30,0";
};
struct HeightRange {
    double start = 4.0, step = 2.0, end = 30.0;
};
// What the calculation can use: heights of 1 to 100 m, a step of at least
// 0,1 m and no more heights than the diagram can show.
inline constexpr double kHeightMin = 1.0, kHeightMax = 100.0;
inline constexpr double kHeightStepMin = 0.1;
inline constexpr int kHeightCountMax = 200;

// The stored range; a value that is no number or out of range, or a range
// that fails as a whole, gives the defaults.
HeightRange StoredHeightRange();
// The stored range as the dialog shows it.
HeightRangeTexts LoadHeightRange();
HeightRangeTexts DefaultHeightRange();
HeightRangeTexts HeightRangeTextsOf(const HeightRange& range);

// Which text is wrong: -1 none, 0 start, 1 step, 2 end; messageId gets
// the message to show. The values are kept with one decimal, as stored.
int CheckHeightRange(const HeightRangeTexts& texts, HeightRange& range, unsigned* messageId = nullptr);
// The number of heights the diagram computes for a range.
int HeightCount(const HeightRange& range);
// Writes the three values as "%.1f" and returns the texts the dialog shows.
HeightRangeTexts SaveHeightRange(const HeightRange& range);

// "Global"/"Hinweis": 1 when the hint after a computation is not wanted.
bool HintSuppressed();
void SetHintSuppressed(bool suppressed);
