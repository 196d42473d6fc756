#include "dbase/util/Date.h"

#include <cstring>
#include <ctime>

#include "dbase/util/Convert.h"
#include "platform/CodePage.h"

namespace vx {
namespace {

// Days before each month in a common year.
constexpr int kMonthStart[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};

// Code page 437 ("M\x84rz" is März there), 10 characters each.
constexpr const char* kMonthNames[12] = {
    "Januar    ", "Februar   ", "M\x84rz      ", "April     ", "Mai       ", "Juni      ",
    "Juli      ", "August    ", "September ", "Oktober   ", "November  ", "Dezember  "};

// 9999-12-31.
constexpr int32_t kLastJulian = 5373484;

bool IsLeap(long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

long DaysBeforeYear(long y) {
    return (y - 1) * 365 + (y - 1) / 4 - (y - 1) / 100 + (y - 1) / 400;
}

void PutDigits(char* out, long value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = char('0' + value % 10);
        value /= 10;
    }
}

// Offset of the picture letter's digits in "CCYYMMDD", or -1.
int PartOffset(char c) {
    switch (c) {
    case 'C': return 0;
    case 'Y': return 2;
    case 'M': return 4;
    case 'D': return 6;
    default: return -1;
    }
}

std::string UpperPicture(std::string_view picture) {
    std::string pic(picture);
    convertUpper(pic);
    return pic;
}

} // namespace

int32_t dateToJulian(const char* date) {
    bool allBlank = true;
    for (int i = 0; i < kDateLen; ++i) {
        char c = date[i];
        if (c != ' ' && (c < '0' || c > '9')) return -1;
        if (c != ' ') allBlank = false;
    }
    if (allBlank) return 0;
    long y = convertToLong(date, 4);
    long m = convertToLong(date + 4, 2);
    long d = convertToLong(date + 6, 2);
    if (y < 0 || m < 1 || m > 12 || d < 1) return -1;
    bool leap = IsLeap(y);
    long monthLen = kMonthStart[m] - kMonthStart[m - 1] + (leap && m == 2 ? 1 : 0);
    if (d > monthLen) return -1;
    return int32_t(DaysBeforeYear(y) + kMonthStart[m - 1] + (leap && m > 2 ? 1 : 0) + d +
                   kJulianBase);
}

void dateFromJulian(int32_t julian, char* out) {
    // Outside 0001-01-01 .. 9999-12-31 the year does not fit its four digits.
    if (julian <= kJulianBase || julian > kLastJulian) {
        std::memset(out, ' ', kDateLen);
        return;
    }
    long n = long(julian) - kJulianBase;
    long y = long(double(n) * 0.002737907006988508) + 1;
    if (n <= DaysBeforeYear(y)) --y;
    long dayOfYear = n - DaysBeforeYear(y);
    long yearLen = IsLeap(y) ? 366 : 365;
    if (dayOfYear > yearLen) {
        dayOfYear -= yearLen;
        ++y;
    }
    int leapShift = IsLeap(y) ? 1 : 0;
    int m = 1;
    for (; m < 12; ++m) {
        int nextStart = kMonthStart[m] + (m >= 2 ? leapShift : 0);
        if (dayOfYear <= nextStart) break;
    }
    long d = dayOfYear - kMonthStart[m - 1] - (m > 2 ? leapShift : 0);
    PutDigits(out, y, 4);
    PutDigits(out + 4, m, 2);
    PutDigits(out + 6, d, 2);
}

std::string dateFromJulian(int32_t julian) {
    std::string s(kDateLen, ' ');
    dateFromJulian(julian, s.data());
    return s;
}

double dateToDouble(const char* date) {
    int32_t j = dateToJulian(date);
    return j == 0 ? kEmptyDateDouble : double(j);
}

DatePicture::DatePicture() { std::strcpy(text_, kDefaultDatePicture); }

int DatePicture::set(std::string_view picture) {
    if (picture.size() > size_t(kDatePictureMax)) return -930;
    std::memcpy(text_, picture.data(), picture.size());
    text_[picture.size()] = '\0';
    return 0;
}

void dateFormat(const char* date, std::string_view picture, char* out) {
    std::string pic = UpperPicture(picture);
    std::string result(pic.size(), ' ');
    size_t i = 0;
    while (i < pic.size()) {
        int part = PartOffset(pic[i]);
        if (part < 0) {
            result[i] = pic[i];
            ++i;
            continue;
        }
        size_t run = i;
        while (run < pic.size() && pic[run] == pic[i]) ++run;
        size_t len = run - i;
        if (pic[i] == 'M' && len > 2) {
            if (date[4] != ' ' || date[5] != ' ') {
                long m = convertToLong(date + 4, 2);
                if (m < 1) m = 1;
                if (m > 12) m = 12;
                size_t take = len < 9 ? len : 9;
                // Only the name changes code page: picture characters are the caller's.
                std::string name = Cp437ToCp1252(std::string_view(kMonthNames[m - 1], take));
                std::memcpy(&result[i], name.data(), take);
            }
        } else {
            for (size_t k = 0; k < len && k < 2; ++k) result[i + k] = date[part + int(k)];
        }
        i = run;
    }
    std::memcpy(out, result.data(), pic.size());
}

std::string dateFormat(const char* date, std::string_view picture) {
    std::string s(picture.size(), ' ');
    dateFormat(date, picture, s.data());
    return s;
}

void dateFromPicture(std::string_view text, std::string_view picture, char* out) {
    std::string pic = UpperPicture(picture);
    char d[kDateLen];
    std::memset(d, ' ', kDateLen);
    int filled[4] = {0, 0, 0, 0};
    size_t monthRun = 0, monthRunLen = 0;
    for (size_t i = 0; i < pic.size(); ++i) {
        int part = PartOffset(pic[i]);
        if (part < 0) continue;
        if (pic[i] == 'M' && (i == 0 || pic[i - 1] != 'M')) {
            size_t run = i;
            while (run < pic.size() && pic[run] == 'M') ++run;
            if (run - i > monthRunLen) {
                monthRun = i;
                monthRunLen = run - i;
            }
        }
        int& n = filled[part / 2];
        if (n < 2 && i < text.size()) d[part + n++] = text[i];
    }
    if (monthRunLen > 2 && monthRun < text.size()) {
        // The month typed as a name: its first letters, capitalised as the names are.
        std::string typed(text.substr(monthRun, std::min<size_t>(3, monthRunLen)));
        while (!typed.empty() && typed.back() == ' ') typed.pop_back();
        for (size_t k = 0; k < typed.size(); ++k) {
            // Names come out of dateFormat in code page 1252; read them back too.
            if (typed[k] == '\xE4') typed[k] = '\x84';
            if (typed[k] == '\xC4') typed[k] = '\x8E';
            typed[k] = k == 0 ? convertUpperChar(typed[k]) : convertLowerChar(typed[k]);
        }
        if (!typed.empty()) {
            for (int m = 1; m <= 12; ++m) {
                if (std::memcmp(kMonthNames[m - 1], typed.data(), typed.size()) == 0) {
                    PutDigits(d + 4, m, 2);
                    break;
                }
            }
        }
    }
    bool allBlank = true;
    for (char c : d)
        if (c != ' ') allBlank = false;
    if (allBlank) {
        std::memset(out, ' ', kDateLen);
        return;
    }
    static constexpr const char* kDefaults[4] = {"19", "01", "01", "01"};
    for (int p = 0; p < 4; ++p)
        if (d[2 * p] == ' ' && d[2 * p + 1] == ' ') std::memcpy(d + 2 * p, kDefaults[p], 2);
    for (char& c : d)
        if (c == ' ') c = '0';
    std::memcpy(out, d, kDateLen);
}

std::string dateFromPicture(std::string_view text, std::string_view picture) {
    std::string s(kDateLen, ' ');
    dateFromPicture(text, picture, s.data());
    return s;
}

std::string dateToday() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    std::string s(kDateLen, '0');
    PutDigits(s.data(), t.tm_year + 1900, 4);
    PutDigits(s.data() + 4, t.tm_mon + 1, 2);
    PutDigits(s.data() + 6, t.tm_mday, 2);
    return s;
}

std::string timeNow() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    std::string s = "00:00:00";
    PutDigits(s.data(), t.tm_hour, 2);
    PutDigits(s.data() + 3, t.tm_min, 2);
    PutDigits(s.data() + 6, t.tm_sec, 2);
    return s;
}

} // namespace vx
