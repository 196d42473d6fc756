#include "model/CGrunddaten.h"

#include "model/ModelText.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "values/CMEinheitListe.h"

#include <cmath>

namespace {

// Read once per process from section "Grunddaten".
struct SiteProfile {
    bool loaded = false;
    double geoMin, geoMax, seMin, seMax, shMin, shMax, vlaMin, vlaMax;
    double tempMin[7], tempMax[7];
    double reynolds, geoHeight;
    double design[6][7];  // column, then T_L, second set, T_uo, T_uf, T_uk, T_uw, T_ud
};

SiteProfile g_Site;

void LoadSiteProfile() {
    if (g_Site.loaded) return;
    // One look at the profile file for all keys.
    const vx::IniFile profile = vx::Profile().Snapshot();
    auto Read = [&profile](const char* key, const char* def) {
        return vx::ParseDouble(profile.GetString("Grunddaten", key, def));
    };
    SiteProfile& s = g_Site;
    s.geoMin = Read("GeoH_min", "0");
    s.geoMax = Read("GeoH_max", "5000");
    s.seMin = Read("Se_min", "1.0");
    s.seMax = Read("Se_max", "1.5");
    s.shMin = Read("Sh_min", "0.5");
    s.shMax = Read("Sh_max", "1.0");
    s.vlaMin = Read("Vla_min", "0.5");
    s.vlaMax = Read("Vla_max", "1.0");
    static const char* const kLimitKeys[7] = {"m_dTl", "Tl_neb", "Tuo", "Tuf", "Tuk", "Tuw", "Tud"};
    for (int i = 0; i < 7; ++i) {
        s.tempMin[i] = Read(vx::Format("%s_min", kLimitKeys[i]).c_str(), "-30.0");
        s.tempMax[i] = Read(vx::Format("%s_max", kLimitKeys[i]).c_str(), "30.0");
    }
    s.reynolds = Read("ReynoldsZahl", "2300.0");
    s.geoHeight = Read("GeoHoehe", "325");

    static const char* const kDefaults[7][6] = {
        {"15.0", "15", "15", "15", "15", "15"},
        {"0", "-15", "-15", "-15", "-15", "-15"},
        {"0", "-15", "-15", "-15", "-15", "-15"},
        {"0", "-15", "-15", "-15", "-15", "-15"},
        {"0", "0", "0", "0", "-15", "0"},
        {"20", "20", "20", "20", "0", "20"},
        {"15", "15", "15", "15", "15", "15"},
    };
    for (int c = 0; c < 6; ++c) {
        const std::string keys[7] = {vx::Format("Tl%d", c),  vx::Format("Tl_neb%d%d", c, c), vx::Format("Tuo%d", c),
                                     vx::Format("Tuf%d", c), vx::Format("Tuk%d", c),          vx::Format("Tuw%d", c),
                                     vx::Format("Tud%d", c)};
        for (int i = 0; i < 7; ++i) s.design[c][i] = Read(keys[i].c_str(), kDefaults[i][c]);
    }
    s.loaded = true;
}

} // namespace

CGrunddaten::CGrunddaten() {
    LoadSiteProfile();
    const SiteProfile& s = g_Site;
    geoHeightDefault = s.geoHeight;
    for (int i = 0; i < 7; ++i) designDefaults[i] = s.design[0][i];

    const uint16_t msg = IDS_WERTEBEREICH;
    airPressure.Init(IdAirPressure, 0, 0, 0, 4, kUnitPascal, kUnitPascal, 0, 3, 0, 0, 0, false);
    safetyFactor.Init(IdSafetyFactor, 0, 0, 0, 8, 0, 0, 0, 2, msg, s.seMin, s.seMax, false);
    heatTransferFactor.Init(IdHeatTransferFactor, 0, 0, 0, 8, 0, 0, 0, 2, msg, s.shMin, s.shMax, false);
    gasConstantAir.Init(IdGasConstantAir, 0, 0, 0, 8, 0, 0, 0, 2, 0, 0, 0, false);
    airRatio.Init(IdAirRatio, 0, 0, 0, 8, 0, 0, 0, 2, msg, s.vlaMin, s.vlaMax, false);
    geoHeight.Init(IdGeoHeight, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 2, msg, s.geoMin, s.geoMax, false);
    airDensity.Init(IdAirDensity, 0, 0, 0, 4, kUnitKilogramPerCubicMetre, kUnitKilogramPerCubicMetre, 0, 3, 0, 0, 0,
                    false);
    airDensity2.Init(IdAirDensity2, 0, 0, 0, 4, kUnitKilogramPerCubicMetre, kUnitKilogramPerCubicMetre, 0, 3, 0, 0, 0,
                     false);
    minReynolds.Init(IdMinReynolds, 0, 0, 0, 8, 0, 0, 0, 2, 0, 0, 0, false);
    const uint16_t tempIds[7] = {IdAirTemperature,   IdAirTemperature2,     IdSurroundingOutlet, IdSurroundingOutside,
                                 IdSurroundingUnheated, IdSurroundingHeated, IdSurroundingOther};
    for (int i = 0; i < 7; ++i) {
        DesignCell(i)->Init(tempIds[i], 0, 0, 0, 4, kUnitCelsius, kUnitCelsius, 0, 2, msg, s.tempMin[i], s.tempMax[i],
                            false);
        DesignCell(i)->value = designDefaults[i];
    }
    safetyFactor.value = safetyDefault;
    heatTransferFactor.value = heatTransferDefault;
    gasConstantAir.value = 288.0;
    airRatio.value = airRatioDefault;
    geoHeight.value = geoHeightDefault;
    minReynolds.value = s.reynolds;
}

CGrunddaten::CGrunddaten(const CGrunddaten& other) : CVxtBase(other) { *this = other; }

CGrunddaten& CGrunddaten::operator=(const CGrunddaten& other) {
    if (this == &other) return *this;
    std::vector<CWDouble*> mine = Cells();
    std::vector<CWDouble*> theirs = const_cast<CGrunddaten&>(other).Cells();
    for (size_t i = 0; i < mine.size(); ++i) *mine[i] = *theirs[i];
    geoHeightDefault = other.geoHeightDefault;
    safetyDefault = other.safetyDefault;
    heatTransferDefault = other.heatTransferDefault;
    airRatioDefault = other.airRatioDefault;
    for (int i = 0; i < 7; ++i) designDefaults[i] = other.designDefaults[i];
    stateWord = other.stateWord;
    return *this;
}

std::vector<CWDouble*> CGrunddaten::Cells() {
    return {&airPressure,          &airTemperature,      &airTemperature2,    &surroundingOutlet, &safetyFactor,
            &heatTransferFactor,   &gasConstantAir,      &airRatio,           &geoHeight,         &surroundingOutside,
            &surroundingUnheated,  &surroundingHeated,   &surroundingOther,   &airDensity,        &airDensity2,
            &minReynolds};
}

CWDouble* CGrunddaten::DesignCell(int i) {
    CWDouble* cells[7] = {&airTemperature,     &airTemperature2,   &surroundingOutlet, &surroundingOutside,
                          &surroundingUnheated, &surroundingHeated, &surroundingOther};
    return cells[i];
}

void CGrunddaten::CalcAirPressure() {
    const double z = geoHeight.value;
    const double rl = gasConstantAir.value;
    const double tl = airTemperature.value + 273.15;
    if (ActiveModelProgram() == ModelProgram::Tarsilo)
        airPressure.value = 101320 * std::exp(-9.81 * z / (rl * tl)) - 4300;
    else
        airPressure.value = 97000 * std::exp(-9.81 * z / (rl * tl));
    airDensity.value = airPressure.value / rl / tl;
    airDensity2.value = airPressure.value / rl / (airTemperature2.value + 273.15);
}

int CGrunddaten::SelectDesignTemperatures(int regime, int kind) {
    int column;
    if (regime == 0) column = kind == 1 ? 1 : 0;
    else if (regime == 1) column = 2;
    else if (regime == 2 && kind == 0) column = 3;
    else if (regime == 2 && (kind == 1 || kind == 4)) column = 4;
    else if (regime == 2 && (kind == 2 || kind == 3 || kind == 5)) column = 5;
    else column = regime == 3 ? 1 : 0;
    for (int i = 0; i < 7; ++i) {
        designDefaults[i] = g_Site.design[column][i];
        if (DesignCell(i)->marker) DesignCell(i)->value = designDefaults[i];
    }
    return column;
}

void CGrunddaten::ReloadProfile() {
    g_Site.loaded = false;
    CGrunddaten fresh;
}

void CGrunddaten::Serialize(vx::Archive& ar) {
    std::vector<CWDouble*> cells = Cells();
    cells.pop_back();  // the Reynolds number stays with the profile
    for (CWDouble* c : cells) c->Serialize(ar);
    SerializeStateWord(ar);
}

CWDouble* CGrunddaten::DefaultCell(const CWerte& value, double*& def) {
    def = nullptr;
    if (&value == &geoHeight) def = &geoHeightDefault;
    else if (&value == &safetyFactor) def = &safetyDefault;
    else if (&value == &heatTransferFactor) def = &heatTransferDefault;
    else if (&value == &airRatio) def = &airRatioDefault;
    for (int i = 0; i < 7; ++i)
        if (&value == DesignCell(i)) def = &designDefaults[i];
    return def ? static_cast<CWDouble*>(const_cast<CWerte*>(&value)) : nullptr;
}

void CGrunddaten::LoadDefault(CWerte& value) {
    double* def;
    if (CWDouble* cell = DefaultCell(value, def)) {
        cell->value = *def;
        cell->marker = CWerte::MarkerDerived;
    }
}

void CGrunddaten::SaveDefaults() {
    vx::Profile().WriteString("Grunddaten", "GeoHoehe", vx::Format("%f", geoHeight.value));
}

int CGrunddaten::OnValueChanged(CWerte& value) {
    for (CWDouble* c : Cells())
        if (c == &value) {
            c->marker = CWerte::MarkerPlain;
            return 1;
        }
    return 0;
}

int CGrunddaten::CheckInputs(std::string& message, std::vector<int>* ids) {
    message.clear();
    int failed = 0;
    CWDouble* order[] = {&geoHeight,        &safetyFactor,       &heatTransferFactor, &airRatio,
                         &airTemperature,   &airTemperature2,    &surroundingOutlet,  &surroundingOutside,
                         &surroundingUnheated, &surroundingHeated, &surroundingOther};
    for (CWDouble* c : order) {
        std::string one;
        c->CheckRange(one, ids, &failed);
        message += one;
    }
    return failed;
}
