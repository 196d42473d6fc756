#include "testsupport/SampleChains.h"

namespace samplechains {

std::unique_ptr<TestChain> OilChain() {
    auto c = std::make_unique<TestChain>();
    c->Link();
    c->generator.partLoadAvailable.value = 1;
    c->generator.LoadDefault(c->generator.outputPart);
    return c;
}

std::unique_ptr<TestChain> PassingPartLoadChain() {
    auto c = OilChain();
    CWaerme& g = c->generator;
    g.gasTemperature.value = 200;
    g.outputPart.value = 12;
    g.outputPart.marker = 0;
    g.gasTemperaturePart.value = 180;
    g.gasTemperaturePart.marker = 0;
    g.RecalcDependents();
    return c;
}

std::unique_ptr<TestChain> LayeredWallChain() {
    auto c = OilChain();
    CSchorn& s = c->chimney;
    s.resistanceGroup.value = 6;
    s.wall.layers[0].thickness.value = 0.02;
    s.wall.layers[0].conductivity.value = 0.5;
    s.wall.layers[0].conductivity.marker = CWerte::MarkerResult;
    s.wall.layers[1].thickness.value = 0.05;
    s.wall.layers[1].conductivity.value = 0.05;
    return c;
}

std::unique_ptr<TestChain> OutsideChain() {
    auto c = std::make_unique<TestChain>();
    c->arrangement.regime.value = 2;
    c->arrangement.kind.value = 3;
    c->generator.output.value = 15;
    c->generator.gasTemperature.value = 200;
    c->generator.positivePressure.value = 50;
    c->chimney.roughness.value = 0.001;
    c->chimney.wallResistance.value = 0.4;
    c->chimney.resistanceGroup.value = 1;
    c->chimney.wallThickness.value = 0.03;
    c->chimney.shareOutside.value = 100;
    c->Link();
    return c;
}

} // namespace samplechains
