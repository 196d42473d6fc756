#include "velmora/HeightRangeRules.h"

#include "platform/NumText.h"
#include "platform/Profile.h"

#include <cmath>

namespace {

double OneDecimal(double v) { return vx::ParseDouble(vx::Format("%.1f", v)); }

struct RangeFault {
    int field;  // -1 none, 0 start, 1 step, 2 end
    unsigned message;
};

RangeFault RangeProblem(const HeightRange& r) {
    if (!(r.start >= kHeightMin && r.start <= kHeightMax)) return {0, IDS_HOEHE_BEREICH};
    if (!(r.step >= kHeightStepMin && r.step <= kHeightMax)) return {1, IDS_SCHRITT_BEREICH};
    if (!(r.end >= kHeightMin && r.end <= kHeightMax)) return {2, IDS_HOEHE_BEREICH};
    if (!(r.start < r.end)) return {0, IDS_HOEHENBEREICH_FALSCH};
    if (HeightCount(r) > kHeightCountMax) return {1, IDS_ZU_VIELE_HOEHEN};
    return {-1, 0};
}

} // namespace

HeightRangeTexts DefaultHeightRange() { return HeightRangeTexts{}; }

HeightRangeTexts HeightRangeTextsOf(const HeightRange& range) {
    return {FormatDecimalComma(range.start, 1), FormatDecimalComma(range.step, 1), FormatDecimalComma(range.end, 1)};
}

HeightRange StoredHeightRange() {
    HeightRange range;
    const HeightRange defaults;
    double* values[3] = {&range.start, &range.step, &range.end};
    const char* keys[3] = {"HStart", "HStep", "HEnd"};
    for (int i = 0; i < 3; ++i) {
        const std::string text = vx::Profile().GetString("Global", keys[i], "");
        double v = 0;
        if (!text.empty() && ReadTypedNumber(text, v)) *values[i] = OneDecimal(v);
    }
    return RangeProblem(range).field < 0 ? range : defaults;
}

HeightRangeTexts LoadHeightRange() { return HeightRangeTextsOf(StoredHeightRange()); }

int HeightCount(const HeightRange& r) {
    if (!(r.step > 0) || !(r.end >= r.start)) return 0;
    const double n = std::floor((r.end - r.start) / r.step + 1e-9) + 1;
    return n > 1e9 ? 1000000000 : int(n);
}

int CheckHeightRange(const HeightRangeTexts& texts, HeightRange& range, unsigned* messageId) {
    const std::string* fields[3] = {&texts.start, &texts.step, &texts.end};
    double* values[3] = {&range.start, &range.step, &range.end};
    for (int i = 0; i < 3; ++i) {
        double v = 0;
        if (!ReadTypedNumber(*fields[i], v)) {
            if (messageId) *messageId = IDS_KEINE_ZAHL;
            return i;
        }
        // The profile keeps one decimal: a step of 0,04 would be stored as 0.0.
        *values[i] = OneDecimal(v);
    }
    const RangeFault fault = RangeProblem(range);
    if (messageId) *messageId = fault.message;
    return fault.field;
}

HeightRangeTexts SaveHeightRange(const HeightRange& range) {
    vx::Profile().WriteString("Global", "HStart", vx::Format("%.1f", range.start));
    vx::Profile().WriteString("Global", "HStep", vx::Format("%.1f", range.step));
    vx::Profile().WriteString("Global", "HEnd", vx::Format("%.1f", range.end));
    return HeightRangeTextsOf(range);
}

bool HintSuppressed() { return vx::Profile().GetInt("Global", "Hinweis", 0) != 0; }

void SetHintSuppressed(bool suppressed) { vx::Profile().WriteInt("Global", "Hinweis", suppressed ? 1 : 0); }
