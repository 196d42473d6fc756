#include "platform/NumText.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace vx {
namespace {

struct Spec {
    bool left = false, plus = false, space = false, alt = false, zero = false;
    int width = -1;
    int precision = -1;
    char conv = 0;
};

bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

double AsDouble(const FmtArg* a) {
    if (!a) return 0.0;
    switch (a->kind) {
    case FmtArg::Kind::Int: return double(a->i);
    case FmtArg::Kind::UInt: return double(a->u);
    case FmtArg::Kind::Double: return a->d;
    case FmtArg::Kind::Text: return ParseDouble(a->s);
    }
    return 0.0;
}

int64_t AsInt(const FmtArg* a) {
    if (!a) return 0;
    switch (a->kind) {
    case FmtArg::Kind::Int: return a->i;
    case FmtArg::Kind::UInt: return int64_t(a->u);
    case FmtArg::Kind::Double:
        if (!std::isfinite(a->d)) return 0;
        if (a->d >= 9.2e18) return std::numeric_limits<int64_t>::max();
        if (a->d <= -9.2e18) return std::numeric_limits<int64_t>::min();
        return int64_t(a->d);
    case FmtArg::Kind::Text: return ParseLong(a->s);
    }
    return 0;
}

// Pads body (sign and prefix already split off) to the spec's width.
void Emit(std::string& out, const Spec& sp, std::string_view sign, std::string_view body,
          bool zeroPadAllowed) {
    size_t len = sign.size() + body.size();
    size_t width = sp.width > 0 ? size_t(sp.width) : 0;
    if (len >= width) {
        out += sign;
        out += body;
        return;
    }
    size_t pad = width - len;
    if (sp.left) {
        out += sign;
        out += body;
        out.append(pad, ' ');
    } else if (sp.zero && zeroPadAllowed) {
        out += sign;
        out.append(pad, '0');
        out += body;
    } else {
        out.append(pad, ' ');
        out += sign;
        out += body;
    }
}

void FormatInteger(std::string& out, const Spec& sp, const FmtArg* a) {
    bool isSigned = sp.conv == 'd' || sp.conv == 'i';
    uint64_t mag;
    bool neg = false;
    if (isSigned) {
        int64_t v = AsInt(a);
        neg = v < 0;
        mag = neg ? uint64_t(0) - uint64_t(v) : uint64_t(v);
    } else {
        // printf reads an unsigned int: a negative int shows as its 32-bit pattern.
        if (a && a->kind == FmtArg::Kind::UInt)
            mag = a->u;
        else
            mag = uint64_t(uint32_t(AsInt(a)));
    }
    int base = 10;
    if (sp.conv == 'x' || sp.conv == 'X') base = 16;
    if (sp.conv == 'o') base = 8;
    char buf[80];
    auto res = std::to_chars(buf, buf + sizeof buf, mag, base);
    std::string digits(buf, res.ptr);
    if (sp.conv == 'X')
        for (char& c : digits)
            if (c >= 'a' && c <= 'f') c = char(c - 'a' + 'A');
    if (sp.precision >= 0) {
        if (sp.precision == 0 && mag == 0) digits.clear();
        if (digits.size() < size_t(sp.precision))
            digits.insert(0, size_t(sp.precision) - digits.size(), '0');
    }
    std::string sign;
    if (neg)
        sign = "-";
    else if (isSigned && sp.plus)
        sign = "+";
    else if (isSigned && sp.space)
        sign = " ";
    if (sp.alt && mag != 0) {
        if (sp.conv == 'x') sign += "0x";
        if (sp.conv == 'X') sign += "0X";
        if (sp.conv == 'o' && (digits.empty() || digits[0] != '0')) digits.insert(0, "0");
    }
    Emit(out, sp, sign, digits, sp.precision < 0);
}

void FormatFloat(std::string& out, const Spec& sp, const FmtArg* a) {
    double v = AsDouble(a);
    bool neg = std::signbit(v);
    double mag = std::fabs(v);
    int prec = sp.precision < 0 ? 6 : sp.precision;
    char lower = char(sp.conv | 0x20);
    bool upper = sp.conv == 'E' || sp.conv == 'F' || sp.conv == 'G';
    std::string body;
    bool finite = std::isfinite(mag);
    if (!finite) {
        body = std::isnan(mag) ? "nan" : "inf";
    } else {
        std::chars_format f = lower == 'f'   ? std::chars_format::fixed
                              : lower == 'e' ? std::chars_format::scientific
                                             : std::chars_format::general;
        if (lower == 'g' && prec == 0) prec = 1;
        char buf[400];
        auto res = std::to_chars(buf, buf + sizeof buf, mag, f, prec);
        if (res.ec != std::errc()) {
            body = "0";
        } else {
            body.assign(buf, res.ptr);
        }
        if (sp.alt && body.find('.') == std::string::npos && lower != 'g') {
            size_t e = body.find('e');
            body.insert(e == std::string::npos ? body.size() : e, ".");
        }
    }
    if (upper)
        for (char& c : body)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    std::string_view sign = neg ? "-" : sp.plus ? "+" : sp.space ? " " : "";
    Emit(out, sp, sign, body, finite);
}

void FormatText(std::string& out, const Spec& sp, const FmtArg* a) {
    std::string tmp;
    std::string_view text;
    if (a) {
        if (a->kind == FmtArg::Kind::Text) {
            text = a->s;
        } else if (a->kind == FmtArg::Kind::Double) {
            tmp = Format("%g", a->d);
            text = tmp;
        } else {
            tmp = Format("%d", AsInt(a));
            text = tmp;
        }
    }
    if (sp.precision >= 0 && text.size() > size_t(sp.precision)) text = text.substr(0, size_t(sp.precision));
    Spec plain = sp;
    plain.zero = false;
    Emit(out, plain, "", text, false);
}

} // namespace

std::string FormatArgs(std::string_view fmt, std::span<const FmtArg> args) {
    std::string out;
    out.reserve(fmt.size() + 16);
    size_t next = 0;
    auto take = [&]() -> const FmtArg* { return next < args.size() ? &args[next++] : nullptr; };
    size_t i = 0;
    while (i < fmt.size()) {
        char c = fmt[i++];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i >= fmt.size()) {
            out += '%';
            break;
        }
        if (fmt[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        size_t start = i - 1;
        Spec sp;
        for (; i < fmt.size(); ++i) {
            char f = fmt[i];
            if (f == '-') sp.left = true;
            else if (f == '+') sp.plus = true;
            else if (f == ' ') sp.space = true;
            else if (f == '#') sp.alt = true;
            else if (f == '0') sp.zero = true;
            else break;
        }
        if (i < fmt.size() && fmt[i] == '*') {
            int64_t w = AsInt(take());
            if (w < 0) {
                sp.left = true;
                w = -w;
            }
            sp.width = int(std::min<int64_t>(w, 4096));
            ++i;
        } else {
            int w = 0;
            bool any = false;
            while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') {
                w = std::min(w * 10 + (fmt[i++] - '0'), 4096);
                any = true;
            }
            if (any) sp.width = w;
        }
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            if (i < fmt.size() && fmt[i] == '*') {
                int64_t p = AsInt(take());
                sp.precision = p < 0 ? -1 : int(std::min<int64_t>(p, 330));
                ++i;
            } else {
                int p = 0;
                while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') p = std::min(p * 10 + (fmt[i++] - '0'), 330);
                sp.precision = p;
            }
        }
        while (i < fmt.size() && (fmt[i] == 'h' || fmt[i] == 'l' || fmt[i] == 'L' || fmt[i] == 'z' ||
                                  fmt[i] == 'j' || fmt[i] == 't' || fmt[i] == 'q'))
            ++i;
        if (i + 2 < fmt.size() + 0 && fmt[i] == 'I' && fmt[i + 1] == '6' && fmt[i + 2] == '4') i += 3;
        if (i >= fmt.size()) {
            out.append(fmt.substr(start));
            break;
        }
        sp.conv = fmt[i++];
        switch (sp.conv) {
        case 'd': case 'i': case 'u': case 'o': case 'x': case 'X':
            FormatInteger(out, sp, take());
            break;
        case 'e': case 'E': case 'f': case 'F': case 'g': case 'G':
            FormatFloat(out, sp, take());
            break;
        case 's':
            FormatText(out, sp, take());
            break;
        case 'c': {
            const FmtArg* a = take();
            char ch = a ? char(AsInt(a)) : '\0';
            std::string one;
            if (ch) one.assign(1, ch);
            Spec plain = sp;
            plain.precision = -1;
            FmtArg t(one);
            FormatText(out, plain, &t);
            break;
        }
        default:
            // Unknown conversion: keep the text as it stands.
            out.append(fmt.substr(start, i - start));
            break;
        }
    }
    return out;
}

double ParseDouble(std::string_view text, size_t* used) {
    size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    size_t numStart = i;
    bool neg = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        neg = text[i] == '-';
        ++i;
    }
    // from_chars takes no sign and no "0x" form; strtod's hex floats are not used here.
    double v = 0.0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    auto res = std::from_chars(first, last, v, std::chars_format::general);
    if (res.ptr == first) {
        if (used) *used = 0;
        return 0.0;
    }
    if (res.ec == std::errc::result_out_of_range) {
        // Let a C-locale strtod decide between overflow and underflow.
        static locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
        std::string copy(first, res.ptr);
        v = strtod_l(copy.c_str(), nullptr, cLocale);
    }
    if (used) *used = size_t(res.ptr - text.data());
    (void)numStart;
    return neg ? -v : v;
}

bool ScanDouble(std::string_view text, double& out) {
    size_t used = 0;
    double v = ParseDouble(text, &used);
    if (used == 0) return false;
    out = v;
    return true;
}

int64_t ParseLong(std::string_view text, size_t* used) {
    size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool neg = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        neg = text[i] == '-';
        ++i;
    }
    size_t digitsStart = i;
    uint64_t mag = 0;
    bool overflow = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        uint64_t d = uint64_t(text[i] - '0');
        if (mag > (uint64_t(1) << 63) / 10) overflow = true;
        else mag = mag * 10 + d;
        if (mag > (uint64_t(1) << 63)) overflow = true;
        ++i;
    }
    if (i == digitsStart) {
        if (used) *used = 0;
        return 0;
    }
    if (used) *used = i;
    if (overflow || mag > uint64_t(std::numeric_limits<int64_t>::max()))
        return neg ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    return neg ? -int64_t(mag) : int64_t(mag);
}

} // namespace vx
