#include "velmora/DialogRules.h"

#include "platform/NumText.h"
#include "platform/Profile.h"

double ParseDecimalComma(std::string text) {
    const size_t comma = text.find(',');
    if (comma != std::string::npos) text[comma] = '.';
    return vx::ParseDouble(text);
}

std::string FormatDecimalComma(double value, int decimals) {
    std::string text = vx::Format("%.*f", decimals, value);
    const size_t point = text.find('.');
    if (point != std::string::npos) text[point] = ',';
    return text;
}

bool GeoHeightAllowed(double height) { return height >= 0.0 && height <= kGeoHeightMax; }

std::string GeoHeightText(double height) { return FormatDecimalComma(height, 1); }

void WriteDefaultGeoHeight(double height) {
    vx::Profile().WriteString("Grunddaten", "GeoHoehe", vx::Format("%f", height));
}

bool CrossSectionSizeAllowed(double size) { return size >= 0.05 && size <= 2.0; }

HeightRangeTexts DefaultHeightRange() { return HeightRangeTexts{}; }

HeightRangeTexts LoadHeightRange() {
    HeightRangeTexts texts;
    texts.start = vx::Profile().GetString("Global", "HStart", "4.0");
    texts.step = vx::Profile().GetString("Global", "HStep", "2.0");
    texts.end = vx::Profile().GetString("Global", "HEnd", "30.0");
    return texts;
}

int CheckHeightRange(const HeightRangeTexts& texts, HeightRange& range) {
    range.start = ParseDecimalComma(texts.start);
    range.step = ParseDecimalComma(texts.step);
    range.end = ParseDecimalComma(texts.end);
    // The profile keeps one decimal: a step of 0,04 would be stored as 0.0.
    for (double* v : {&range.start, &range.step, &range.end}) *v = vx::ParseDouble(vx::Format("%.1f", *v));
    if (!(range.step > 0.0)) return 1;
    if (!(range.start < range.end)) return 0;
    return -1;
}

HeightRangeTexts SaveHeightRange(const HeightRange& range) {
    HeightRangeTexts texts;
    texts.start = vx::Format("%.1f", range.start);
    texts.step = vx::Format("%.1f", range.step);
    texts.end = vx::Format("%.1f", range.end);
    vx::Profile().WriteString("Global", "HStart", texts.start);
    vx::Profile().WriteString("Global", "HStep", texts.step);
    vx::Profile().WriteString("Global", "HEnd", texts.end);
    return texts;
}

bool HintSuppressed() { return vx::Profile().GetInt("Global", "Hinweis", 0) != 0; }

void SetHintSuppressed(bool suppressed) { vx::Profile().WriteInt("Global", "Hinweis", suppressed ? 1 : 0); }
