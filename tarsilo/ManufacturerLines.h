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
    ManufacturerLines(CWrzKatalog& catalogue, int64_t offset, std::string name);
    // Shows the lines that were skipped, in one message.
    ~ManufacturerLines();
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
    CWrzKatalog& catalogue_;
    std::string name_;
    std::FILE* file_ = nullptr;
    char* buffer_ = nullptr;
    size_t capacity_ = 0;
    int64_t offset_ = 0;
    bool ended_ = false;
    std::vector<CatalogueProblem> skipped_;
};
