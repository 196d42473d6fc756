// Dates as the tables store them: 8 characters "CCYYMMDD", 8 blanks for the
// empty date, and Julian day numbers for arithmetic and index keys. Text here
// is code page 437 unless a function says otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

inline constexpr int kDateLen = 8;
inline constexpr int kDatePictureMax = 19;
inline constexpr const char* kDefaultDatePicture = "DD.MM.YY";
// The day number of an empty date as a double key, so that it sorts after all
// others. Index files hold 1.0E300 (the expression key form); every
// conversion uses that one value, so that a seek finds blank dates.
inline constexpr double kEmptyDateDouble = 1.0E300;
// Day number of 0001-01-01 minus one day.
inline constexpr int32_t kJulianBase = 1721425;

// Julian day of the 8 bytes at date: 0 for the empty date, -1 for an invalid one.
int32_t dateToJulian(const char* date);
// "CCYYMMDD" of a day number into 8 bytes at out (not terminated); j <= 0 gives 8 blanks.
void dateFromJulian(int32_t julian, char* out);
std::string dateFromJulian(int32_t julian);
// The day number as a double, kEmptyDateDouble for the empty date (-1 when invalid).
double dateToDouble(const char* date);

// A date picture of at most 19 characters, as the engine context keeps it.
// engineDateFormat/engineDateFormatSet of the context read and set it and
// report the -930 that set returns.
class DatePicture {
public:
    DatePicture();
    // 0, or -930 (picture unchanged) for more than 19 characters.
    int set(std::string_view picture);
    const char* c_str() const { return text_; }
    std::string_view view() const { return text_; }

private:
    char text_[kDatePictureMax + 1];
};

// The 8-byte date formatted with the picture: one character per picture
// character. Month names come out in code page 1252 (the whole result is
// converted from 437), so "DD. MMMMMMMMM CCYY" makes "07. M\xE4rz      2008".
std::string dateFormat(const char* date, std::string_view picture);
// The same into out, which takes picture.size() bytes (not terminated).
void dateFormat(const char* date, std::string_view picture, char* out);

// Text typed after the picture read back into 8 bytes "CCYYMMDD" at out (not
// terminated); all blank gives the empty date. Not checked for validity.
void dateFromPicture(std::string_view text, std::string_view picture, char* out);
std::string dateFromPicture(std::string_view text, std::string_view picture);

// Today as "CCYYMMDD" and the time as "HH:MM:SS" (local time).
std::string dateToday();
std::string timeNow();

} // namespace vx
