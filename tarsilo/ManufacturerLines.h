// The heat generators of one manufacturer, read from "velmora.wrz" in one
// pass from the offset of its first line: the computation reads each line
// once instead of opening the file for every heat generator.
#pragma once

#include "velmora/shared/CWrzKatalog.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class ManufacturerLines {
public:
    ManufacturerLines(const CWrzKatalog& catalogue, int64_t offset, std::string name);
    // Reads from a "velmora.wrz" the caller opened and keeps open for the
    // next manufacturers; null reads nothing.
    ManufacturerLines(std::FILE* wrz, int64_t offset, std::string name);
    // Shows the lines that were skipped, in one message.
    ~ManufacturerLines();
    // The catalogue's lines file, for reading with the second constructor; null when it cannot be opened.
    static std::FILE* OpenWrz(const CWrzKatalog& catalogue);
    ManufacturerLines(const ManufacturerLines&) = delete;
    ManufacturerLines& operator=(const ManufacturerLines&) = delete;

    // The catalogue's answers: kLoaded; kNotLoaded at the end of the file,
    // at another manufacturer's line or when the file cannot be read;
    // kBadLine for a line of this manufacturer that cannot be read (skipped).
    // A line with open-operation values asks the user, as the catalogue does.
    int Next(WrzEntry& entry);
    // The offset of the line Next reads.
    int64_t Offset() const { return offset_; }

private:
    std::string name_;
    // Opened here, or the caller's.
    std::FILE* file_ = nullptr;
    bool ownFile_ = false;
    char* buffer_ = nullptr;
    size_t capacity_ = 0;
    int64_t offset_ = 0;
    bool ended_ = false;
    std::vector<CatalogueProblem> skipped_;
};
