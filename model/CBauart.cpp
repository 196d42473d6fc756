#include "model/CBauart.h"

#include "platform/Archive.h"
#include "values/ArchiveFormat.h"

double CBauart::DefaultWallResistance(int group) {
    static const double kResistance[] = {0.65, 0.4, 0.22, 0.12};
    return group >= 0 && group <= 3 ? kResistance[group] : 0.0;
}

void CBauart::Serialize(vx::Archive& ar) {
    const int v = ArchiveFormat(ar);
    if (ar.IsStoring()) {
        ar << name << wallThickness << value2 << roughness << value4 << int32_t(resistanceGroup) << int32_t(word)
           << value1 << value5 << value2Int << value3;
        for (const Group& g : groups) ar << g.a << g.x << g.b;
        return;
    }
    ar >> name >> wallThickness >> value2 >> roughness >> value4;
    resistanceGroup = int16_t(ar.ReadInt32());
    word = int16_t(ar.ReadInt32());
    ar >> value1 >> value5;
    value2Int = v >= 14 ? ar.ReadInt32() : 0;
    if (v > 34) ar >> value3;
    for (Group& g : groups) ar >> g.a >> g.x >> g.b;
}
