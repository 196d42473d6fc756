#include "dbase/util/Bcd.h"

#include <cmath>
#include <cstring>
#include <string>

#include "platform/NumText.h"

namespace vx {

void convBcdFromA(std::string_view text, char* out) {
    unsigned char* b = reinterpret_cast<unsigned char*>(out);
    std::memset(b, 0, kBcdLen);
    size_t i = 0, n = text.size();
    while (i < n && text[i] == ' ') ++i;
    bool negative = false;
    if (i < n && text[i] == '-') {
        negative = true;
        ++i;
    } else if (i < n && text[i] == '+') {
        ++i;
    }
    while (i < n && (text[i] == ' ' || text[i] == '0')) ++i;
    int exponent = 0x34;
    bool afterPoint = false;
    if (i < n && text[i] == '.') {
        afterPoint = true;
        ++i;
        while (i < n && text[i] == '0') {
            --exponent;
            ++i;
        }
    }
    int digits = 0, significant = 0;
    for (; i < n; ++i) {
        char c = text[i];
        if (c == '.') {
            if (afterPoint) break;
            afterPoint = true;
            continue;
        }
        if (c < '0' || c > '9') break;
        if (!afterPoint) ++exponent;
        if (digits < 20) {
            int d = c - '0';
            b[2 + digits / 2] |= (unsigned char)(digits % 2 == 0 ? d << 4 : d);
            ++digits;
            if (d != 0) significant = digits;
        }
    }
    if (significant == 0) {
        // Zero has no digits; its exponent stays where "0.000" left it.
        b[0] = 0x34;
        b[1] = 0x01;
        std::memset(b + 2, 0, kBcdLen - 2);
        return;
    }
    if (exponent < 0) exponent = 0;
    if (exponent > 255) exponent = 255;
    b[0] = (unsigned char)exponent;
    b[1] = (unsigned char)((negative ? 0x80 : 0) | (significant << 2) | 1);
}

void BcdFromDouble(double value, char* out) {
    if (!std::isfinite(value)) value = 0;
    std::string text = Format("%.15g", value);
    // Exponent form: write the digits out so the converter sees a plain number.
    if (text.find_first_of("eE") != std::string::npos) {
        int exp10 = int(std::floor(std::log10(std::fabs(value))));
        int decimals = exp10 < 0 ? 14 - exp10 : (exp10 >= 14 ? 0 : 14 - exp10);
        if (decimals > 340) decimals = 340;
        text = Format("%.*f", decimals, value);
    }
    convBcdFromA(text, out);
}

int bcdCompare(const void* left, const void* right, size_t) {
    const unsigned char* a = static_cast<const unsigned char*>(left);
    const unsigned char* b = static_cast<const unsigned char*>(right);
    bool negA = a[1] & 0x80, negB = b[1] & 0x80;
    if (negA != negB) return negA ? -1 : 1;
    int digitsA = (a[1] >> 2) & 0x1F, digitsB = (b[1] >> 2) & 0x1F;
    int expA = digitsA ? a[0] : 0, expB = digitsB ? b[0] : 0;
    int r = 0;
    if (expA != expB) {
        r = expA < expB ? -1 : 1;
    } else {
        int len = ((digitsA > digitsB ? digitsA : digitsB) + 1) / 2;
        if (len > kBcdLen - 2) len = kBcdLen - 2;
        r = std::memcmp(a + 2, b + 2, size_t(len));
        r = r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    return negA ? -r : r;
}

} // namespace vx
