#include "dbase/util/Convert.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <string_view>

#include "platform/NumText.h"

namespace vx {
namespace {

std::string_view Head(const char* text, int n, int limit) {
    if (n <= 0) return {};
    size_t len = size_t(n < limit ? n : limit);
    // A terminator ends the text early, as the standard conversions stop there.
    const void* z = std::memchr(text, '\0', len);
    if (z) len = size_t(static_cast<const char*>(z) - text);
    return std::string_view(text, len);
}

} // namespace

double convertToDouble(const char* text, int n) { return ParseDouble(Head(text, n, 49)); }

long convertToLong(const char* text, int n) { return long(ParseLong(Head(text, n, 127))); }

void EngineLongToAscii(long value, char* out, int width) {
    bool zeroFill = width < 0;
    int w = zeroFill ? -width : width;
    if (w == 0) return;
    bool negative = value < 0;
    unsigned long magnitude = negative ? 0UL - (unsigned long)value : (unsigned long)value;
    char digits[24];
    int nd = 0;
    do {
        digits[nd++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    int needed = nd + (negative ? 1 : 0);
    if ((zeroFill && negative) || needed > w) {
        std::memset(out, '*', size_t(w));
        return;
    }
    std::memset(out, zeroFill ? '0' : ' ', size_t(w));
    for (int i = 0; i < nd; ++i) out[w - 1 - i] = digits[i];
    if (negative) out[w - 1 - nd] = '-';
}

int convertDoubleToText(double value, char* out, int width, int decimals) {
    if (width <= 0) return -440;
    int d = decimals;
    if (d > 15) d = 15;
    if (d > width - 1) d = width - 1;
    if (d < 0) d = 0;
    if (!std::isfinite(value)) {
        std::memset(out, '*', size_t(width));
        return -440;
    }
    // Half away from zero, not the even rounding of printf.
    double scale = std::pow(10.0, d);
    double scaled = value * scale;
    if (std::isfinite(scaled) && std::fabs(scaled) < 9.0e15) value = std::round(scaled) / scale;
    std::string text = Format("%.*f", d, value);
    if (text[0] == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    size_t digits = text[0] == '-' ? 1 : 0;
    // The "0" before the point gives way when the integer part has no room.
    if (text.size() > size_t(width) && d > 0 && text.compare(digits, 2, "0.") == 0)
        text.erase(digits, 1);
    if (text.size() > size_t(width)) {
        std::memset(out, '*', size_t(width));
        return -440;
    }
    size_t pad = size_t(width) - text.size();
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, text.data(), text.size());
    return 0;
}

char convertUpperChar(char c) {
    unsigned char u = (unsigned char)c;
    if (u >= 'a' && u <= 'z') return char(u - 'a' + 'A');
    switch (u) {
    case 0x81: return char(0x9A);
    case 0x84: return char(0x8E);
    case 0x94: return char(0x99);
    default: return c;
    }
}

char convertLowerChar(char c) {
    unsigned char u = (unsigned char)c;
    if (u >= 'A' && u <= 'Z') return char(u - 'A' + 'a');
    switch (u) {
    case 0x9A: return char(0x81);
    case 0x8E: return char(0x84);
    case 0x99: return char(0x94);
    default: return c;
    }
}

void convertUpper(char* text, size_t n) {
    for (size_t i = 0; i < n; ++i) text[i] = convertUpperChar(text[i]);
}

void convertUpper(char* text) {
    for (; *text; ++text) *text = convertUpperChar(*text);
}

void convertUpper(std::string& text) { convertUpper(text.data(), text.size()); }

void convertNumericKey(char* text, size_t n) {
    bool negative = false;
    for (size_t i = 0; i < n && (text[i] == ' ' || text[i] == '-'); ++i) {
        if (text[i] == '-') negative = true;
        text[i] = '0';
    }
    if (negative)
        for (size_t i = 0; i < n; ++i) text[i] = char(92 - (unsigned char)text[i]);
}

void convertDescend(char* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) bytes[i] = char(-(unsigned char)bytes[i]);
}

} // namespace vx
