// Small helpers shared by every subsystem: rounding, number text,
// directories, record quoting and the format number of an archive.
#pragma once

#include "platform/Archive.h"

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

class CWerte;

// a rounded to the nearest multiple of 1/b, halves away from zero.
// A non-finite a stays non-finite, so that it never passes for a number.
// Inline: the model's iterations call it in their innermost loops.
inline double RoundToStep(double a, double b) {
    // Truncated in floating point: an integer cast of a huge or NaN product is undefined.
    return std::trunc(a * b + (a < 0 ? -0.5 : 0.5)) / b;
}
// x as the number its "%f" text reads back as (six decimals, halves to
// even), without the text.
double RoundToSixDecimals(double x);
// x with as many decimals as it needs (at most maxDecimals when that is not 0),
// right-aligned in width when width is not 0.
std::string FormatFixed(double x, int width, int maxDecimals);

// The program's directory, without a trailing separator.
std::string GetProgramDir();
// The data directory: the program's own in CD-start mode, else profile
// "Datenbank"/"Pfad_<name>" (or "Pfad"), defaulting to "Pfad" as first read.
std::string GetDataDir(const char* name = nullptr);
// Set by a program started with "CDSTART".
void SetCdStartMode(bool on);
bool IsCdStartMode();

// Adds a range message to the ones before it: a message ends with its own
// line break, so a break is added only after one that lacks it.
void AppendMessage(std::string& message, const std::string& part);
// Checks the cell's range and adds its message; failed becomes 1 on a failure.
void CheckCell(CWerte& cell, std::string& message, std::vector<int>* ids, int& failed);

// The text with every double quote made an apostrophe, for an attribute value.
std::string QuoteForRecord(std::string_view text);

// The format number members are stored or loaded with: a store always writes
// the current format, whatever file was loaded last.
int ArchiveFormat(const vx::Archive& ar);
