// Numbers as text, always in the C locale. GTK switches LC_NUMERIC to the
// user's locale, after which printf and atof read and write "1,5"; every number
// of the system's files and formulas goes through these instead.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace vx {

// One argument of Format. A format with more conversions than arguments
// gets nothing for the missing ones instead of reading a stray value.
struct FmtArg {
    enum class Kind { Int, UInt, Double, Text };
    Kind kind = Kind::Int;
    int64_t i = 0;
    uint64_t u = 0;
    double d = 0;
    std::string_view s;

    FmtArg(double v) : kind(Kind::Double), d(v) {}
    FmtArg(float v) : kind(Kind::Double), d(v) {}
    FmtArg(const char* v) : kind(Kind::Text), s(v ? v : "") {}
    FmtArg(const std::string& v) : kind(Kind::Text), s(v) {}
    FmtArg(std::string_view v) : kind(Kind::Text), s(v) {}
    template <typename T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
    FmtArg(T v) {
        if constexpr (std::is_signed_v<T>) {
            kind = Kind::Int;
            i = v;
        } else {
            kind = Kind::UInt;
            u = v;
        }
    }
};

// printf-style formatting: flags "-+ #0", width and precision (also "*"),
// length modifiers are accepted and ignored, conversions d i u o x X e E f F g G c s %.
std::string FormatArgs(std::string_view fmt, std::span<const FmtArg> args);

template <typename... Args>
std::string Format(std::string_view fmt, const Args&... args) {
    if constexpr (sizeof...(Args) == 0) {
        return FormatArgs(fmt, {});
    } else {
        const FmtArg list[] = {FmtArg(args)...};
        return FormatArgs(fmt, list);
    }
}

// atof: the leading number of the text after white space, 0 when there is none.
// used (optional) receives the number of characters consumed (0 when none).
double ParseDouble(std::string_view text, size_t* used = nullptr);

// sscanf(text, "%lf"): true and the value when the text starts with a number.
bool ScanDouble(std::string_view text, double& out);

// atol: the leading integer, 0 when there is none; saturates at the int64 range.
int64_t ParseLong(std::string_view text, size_t* used = nullptr);

} // namespace vx
