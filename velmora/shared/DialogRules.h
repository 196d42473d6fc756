// The input rules of the dialogs both programs share, apart from the
// widgets: numbers typed with a decimal comma, their limits and the profile
// values the dialogs read and write.
#pragma once

// CrossSectionSizeAllowed: the sizes a table takes, as the calculation reads them.
#include "model/CrossSectionTables.h"
#include "velmora/shared/SharedText.h"

#include <string>

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

