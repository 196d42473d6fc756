// The chains that the chain benchmark times and the results dump keeps, and
// the diagram's sweep over them.
#pragma once

#include "model/CRohr.h"
#include "testsupport/model/ChainTestEnv.h"

#include <memory>

namespace samplechains {

// Oil boiler 20 kW whose part load is derived from full load: its part-load
// gas temperature of 107 °C fails the temperature criterion at every size.
std::unique_ptr<TestChain> OilChain();
// Oil boiler 20 kW at 200 °C with a part load of its own (12 kW at 180 °C),
// which passes on part of the band, so that both loads decide it.
std::unique_ptr<TestChain> PassingPartLoadChain();
// The oil chain with a chimney wall of two layers, the first stepping the temperatures.
std::unique_ptr<TestChain> LayeredWallChain();
// System 20: a chimney of its whole length outside under positive pressure,
// oil boiler 15 kW at 200 °C, full load only.
std::unique_ptr<TestChain> OutsideChain();

// Heights 4 to 30 m in steps of 2 m over the whole round table, as the
// diagram sweeps them: runs the chain at each and calls each(height, diameter).
template <class Each>
void Sweep(TestChain& c, Each&& each) {
    for (double h = 4.0; h <= 30.0; h += 2.0) {
        c.chimney.length.value = c.chimney.height.value = h;
        double d = 0, b = 0, a = 0;
        for (;;) {
            const double previous = d;
            CRohr::NextCrossSection(0, 0, d, b, a);
            if (d == previous) break;
            c.chimney.diameter.value = d;
            c.chimney.ComputeGeometry();
            c.Run();
            each(h, d);
        }
    }
}

} // namespace samplechains
