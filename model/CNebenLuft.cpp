#include "model/CNebenLuft.h"

#include "model/CAufBauE.h"
#include "model/CAufRaum.h"
#include "model/CGrunddaten.h"
#include "model/CRohr.h"
#include "model/CZeta.h"
#include "model/CaseArray.h"
#include "model/FuelTable.h"
#include "model/ModelText.h"
#include "platform/Archive.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "values/CMEinheitListe.h"
#include "values/Rounding.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kAbsolute = 273.15;

struct GasBlock {
    double co2, h2o, R, t, cp;
};

GasBlock Block(const AbgasZustand& s, bool temperatureCase) {
    if (temperatureCase) return {s.co2T, s.h2oT, s.gasConstantT, s.temperatureT, s.specificHeatT};
    return {s.co2P, s.h2oP, s.gasConstantP, s.temperatureP, s.specificHeatP};
}

} // namespace

const CNebenLuft::Settings& CNebenLuft::ProfileSettings() {
    static const Settings settings = [] {
        auto read = [](const char* key, const char* def) {
            return vx::ParseDouble(vx::Profile().GetString("Nebenluft", key, def));
        };
        Settings s;
        s.a0Min = read("A0_min", "0");
        s.a0Max = read("A0_max", "100");
        s.a0Default = read("A0_vor", "10");
        s.a1Min = read("A1_min", "10");
        s.a1Max = read("A1_max", "1000");
        s.a2Min = read("A2_min", "1000");
        s.a2Max = read("A2_max", "900000");
        s.tempMin = read("Tlein_min", "-30");
        s.tempMax = read("Tlein_max", "30");
        s.tempDefault = read("Tlein_vor", "15");
        s.humidityMin = read("RelFeuchte_min", "0");
        s.humidityMax = read("RelFeuchte_max", "100");
        s.humidityDefault = read("RelFeuchte_vor", "60");
        return s;
    }();
    return settings;
}

CNebenLuft::CNebenLuft() {
    const Settings& s = ProfileSettings();
    const uint16_t msg = IDS_WERTEBEREICH;
    deviceName.Init(IdDeviceName, 0, 0, 0, 0xFFFF, 0, 0, 0, 0, 0, 0, 0, false);
    deviceType.Init(IdDeviceType, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, false);
    a0.Init(IdA0, 0, 0, 0, 8, kUnitPascal, kUnitPascal, 0, 2, msg, s.a0Min, s.a0Max, false);
    a1.Init(IdA1, 0, 0, 0, 8, 0, 0, 0, 0, msg, s.a1Min, s.a1Max, false);
    a2.Init(IdA2, 0, 0, 0, 8, 0, 0, 0, 0, msg, s.a2Min, s.a2Max, false);
    roomAirTemperature.Init(IdRoomAirTemperature, 0, 0, 0, 8, kUnitCelsius, kUnitCelsius, 0, 2, msg, s.tempMin,
                            s.tempMax, false);
    relativeHumidity.Init(IdRelativeHumidity, 0, 0, 0, 8, kUnitPercent, kUnitPercent, 0, 2, msg, s.humidityMin,
                          s.humidityMax, false);
    airMassFlow.Init(IdAirMassFlow, 0, 0, 0, 4, kUnitKilogramPerSecond, kUnitKilogramPerSecond, 0, 3, 0, 0, 0, false);
    airWaterVapour.Init(IdAirWaterVapour, 0, 0, 0, 4, kUnitPercent, kUnitPercent, 0, 3, 0, 0, 0, false);
    deviceZeta.Init(IdDeviceZeta, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, false);
    flowExponent.Init(IdFlowExponent, 0, 0, 0, 8, 0, 0, 0, 0, msg, 0, 0, false);
    deviceType.value = -1;
    a0.value = s.a0Default;
    roomAirTemperature.value = s.tempDefault;
    relativeHumidity.value = s.humidityDefault;
    flowExponent.value = 1.5;
}

CNebenLuft::~CNebenLuft() = default;

void CNebenLuft::Attach(CAufBauE* arrangementRecord, CAufRaum* installationRoom, CRohr* pipeSection) {
    arrangement = arrangementRecord;
    site = arrangement ? &arrangement->site : nullptr;
    room = installationRoom;
    section = pipeSection;
}

int CNebenLuft::AirSupplyKind() const { return arrangement ? arrangement->airSupply.value : 0; }

double CNebenLuft::RoomAirValue(const AbgasZustand& state) {
    return room && arrangement ? room->GetAirValue(&state, arrangement, CaseIndex) : 0.0;
}

CNebenLuft::Mixture CNebenLuft::MixAir(const AbgasZustand& state, bool temperatureCase) {
    const GasBlock g = Block(state, temperatureCase);
    const double mG = state.massFlow;
    const double mL = airMassFlow.value;
    const double tL = roomAirTemperature.value;
    const double RL = site->gasConstantAir.value;
    const double pL = site->airPressure.value;

    Mixture x;
    x.airSpecificHeat = 1011 + 0.05 * tL + 0.0003 * tL * tL;
    const double cpL = x.airSpecificHeat;
    x.temperature = (cpL * mL * (tL + kAbsolute) + g.cp * mG * (g.t + kAbsolute)) / (cpL * mL + g.cp * mG) - kAbsolute;
    airWaterVapour.value = 1.1;
    x.waterVapour = (g.h2o * g.R * mG + RL * mL * 1.1) / (RL * mL + g.R * mG);
    const double gas = g.R * mG * (100 - g.h2o);
    x.co2 = gas * g.co2 / (gas + RL * mL * (100 - x.waterVapour));
    const FuelRow& fuel = FuelRowAt(state.fuelIndex);
    const double f = state.wetState == 1 ? fuel.fRDry : fuel.fRWet;
    x.gasConstant = (x.co2 * f + 1) * RL;
    x.density = pL / x.gasConstant / (x.temperature + kAbsolute);
    x.velocity = (mL + mG) / deviceArea / x.density;
    return x;
}

void CNebenLuft::StoreMixture(CNebWerte& record, const Mixture& x) {
    record.airSpecificHeat = x.airSpecificHeat;
    record.temperature = x.temperature;
    record.waterVapour = x.waterVapour;
    record.co2 = x.co2;
    record.gasConstant = x.gasConstant;
    record.density = x.density;
    record.velocity = x.velocity;
}

void CNebenLuft::CalcAirState(CNebWerte& record, const AbgasZustand& state, bool temperatureCase) {
    if (!site) return;
    const Mixture x = MixAir(state, temperatureCase);
    const double mG = state.massFlow;
    const double mL = airMassFlow.value;
    // The junction formulas only compute when asked for no element.
    CZeta formulas;
    if (AirSupplyKind() == 3)
        deviceZeta.value = formulas.CalcJunctionZeta2(-1, state.areaBelow, deviceArea, mG, mG + mL, junctionAngle);
    else
        deviceZeta.value = formulas.CalcJunctionZeta1(-1, deviceArea, deviceArea, mL, mL + mG, 90);
    const double airSide =
        std::pow(mL / site->airRatio.value / mG + 1, flowExponent.value) * RoomAirValue(state);
    const double base = std::max(a0.value, savedPressureLoss);
    const double S = site->safetyFactor.value;

    StoreMixture(record, x);
    record.airSideValue = airSide;
    record.baseValue = base;
    record.pressureLoss = x.velocity * ((deviceZeta.value + 1) * S * x.density * 0.5 * x.velocity) +
                          a2.value * mL * mL + a1.value * mL + base;
}

AbgasZustand* CNebenLuft::Calculate(AbgasZustand* state, uint16_t mode, int16_t caseIndex, int, int) {
    AbgasZustand in;
    if (state) in = *state;
    outgoing = in;

    if (caseIndex < 0 || pressureCases.empty()) {
        pressureCases.clear();
        temperatureCases.clear();
        caseCount = 0;
        pressureCases.push_back(std::make_unique<CNebWerte>());
        temperatureCases.push_back(std::make_unique<CNebWerte>());
        savedState.reset();
    }
    if (caseIndex > caseCount) {
        while (caseCount < caseIndex) {
            pressureCases.push_back(std::make_unique<CNebWerte>());
            temperatureCases.push_back(std::make_unique<CNebWerte>());
            ++caseCount;
        }
        savedState.reset();
    }
    // Without its site the device cannot act and hands the state on.
    if (!(mode & kModeSecondAirSet) || !site) return &outgoing;

    if (!savedState) {
        savedState = std::make_unique<AbgasZustand>(in);
        savedPressureLoss = in.pressureLoss;
        airMassFlow.value = std::pow(in.areaBelow / 0.24, 1.4285714285714286);
    }
    const AbgasZustand& below = *savedState;
    // Without flue gas there is nothing to mix into (0 / 0 in every mixed value):
    // the device hands the state on, as a section without mass flow does.
    if (below.massFlow == 0) return &outgoing;
    const size_t current = size_t(caseIndex < 0 ? 0 : caseIndex);
    CNebWerte& p = *pressureCases[current];
    CNebWerte& t = *temperatureCases[current];
    CalcAirState(p, below, false);
    CalcAirState(t, below, true);
    std::string text;
    if (below.wetState == 2) text = vx::LoadString(IDS_MIT_KONDENSATION) + ", ";
    text += vx::LoadString(IDS_NL_AKTIV);
    for (CNebWerte* r : {&p, &t}) {
        r->addedMassFlow = airMassFlow.value;
        r->deviceCoefficient = deviceZeta.value;
        r->mode = mode;
        r->text = text;
    }

    outgoing = below;
    outgoing.co2T = t.co2, outgoing.h2oT = t.waterVapour, outgoing.gasConstantT = t.gasConstant;
    outgoing.temperatureT = t.temperature, outgoing.specificHeatT = t.airSpecificHeat;
    outgoing.co2P = p.co2, outgoing.h2oP = p.waterVapour, outgoing.gasConstantP = p.gasConstant;
    outgoing.temperatureP = p.temperature, outgoing.specificHeatP = p.airSpecificHeat;
    outgoing.massFlowAdded = airMassFlow.value;
    outgoing.resistanceSum = 0;
    outgoing.pressureLoss = p.pressureLoss + p.airSideValue;
    outgoing.airSideLoss = p.airSideValue;
    outgoing.draught = 0;
    return &outgoing;
}

void CNebenLuft::RemoveLastCase() { RemoveLastCaseOf(pressureCases, temperatureCases, caseCount); }

void CNebenLuft::RemoveCase(int i) {
    if (i < 0 || i > caseCount || size_t(caseCount) >= pressureCases.size()) return;
    // The newest case takes the place of the removed one.
    pressureCases[size_t(i)] = std::move(pressureCases[size_t(caseCount)]);
    temperatureCases[size_t(i)] = std::move(temperatureCases[size_t(caseCount)]);
    pressureCases.pop_back();
    temperatureCases.pop_back();
    --caseCount;
}

void CNebenLuft::Serialize(vx::Archive& ar) {
    CWerte* const cells[] = {&deviceName, &deviceType, &a0, &a1, &a2, &roomAirTemperature, &relativeHumidity,
                             &airMassFlow, &airWaterVapour, &deviceZeta, &flowExponent};
    for (CWerte* c : cells) c->Serialize(ar);
    ar.Exchange(deviceArea);
    ar.Exchange(runLength);
    int32_t count = caseCount;
    ar.Exchange(count);
    ar.Exchange(savedPressureLoss);
    SerializeStateWord(ar);
    if (ar.IsLoading()) {
        // A count the rest of the file cannot hold is a cut or damaged file.
        if (count < -1 || int64_t(count) + 1 > int64_t(ar.Remaining() / (2 * CNebWerte::kMinStoredBytes)))
            throw vx::ArchiveEndOfFile();
        pressureCases.clear();
        temperatureCases.clear();
        savedState.reset();
        caseCount = count;
        for (int32_t i = 0; i <= count; ++i) {
            pressureCases.push_back(std::make_unique<CNebWerte>());
            temperatureCases.push_back(std::make_unique<CNebWerte>());
        }
    }
    for (size_t i = 0; i < pressureCases.size(); ++i) {
        pressureCases[i]->Serialize(ar);
        temperatureCases[i]->Serialize(ar);
    }
}

int CNebenLuft::DeviceTypeForSection(double A, int resistanceGroup) {
    if (resistanceGroup < 3) {
        if (A <= 0.016) return 0;
        if (A <= 0.022) return 1;
        if (A <= 0.03) return 2;
        if (A <= 0.04) return 3;
        if (A <= 0.05) return 4;
        return 5;
    }
    if (A <= 0.022) return 0;
    if (A <= 0.03) return 1;
    if (A <= 0.04) return 2;
    if (A <= 0.05) return 3;
    return 4;
}

bool CNebenLuft::DeviceTypePreset(int type, double& a1Preset, double& a2Preset) {
    static const double kA1[] = {400.0, 200.0, 140.0, 97.0, 74.0, 48.0};
    static const double kA2[] = {120000.0, 30000.0, 11400.0, 5000.0, 2800.0, 1260.0};
    if (type < 0 || type > 5) return false;
    a1Preset = kA1[type];
    a2Preset = kA2[type];
    return true;
}

void CNebenLuft::LoadDefault(CWerte& value) {
    const Settings& s = ProfileSettings();
    if (&value == &deviceType) {
        deviceType.value = section ? DeviceTypeForSection(section->area.value, section->resistanceGroup.value) : -1;
        deviceType.marker = CWerte::MarkerDerived;
    } else if (&value == &a0) {
        a0.value = s.a0Default;
        a0.marker = CWerte::MarkerDerived;
    } else if (&value == &roomAirTemperature) {
        roomAirTemperature.value = s.tempDefault;
        roomAirTemperature.marker = CWerte::MarkerDerived;
    } else if (&value == &relativeHumidity) {
        relativeHumidity.value = s.humidityDefault;
        relativeHumidity.marker = CWerte::MarkerDerived;
    }
}

int CNebenLuft::OnValueChanged(CWerte& value) {
    const Settings& s = ProfileSettings();
    if (&value == &deviceType) {
        double p1, p2;
        if (DeviceTypePreset(deviceType.value, p1, p2)) {
            a1.value = p1;
            a2.value = p2;
            a1.marker = a2.marker = CWerte::MarkerDerived;
        } else if (deviceType.value == DeviceTypeByHand) {
            a1.marker = a2.marker = CWerte::MarkerPlain;
        }
        return 1;
    }
    const std::pair<CWDouble*, double> defaults[] = {
        {&a0, s.a0Default}, {&roomAirTemperature, s.tempDefault}, {&relativeHumidity, s.humidityDefault}};
    for (const auto& [cell, def] : defaults)
        if (&value == cell) {
            if (cell->value != def) cell->marker = CWerte::MarkerPlain;
            return 1;
        }
    return 0;
}

void CNebenLuft::CheckInto(CWerte& value, std::string& message, std::vector<int>* ids, int& failed) {
    std::string one;
    value.CheckRange(one, ids, &failed);
    message += one;
}

int CNebenLuft::CheckInputs(std::string& message, std::vector<int>* ids) {
    message.clear();
    int failed = 0;
    for (CWerte* c : {static_cast<CWerte*>(&a0), static_cast<CWerte*>(&a1), static_cast<CWerte*>(&a2),
                      static_cast<CWerte*>(&roomAirTemperature), static_cast<CWerte*>(&relativeHumidity),
                      static_cast<CWerte*>(&flowExponent)})
        CheckInto(*c, message, ids, failed);
    return failed;
}

int CNebenLuft::GetValueInfo(int, int index, std::string& number, std::string& a0Text, std::string& a1Text,
                             std::string& a2Text) {
    double p1 = a1.value, p2 = a2.value;
    if (DeviceTypePreset(index, p1, p2)) number = vx::Format("%d", index + 1);
    else if (index == DeviceTypeByHand) number = "--";
    else return 0;
    a0Text = "a0=" + vx::Format("%.1f", a0.value) + " Pa";
    a1Text = "a1=" + vx::Format("%.1f", p1) + " Pa*(s/kg)";
    a2Text = "a2=" + vx::Format("%.1f", p2) + " Pa*(s/kg)²";
    return 1;
}

void CNebenLuft::AppendResults(OutputLines& lines, int& lineCounter) {
    if (caseCount < 0 || size_t(caseCount) >= pressureCases.size()) return;
    const CNebWerte& p = *pressureCases[size_t(caseCount)];
    const CNebWerte& t = *temperatureCases[size_t(caseCount)];
    struct Line {
        int32_t id;
        double pressureCase, temperatureCase;
        const char* unit;
    };
    // A line's caption is the model's text under the line's id.
    const Line table[] = {
        {10039, p.addedMassFlow, t.addedMassFlow, "kg/s"},
        {10040, airWaterVapour.value, airWaterVapour.value, "%"},
        {10041, p.airSpecificHeat, t.airSpecificHeat, "J/(kg*K)"},
        {10042, p.temperature, t.temperature, "°C"},
        {10043, p.waterVapour, t.waterVapour, "%"},
        {10044, p.co2, t.co2, "%"},
        {10045, p.gasConstant, t.gasConstant, "J/(kg*K)"},
        {10046, p.density, t.density, "kg/m³"},
        {10047, p.velocity, t.velocity, "m/s"},
        {10048, p.deviceCoefficient, t.deviceCoefficient, ""},
        {10049, a0.value, a0.value, "Pa"},
        {10050, a1.value, a1.value, "Pa*(s/kg)"},
        {10051, a2.value, a2.value, "Pa*(s/kg)²"},
        {10052, p.baseValue, t.baseValue, "Pa"},
        {10053, p.pressureLoss, t.pressureLoss, "Pa"},
        {10054, p.airSideValue, t.airSideValue, "Pa"},
    };
    for (const Line& l : table) {
        CAusgabeZeile* line = AddOutputLine(lines, ++lineCounter, 0, 0, l.id);
        line->texts[0] = vx::LoadString(unsigned(l.id));
        line->texts[1] = FormatFixed(l.pressureCase, 0, 4);
        line->texts[2] = FormatFixed(l.temperatureCase, 0, 4);
        line->texts[3] = l.unit;
        line->texts[4] = p.text;
    }
}
