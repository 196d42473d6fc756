#include "model/CWaerme.h"

#include "model/CAufBauE.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/Archive.h"
#include "platform/StringTable.h"
#include "testsupport/StoreAndLoad.h"
#include "values/Rounding.h"
#include "testsupport/PartStrings.h"

#include <cmath>

namespace {

// The layouts of format 4, written member by member as such a file holds them.
void WriteZetaFormat4(vx::Archive& ar, CZeta& z) {
    for (ZetaElement& el : z.elements) {
        el.count.Serialize(ar);
        el.text.Serialize(ar);
        el.angle.Serialize(ar);
        el.zeta.Serialize(ar);
        ar << int32_t(el.kind) << el.byAngle << el.givenValue << el.secondValue << el.spare << z.listTag;
    }
    z.extraText2.Serialize(ar);
    z.extraValue.Serialize(ar);
    for (CWerte* c : std::initializer_list<CWerte*>{&z.contractionMode, &z.contractionZeta, &z.contractionAngle,
                                                   &z.enlargementMode, &z.enlargementZeta, &z.enlargementAngle})
        c->Serialize(ar);
    ar << z.stateWord;
    z.damperKind.Serialize(ar);
    z.damperOpenZeta.Serialize(ar);
    z.damperClosedZeta.Serialize(ar);
}

void WriteRecordFormat4(vx::Archive& ar, CRechnen& r) {
    for (CWDouble* c : {&r.k, &r.coolingNumber, &r.tm, &r.to, &r.Rf, &r.PR, &r.PH, &r.PG, &r.innerWallOutlet})
        c->Serialize(ar);
    ar << r.wetDryText;
    for (CWDouble* c : {&r.firstValue, &r.cp, &r.gasConstant, &r.h2o, &r.dewPoint, &r.lambda, &r.eta, &r.rho, &r.w,
                        &r.reynolds, &r.prandtl, &r.nusselt, &r.alphaInner, &r.psi, &r.psiSmooth,
                        &r.partialPressure, &r.rhoInlet, &r.wInlet, &r.rhoOutlet, &r.wOutlet, &r.wallResistance})
        c->Serialize(ar);
    ar << r.state << r.reynoldsFloored;
}

class HeatGenerator : public ModelTest {
protected:
    ScopedPartStrings strings_{"model"};
    CWaerme Oil(double q) {
        CWaerme w;
        w.fuel.value = 1;
        w.output.value = q;
        w.gasTemperature.value = 160;
        w.RecalcDependents();
        return w;
    }
};

TEST_F(HeatGenerator, OilTwentyKilowattDefaults) {
    CWaerme w = Oil(20);
    EXPECT_DOUBLE_EQ(w.efficiency.value, 86.30);
    EXPECT_DOUBLE_EQ(w.co2.value, 12.43);
    EXPECT_NEAR(w.heatInput.value, 20 * 100 / 86.30, 1e-12);
    EXPECT_DOUBLE_EQ(w.flueMassFlow.value, 0.01028);
    EXPECT_DOUBLE_EQ(w.requiredDraught.value, 19.52);
    EXPECT_EQ(w.efficiency.marker, CWerte::MarkerDerived);
}

TEST_F(HeatGenerator, DefaultsByFuelKind) {
    CWaerme w;
    uint16_t marker = 0;
    w.fuel.value = 10;  // wood
    EXPECT_DOUBLE_EQ(w.CalcDefaultEfficiency(1500, marker), 76.8);
    EXPECT_EQ(marker, CWerte::MarkerDefault);
    EXPECT_DOUBLE_EQ(w.CalcDefaultCo2(1500, marker), 12.0);
    EXPECT_EQ(marker, CWerte::MarkerDefault);
    EXPECT_DOUBLE_EQ(w.CalcDefaultDraught(1500, marker), 25.5);
    EXPECT_EQ(marker, CWerte::MarkerDefault);
    EXPECT_DOUBLE_EQ(w.CalcDefaultCo2(20, marker), 8.6);  // 6 + 2 log 20 = 8.60
    w.fuel.value = 1;  // oil
    EXPECT_DOUBLE_EQ(w.CalcDefaultEfficiency(50, marker), 86.70);
    EXPECT_DOUBLE_EQ(w.CalcDefaultCo2(50, marker), RoundToStep(11.2 / (1 - 0.076 * std::log10(50.0)), 100));
    EXPECT_DOUBLE_EQ(w.CalcDefaultCo2(150, marker), 13.2);
    EXPECT_DOUBLE_EQ(w.CalcDefaultDraught(200, marker), RoundToStep(38.5 * std::log10(200.0) - 47, 100));
    EXPECT_DOUBLE_EQ(w.CalcDefaultEfficiency(2000, marker), 88.0);
    EXPECT_EQ(marker, CWerte::MarkerDerived);
    w.fuel.value = 0;  // coke
    EXPECT_DOUBLE_EQ(w.CalcDefaultEfficiency(2500, marker), 83.0);
    EXPECT_DOUBLE_EQ(w.CalcDefaultCo2(50, marker), 9.5);
    EXPECT_DOUBLE_EQ(w.CalcDefaultDraught(1500, marker), 80.0);
}

TEST_F(HeatGenerator, FromMassFlowBackToOutput) {
    CWaerme w = Oil(20);
    w.output.value = 0;
    w.IterateFromMassFlow(1);
    // 0.01028 kg/s give back about 20 kW with the efficiency and CO2 of that output.
    EXPECT_NEAR(w.output.value, 20.0, 0.02);
    EXPECT_NEAR(w.efficiency.value, 86.30, 0.01);
    EXPECT_EQ(w.flueMassFlow.marker, CWerte::MarkerDerived);

    // A zero CO2 makes the heat input 0, and the output stays 0.
    CWaerme n;
    n.fuel.value = 1;
    n.flueMassFlow.value = 0.01;
    n.efficiency.value = 90;
    n.efficiency.marker = 0;
    n.co2.value = 0;
    n.co2.marker = 0;
    n.IterateFromMassFlow(1);
    EXPECT_DOUBLE_EQ(n.output.value, 0.0);
    // A mass flow that is no number never settles; the loop still ends.
    n.flueMassFlow.value = std::nan("");
    n.co2.value = 12;
    n.IterateFromMassFlow(1);
    EXPECT_TRUE(std::isnan(n.output.value));
}

TEST_F(HeatGenerator, PartLoadAndInterpolation) {
    CWaerme w = Oil(20);
    w.LoadDefault(w.outputPart);
    EXPECT_NEAR(w.flueMassFlowPart.value, 0.01028 / 3, 1e-15);
    EXPECT_GT(w.outputPart.value, 5.0);
    EXPECT_LT(w.outputPart.value, 8.0);
    EXPECT_LE(w.requiredDraughtPart.value, w.requiredDraught.value);

    w.output.value = 20;
    w.outputPart.value = 10;
    w.outputSel.value = 15;
    EXPECT_DOUBLE_EQ(w.Interpolate(2, 4), 3.0);
    w.outputSel.value = 25;
    EXPECT_DOUBLE_EQ(w.Interpolate(2, 4), 0.0);
    w.outputPart.value = 20;
    EXPECT_DOUBLE_EQ(w.Interpolate(2, 4), 2.0);
}

TEST_F(HeatGenerator, EditsAndFireplace) {
    CWaerme w = Oil(20);
    w.requiredDraught.value = 12;
    EXPECT_EQ(w.OnValueChanged(w.requiredDraught), 1);
    EXPECT_DOUBLE_EQ(w.positivePressure.value, -12);
    EXPECT_EQ(w.requiredDraught.marker, 0);
    w.output.value = 30;
    w.OnValueChanged(w.output);
    EXPECT_DOUBLE_EQ(w.efficiency.value, 86.48);  // 85 + log 30
    EXPECT_EQ(w.OnValueChanged(w.o2), 1);
    // A typed mass flow with every value recomputed gives the output back.
    w.recalcAll.value = 1;
    w.flueMassFlow.value = 0.01028;
    w.OnValueChanged(w.flueMassFlow);
    EXPECT_EQ(w.flueMassFlow.marker, CWerte::MarkerDerived);
    EXPECT_NEAR(w.output.value, 20.0, 0.02);
    EXPECT_DOUBLE_EQ(w.requiredDraught.value, RoundToStep(15 * std::log10(w.output.value), 100));
    w.recalcAll.value = 0;
    EXPECT_EQ(w.OnValueChanged(w.typeText3), 0);

    CAufBauE a;
    a.kind.value = 1;
    CWaerme f;
    f.arrangement = &a;
    f.flueMassFlow.value = 0.1;
    EXPECT_NEAR(f.CalcFireplaceDraught(), 1.5 * 0.5 * 0.01 / (0.0314 * 0.0314) / 0.9167, 1e-12);
    f.openingSideA.value = 0.5;
    f.openingSideB.value = 0.8;
    EXPECT_NEAR(f.CalcFireplaceMassFlow(), 0.4 * 0.6 / 3.6, 1e-15);
}

TEST_F(HeatGenerator, ShortfallCoveredByOwnPressure) {
    CWaerme w = Oil(20);
    w.Calculate(nullptr, 1, -1, 0, 0);
    w.positivePressureSel.value = 3;
    EXPECT_DOUBLE_EQ(w.CapShortfall(0, 1, 2), 0.0);
    EXPECT_DOUBLE_EQ(w.CapShortfall(0, 1, -5), 3.0);
    EXPECT_DOUBLE_EQ(w.CapShortfall(0, 1, -1), 1.0);
    EXPECT_DOUBLE_EQ(w.CapShortfall(0, 4, -1), 0.0);
    EXPECT_DOUBLE_EQ(w.CapShortfall(3, 1, -1), 0.0);  // no such case: nothing covered, no crash
}

TEST_F(HeatGenerator, TransitionValuesSwapped) {
    CWaerme w;
    w.zeta.contractionMode.value = 1;
    w.zeta.contractionZeta.value = 0.2;
    w.zeta.contractionAngle.value = 30;
    double mode = 2, zetaValue = 0.5, angle = 45;
    CModul& m = w;
    m.SwapCaseValues(mode, zetaValue, angle);
    EXPECT_EQ(w.zeta.enlargementMode.value, 2);
    EXPECT_DOUBLE_EQ(w.zeta.enlargementZeta.value, 0.5);
    EXPECT_DOUBLE_EQ(w.zeta.enlargementAngle.value, 45);
    EXPECT_DOUBLE_EQ(mode, 1);
    EXPECT_DOUBLE_EQ(zetaValue, 0.2);
    EXPECT_DOUBLE_EQ(angle, 30);
    // With the enlargement given by hand, the outlet's transition takes it.
    w.fuel.value = 1;
    w.output.value = 20;
    w.gasTemperature.value = 160;
    w.outletArea.value = 0.01;
    w.RecalcDependents();
    w.Calculate(nullptr, 1, -1, 0, 0);
    EXPECT_DOUBLE_EQ(w.outletZeta.value, 0.5);
    EXPECT_EQ(w.zeta.elements[CZeta::Enlargement].kind, 17);
}

TEST_F(HeatGenerator, StateWithoutFuelCoefficients) {
    CWaerme w = Oil(20);
    w.useFuelCoefficients = 0;
    const AbgasZustand& s = *w.Calculate(nullptr, 1, -1, 0, 0);
    EXPECT_EQ(s.useFuelCoefficients, 0);
    EXPECT_DOUBLE_EQ(s.h2oT, 1.1);
    EXPECT_DOUBLE_EQ(s.cpCoeffAT, 0.0);
    w.useFuelCoefficients = 1;
    w.Calculate(nullptr, 1, -1, 0, 0);
    EXPECT_DOUBLE_EQ(w.outletState.cpCoeffAT, 13.0);
    EXPECT_DOUBLE_EQ(w.outletState.massFlow, 0.01028);
    EXPECT_DOUBLE_EQ(w.outletState.pressureLoss, 19.52);
    // A fixed draught is not asked of the chimney; the allowance keeps the load point's draught.
    w.draughtFixed = 1;
    w.Calculate(nullptr, 1, -1, 0, 0);
    EXPECT_DOUBLE_EQ(w.outletState.pressureLoss, 0.0);
    EXPECT_DOUBLE_EQ(w.outletState.resistanceSum, 0.0);
    EXPECT_DOUBLE_EQ(w.pressureCases[0]->generatorFurther, 19.52);
    // Under positive pressure the load point's positive pressure counts, fixed or not.
    CAufBauE positive;
    positive.regime.value = 2;
    w.arrangement = &positive;
    w.positivePressure.value = 35;
    w.Calculate(nullptr, 1, -1, 0, 0);
    EXPECT_DOUBLE_EQ(w.outletState.pressureLoss, 35.0);
    w.arrangement = nullptr;
    // Part load without part-load data calculates full load.
    w.Calculate(nullptr, 2, 1, 0, 0);
    EXPECT_DOUBLE_EQ(w.pressureCases[1]->massFlow, 0.01028);
}

TEST_F(HeatGenerator, ArchiveByFormat) {
    CWaerme w = Oil(20);
    w.typeDesignation.text = "Kessel 20";
    w.Calculate(nullptr, 1, -1, 0, 0);
    CWaerme back;
    StoreAndLoad(w, back);
    EXPECT_EQ(back.typeDesignation.text, "Kessel 20");
    EXPECT_DOUBLE_EQ(back.flueMassFlow.value, 0.01028);
    EXPECT_EQ(back.caseCount, 0);
    ASSERT_EQ(back.temperatureCases.size(), 1u);
    EXPECT_DOUBLE_EQ(back.temperatureCases[0]->dewPoint.value, w.temperatureCases[0]->dewPoint.value);

    // Format 4: no fourth text, no check value, no extra value, four dropped values, no temperature records.
    auto old = vx::Archive::ForStoring();
    w.manufacturerName.Serialize(old);
    w.typeDesignation.Serialize(old);
    w.typeText3.Serialize(old);
    for (CWerte* c : std::initializer_list<CWerte*>{&w.flueMassFlow, &w.co2, &w.gasTemperature, &w.requiredDraught,
                                                   &w.positivePressure, &w.flueMassFlowPart, &w.co2Part,
                                                   &w.gasTemperaturePart, &w.requiredDraughtPart,
                                                   &w.positivePressurePart, &w.fuel, &w.output, &w.heatInput,
                                                   &w.efficiency, &w.volumeFlow, &w.o2, &w.outputPart,
                                                   &w.heatInputPart, &w.efficiencyPart, &w.volumeFlowPart, &w.o2Part,
                                                   &w.outletShape, &w.outletDiameter, &w.outletArea,
                                                   &w.outletPerimeter, &w.outletSideA, &w.outletSideB,
                                                   &w.outletLength, &w.outletExtra, &w.outletZeta})
        c->Serialize(old);
    WriteZetaFormat4(old, w.zeta);
    for (CWerte* c : std::initializer_list<CWerte*>{&w.openingSideA, &w.openingSideB, &w.openingArea, &w.recalcAll,
                                                   &w.partLoadAvailable, &w.connectorArea, &w.interpolate,
                                                   &w.outputSel, &w.heatInputSel, &w.efficiencySel, &w.volumeFlowSel,
                                                   &w.o2Sel, &w.flueMassFlowSel, &w.co2Sel, &w.gasTemperatureSel,
                                                   &w.requiredDraughtSel, &w.positivePressureSel})
        c->Serialize(old);
    CWShort s;
    CWDouble d;
    s.Serialize(old);
    for (int i = 0; i < 3; ++i) d.Serialize(old);
    old << int32_t(0) << int32_t(0) << int32_t(0) << int32_t(0) << int32_t(1) << int32_t(0);
    w.pressureCases[0]->state = 2;
    WriteRecordFormat4(old, *w.pressureCases[0]);
    WriteRecordFormat4(old, *w.pressureCases[0]);
    vx::g_FileFormat = 4;
    CWaerme four;
    auto load = vx::Archive::ForLoading(old.Bytes());
    four.Serialize(load);
    vx::g_FileFormat = 42;
    EXPECT_EQ(load.Remaining(), 0u);
    EXPECT_EQ(four.caseCount, 1);
    ASSERT_EQ(four.temperatureCases.size(), 2u);  // default records where the file has none
    EXPECT_EQ(four.temperatureCases[1]->state, 1);
    EXPECT_EQ(four.pressureCases[1]->state, 2);
    EXPECT_EQ(four.temperatureCases[1]->site, nullptr);
    EXPECT_DOUBLE_EQ(four.flueMassFlow.value, 0.01028);
}

TEST_F(HeatGenerator, UnitChoicesByGroup) {
    CWaerme w;
    EXPECT_EQ(w.output.internalUnit, 0x100);
    EXPECT_EQ(w.flueMassFlowPart.displayUnit, 0x400);
    w.flueMassFlowPart.displayUnit = 0x402;  // g/s
    w.OnUnitChanged(w.flueMassFlowPart);
    EXPECT_EQ(w.flueMassFlow.displayUnit, 0x402);
    EXPECT_EQ(w.flueMassFlowSel.displayUnit, 0x402);
    CWaerme next;  // a new heat generator shows the saved choice
    EXPECT_EQ(next.flueMassFlow.displayUnit, 0x402);
    EXPECT_EQ(next.gasTemperature.displayUnit, 0x200);
}

TEST_F(HeatGenerator, InputCheckAndFuelText) {
    CWaerme w = Oil(20);
    std::string message;
    EXPECT_EQ(w.CheckInputs(message, nullptr), 0);
    w.gasTemperature.value = 5;  // below "Twmin"
    EXPECT_EQ(w.CheckInputs(message, nullptr), 1);
    EXPECT_FALSE(message.empty());
    // The limit is the chosen fuel's largest CO2: 15.4 % for oil, so 19 % fails.
    EXPECT_DOUBLE_EQ(w.co2.maximum, 15.4);
    w.gasTemperature.value = 160;
    w.co2.value = 19;
    message.clear();
    EXPECT_EQ(w.CheckInputs(message, nullptr), 1);
    w.fuel.value = 10;  // wood: 20.5 %
    message.clear();
    EXPECT_EQ(w.CheckInputs(message, nullptr), 0) << message;
    EXPECT_DOUBLE_EQ(w.co2.maximum, 20.5);
    w.fuel.value = 1;
    w.co2.value = 12.43;
    CAufBauE a;
    w.arrangement = &a;
    a.kind.value = 3;
    EXPECT_EQ(w.GetFuelText(), vx::LoadString(10621));
    w.fuel.value = 10;
    EXPECT_EQ(w.GetFuelText(), "Holz");
}

} // namespace
