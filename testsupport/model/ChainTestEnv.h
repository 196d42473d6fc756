// A chain as the document links it: chimney head, chimney, connecting piece
// and heat generator, with the arrangement, installation room and site.
#pragma once

#include "model/CAufBauE.h"
#include "model/CAufRaum.h"
#include "model/CSKopf.h"
#include "model/CSchorn.h"
#include "model/CVerb.h"
#include "model/CWaerme.h"
#include "model/ChainHelpers.h"

struct TestChain {
    CAufBauE arrangement;
    CAufRaum room;
    CWaerme generator;
    CVerb connector;
    CSchorn chimney;
    CSKopf head;

    // Oil boiler 20 kW, connecting piece 1 m, chimney 8 m of 0.15 m, negative pressure.
    TestChain() {
        arrangement.regime.value = 0;
        arrangement.kind.value = 0;
        room.airSupplyPressure.value = 4;

        generator.fuel.value = 1;
        generator.output.value = 20;
        generator.gasTemperature.value = 160;
        generator.outletShape.value = 0;
        generator.outletDiameter.value = 0.13;

        connector.ordinal = 1;
        connector.length.value = 1;
        connector.height.value = 0;
        connector.shape.value = 0;
        connector.diameter.value = 0.13;
        connector.wallThickness.value = 0.001;
        connector.wallResistance.value = 0;
        connector.roughness.value = 0.001;
        connector.zeta.AddResistance(6, 90, 0, 0, 1);

        chimney.ordinal = 1;
        chimney.length.value = 8;
        chimney.height.value = 8;
        chimney.shape.value = 0;
        chimney.diameter.value = 0.15;
        chimney.wallThickness.value = 0.1;
        chimney.resistanceGroup.value = 0;
        chimney.roughness.value = 0.0015;
        chimney.wallResistance.value = 0.65;
        chimney.zeta.AddResistance(12, 90, 0, 0, 1);
    }

    // Links the chain and derives what the document derives before a run.
    void Link() {
        UnlinkChain(&head);
        generator.arrangement = &arrangement;
        connector.arrangement = &arrangement;
        chimney.arrangement = &arrangement;
        head.LinkChain(arrangement, room, chimney, connector, generator);
        arrangement.ApplyRegime();
        double dh = 0;
        CrossSectionGeometry(generator.outletDiameter.value, 0, 0, generator.outletShape.value,
                             generator.outletArea.value, generator.outletPerimeter.value, dh);
        generator.RecalcDependents();
        connector.ComputeGeometry();
        chimney.ComputeGeometry();
    }

    // One full-load pass, and a part-load pass when the heat generator has part-load data.
    void Run() {
        head.RunFullLoadPass();
        if (generator.partLoadAvailable.value && !generator.suppressPartLoad) {
            CalculationMode = kModePartLoad;
            CaseIndex = 1;
            PropagateChainValues(&head);
        }
        CalculationMode = kModeFullLoad;
        CaseIndex = -1;
    }

    ~TestChain() { UnlinkChain(&head); }
};
