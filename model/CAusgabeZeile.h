// One numbered line of a module's printed result list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct CAusgabeZeile {
    std::string texts[7];
    std::string lineNumber;
    int32_t value = 0;
};

using OutputLines = std::vector<std::unique_ptr<CAusgabeZeile>>;

// Appends a line numbered "%02d.%d.%d" and returns it.
CAusgabeZeile* AddOutputLine(OutputLines& lines, int a, int b, int c, int32_t value);
