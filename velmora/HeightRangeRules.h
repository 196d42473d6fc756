// The rules of the main program's own dialogs: the range of effective
// heights of the diagram and the hint after a computation.
#pragma once

#include "velmora/VelmoraText.h"
#include "velmora/shared/DialogRules.h"

#include <string>

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
