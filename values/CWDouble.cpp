#include "values/CWDouble.h"

#include "platform/Archive.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "values/CMEinheitListe.h"
#include "values/Rounding.h"

namespace {

// Typed text has the separator where the number reader wants ".".
void SeparatorToPoint(std::string& text) {
    if (g_DecimalSeparator == "." || g_DecimalSeparator.empty() || text.empty()) return;
    size_t at = text.find(g_DecimalSeparator[0]);
    if (at != std::string::npos) text[at] = '.';
}

void PointToSeparator(std::string& text) {
    if (g_DecimalSeparator == "." || g_DecimalSeparator.empty()) return;
    size_t at = text.find('.');
    if (at != std::string::npos) text[at] = g_DecimalSeparator[0];
}

// The range message with its limits as the user types them: each number
// formatted by its own conversion, with the decimal separator.
std::string FormatLimits(const std::string& format, const double* limits, size_t count) {
    std::string out;
    size_t used = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        const size_t end = format.find_first_of("diouxXeEfFgGcs%", i + 1);
        if (end == std::string::npos) {
            out += format.substr(i);
            break;
        }
        const std::string spec = format.substr(i, end - i + 1);
        if (format[end] == '%') {
            out += '%';
        } else {
            // A conversion without a limit reads nothing from beyond the list.
            std::string number = used < count ? vx::Format(spec, limits[used++]) : vx::Format(spec);
            PointToSeparator(number);
            out += number;
        }
        i = end;
    }
    return out;
}

} // namespace

const char* UnitFormat(uint16_t unit) {
    switch (unit) {
    case kUnitCaloriePerSecond: case kUnitKilocaloriePerHour: case kUnitCelsius: case kUnitFahrenheit:
    case kUnitReaumur: case kUnitMillimetreWaterColumn: case kUnitTorr: case kUnitGramPerHour:
    case kUnitMillimetre: case kUnitPercent: case kUnitKilogramPerCubicMetre:
        return "%.1f";
    case kUnitKilowatt: case kUnitMetricHorsepower: case kUnitKelvin: case kUnitPascal:
    case kUnitKilogramPerHour: case kUnitGramPerSecond: case kUnitCentimetre: case 0xB000:
        return "%.2f";
    case kUnitMillibar: case kUnitDecimetre: case kUnitInch:
        return "%.3f";
    case kUnitTechnicalAtmosphere: case kUnitAtmosphere: case kUnitMetre: case kUnitSquareMetreKelvinPerWatt:
        return "%.4f";
    case kUnitKilogramPerSecond:
        return "%.5f";
    default:
        return "%f";
    }
}

CWDouble& CWDouble::operator=(const CWDouble& other) {
    CWerte::operator=(other);
    value = other.value;
    shownValue = other.shownValue;
    return *this;
}

void CWDouble::Serialize(vx::Archive& ar) {
    if (ar.IsStoring()) ar << value;
    else ar >> value;
    SerializeCommon(ar);
}

void CWDouble::GetText(std::string& out, bool internalUnit) {
    double x = value;
    uint16_t unit = this->internalUnit;
    if (displayUnit != this->internalUnit && !internalUnit) {
        x = UnitList().Convert(value, this->internalUnit, displayUnit);
        unit = displayUnit;
    }
    shownValue = x;
    if (marker == MarkerResult && !g_ResultsValid) {
        out.assign(1, '*');
        return;
    }
    out = vx::Format(UnitFormat(unit), x);
    PointToSeparator(out);
    if (displayUnit != 0xB000)
        while (!out.empty() && out.back() == '0') out.pop_back();
    if (!out.empty() && out.back() == g_DecimalSeparator[0] && g_DecimalSeparator.size() == 1) out.pop_back();
    if (marker != MarkerPlain) out += '*';
}

void CWDouble::SetText(const std::string& typed) {
    SaveUndoBeforeEdit();
    std::string text = typed;
    SeparatorToPoint(text);
    double x = vx::ParseDouble(text);
    if (x != shownValue) g_ResultsValid = 0;
    shownValue = x;
    if (displayUnit != internalUnit) x = UnitList().Convert(x, displayUnit, internalUnit);
    value = x;
}

void CWDouble::CheckRange(std::string& message, std::vector<int>* ids, int* failed) {
    message.clear();
    if ((minimum == maximum && !checkWhenEqual) || marker == MarkerResult) return;
    // Six decimals, as the limits are kept after a check.
    value = RoundToSixDecimals(value);
    minimum = RoundToSixDecimals(minimum);
    maximum = RoundToSixDecimals(maximum);
    if (minimum <= value && value <= maximum) return;
    if (rangeMessageId == 0) return;

    double lo = minimum, hi = maximum;
    if (displayUnit != internalUnit) {
        lo = UnitList().Convert(lo, internalUnit, displayUnit);
        hi = UnitList().Convert(hi, internalUnit, displayUnit);
    }
    const double limits[2] = {lo, hi};
    // Limits the wrong way round make every value fail; the message names the minimum.
    message = FormatLimits(vx::LoadString(rangeMessageId), limits, minimum <= maximum ? 2 : 1);
    message += ' ';
    message += UnitList().GetUnitText(displayUnit);
    if (ids) ids->push_back(valueId);
    message += "\r\n";
    if (failed) *failed = 1;
}

void CWDouble::GetShortText(std::string& out, bool blankWhenZero) {
    if (blankWhenZero && value == 0.0) {
        out.clear();
        return;
    }
    std::string text;
    GetText(text, false);
    SeparatorToPoint(text);
    double x = vx::ParseDouble(text);
    x += x < 0 ? -0.00004 : 0.00004;
    out = vx::Format("%.4f", x);
    size_t i = out.size();
    while (i > 0 && out[i - 1] == '0') out[--i] = ' ';
    if (i > 0 && out[i - 1] == '.') out[i - 1] = ' ';
    PointToSeparator(out);
}
