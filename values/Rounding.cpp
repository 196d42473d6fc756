#include "values/Rounding.h"

#include "platform/NumText.h"

double RoundToSixDecimals(double x) {
    // Beyond this the scaled value has no fraction worth the work: the text decides.
    if (!(std::fabs(x) < 1e9)) return vx::ParseDouble(vx::Format("%f", x));
    // x * 10^6 exactly is y + err; y - n is exact, as n is y's nearest integer.
    const double y = x * 1e6;
    const double err = std::fma(x, 1e6, -y);
    double n = std::nearbyint(y);
    const double d = y - n;
    // y halfway between two integers: the part rounded off in y decides,
    // an exact half goes to the even one as nearbyint chose.
    if (std::fabs(d) == 0.5 && err != 0 && (err > 0) == (d > 0)) n += d > 0 ? 1 : -1;
    // The text of a value that rounds to zero keeps its sign.
    if (n == 0) return std::signbit(x) ? -0.0 : 0.0;
    return n / 1e6;
}

std::string FormatFixed(double x, int width, int maxDecimals) {
    std::string text = vx::Format("%f", x);
    int decimals = 0;
    size_t point = text.find('.');
    if (point != std::string::npos) {
        size_t end = text.size();
        while (end > point + 1 && text[end - 1] == '0') --end;
        decimals = int(end - point - 1);
    }
    if (maxDecimals != 0 && maxDecimals < decimals) decimals = maxDecimals;
    if (width != 0) return vx::Format(vx::Format("%%%d.%df", width, decimals), x);
    return vx::Format(vx::Format("%%.%df", decimals), x);
}
