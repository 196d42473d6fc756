// A construction type of a manufacturer's product: its wall values supply
// the defaults of a pipe section's wall.
#pragma once

#include "platform/ArchiveFwd.h"

#include <cstdint>
#include <string>

class CBauart {
public:
    explicit CBauart(int kind = 1) : kind(kind) {}

    void Serialize(vx::Archive& ar);

    // 1/Lambda of a resistance group, m² K/W.
    static double DefaultWallResistance(int group);

    int kind;  // which of the section's three arrays holds it (1, 2, 3)
    std::string name;
    double wallThickness = 0;  // m
    double value2 = 0;
    double roughness = 0;      // m
    double value4 = 0;
    int16_t resistanceGroup = 0;
    int16_t word = 0;
    struct Group {
        int32_t a = 0;
        double x = 0;
        int32_t b = 0;
    } groups[5];
    int32_t value1 = 0;
    int32_t value2Int = 0;
    double value5 = -1.0;
    int32_t value3 = 0;
};
