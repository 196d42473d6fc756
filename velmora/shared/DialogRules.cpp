#include "velmora/shared/DialogRules.h"

#include "platform/NumText.h"
#include "platform/Profile.h"

#include <cmath>

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


bool ReadTypedNumber(const std::string& text, double& value) {
    size_t a = 0, b = text.size();
    while (a < b && (text[a] == ' ' || text[a] == '\t')) ++a;
    while (b > a && (text[b - 1] == ' ' || text[b - 1] == '\t')) --b;
    std::string number = text.substr(a, b - a);
    size_t i = 0, digits = 0, points = 0;
    if (i < number.size() && number[i] == '-') ++i;
    for (; i < number.size(); ++i) {
        const char c = number[i];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == ',' || c == '.') {
            if (++points > 1) return false;
            number[i] = '.';
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    value = vx::ParseDouble(number);
    return true;
}

unsigned CheckTypedNumber(const std::string& text, double lo, double hi, unsigned rangeMessage, double& value) {
    double v = 0;
    if (!ReadTypedNumber(text, v)) return IDS_KEINE_ZAHL;
    if (!(v >= lo && v <= hi)) return rangeMessage;
    value = v;
    return 0;
}
