#include "model/CAufBauE.h"

#include "model/ModelText.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "values/ArchiveFormat.h"

namespace {

// Settings with a profile key, in the order they are saved.
struct KeyedSetting {
    int number;
    const char* key;
};
constexpr KeyedSetting kKeyed[] = {{1, "Anordnung"},  {3, "AbsSchorn"}, {4, "Sanierung"},
                                   {7, "Hosenstueck"}, {10, "AbsVerb"},  {11, "AnzWrz"},
                                   {13, "Zuluft"},     {14, "Nebenluft"}, {15, "Nebenluft-Ort"}};

} // namespace

CAufBauE::CAufBauE() {
    stateWord = 1;
    for (int n = 1; n <= 17; ++n) Setting(n)->Init(uint16_t(n), 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, false);
    setting8.value = -1;
    setting9.value = -1;
    for (int i = 0; i < 5; ++i)
        generatorsPerPosition[i].Init(uint16_t(100 + i), 0, 0, 0, 8, 0, 0, 0, 0, IDS_WERTEBEREICH, 0, 10, false);
}

CWShort* CAufBauE::Setting(int n) {
    CWShort* const cells[] = {&regime,     &kind,           &chimneyShutOff, &renovation,      &setting5, &setting6,
                              &breechesPiece, &setting8,    &setting9,       &connectorShutOff, &generatorCount,
                              &ductSetting, &airSupply,     &secondaryAir,   &secondaryAirPlace, &setting16,
                              &positionCount};
    return cells[n - 1];
}

CAufBauE& CAufBauE::operator=(const CAufBauE& other) {
    if (this == &other) return *this;
    for (int n = 1; n <= 17; ++n) *Setting(n) = *const_cast<CAufBauE&>(other).Setting(n);
    for (int i = 0; i < 5; ++i) {
        generatorsPerPosition[i] = other.generatorsPerPosition[i];
        generatorsPerPosition2[i] = other.generatorsPerPosition2[i];
        lastTable[i] = other.lastTable[i];
        for (int j = 0; j < 50; ++j) positionTables[i][j] = other.positionTables[i][j];
    }
    site = other.site;
    stateWord = other.stateWord;
    return *this;
}

void CAufBauE::Serialize(vx::Archive& ar) {
    const int v = ArchiveFormat(ar);
    regime.Serialize(ar);
    regime.Serialize(ar);
    kind.Serialize(ar);
    chimneyShutOff.Serialize(ar);
    renovation.Serialize(ar);
    if (v > 8) setting5.Serialize(ar);
    breechesPiece.Serialize(ar);
    connectorShutOff.Serialize(ar);
    if (v > 15) setting8.Serialize(ar);
    if (v > 28) setting9.Serialize(ar);
    generatorCount.Serialize(ar);
    ductSetting.Serialize(ar);
    airSupply.Serialize(ar);
    secondaryAir.Serialize(ar);
    secondaryAirPlace.Serialize(ar);
    site.Serialize(ar);
    SerializeStateWord(ar);
    if (v > 3) {
        positionCount.Serialize(ar);
        for (CWShort& c : generatorsPerPosition) c.Serialize(ar);
    }
    const int entries = v > 12 ? 9 : 5;
    if (v > 6 && positionCount.value != 0) {
        for (int p = 0; p < 5; ++p)
            for (int e = 0; e < entries; ++e)
                for (int t : {0, 2, 3, 4}) positionTables[t][p * 10 + e].Serialize(ar);
    }
    if (v >= 15) {
        for (int p = 0; p < 5; ++p) {
            positionTables[2][p * 10 + entries].Serialize(ar);
            generatorsPerPosition2[p].Serialize(ar);
            for (int e = 0; e < entries; ++e) positionTables[1][p * 10 + e].Serialize(ar);
        }
    }
    if (v > 23) {
        setting6.Serialize(ar);
        for (CWShort& c : lastTable) c.Serialize(ar);
    }
    if (v >= 30) setting16.Serialize(ar);
}

void CAufBauE::ApplyRegime() {
    site.safetyDefault = regime.value == Positive ? 1.2 : 1.5;
    site.heatTransferDefault = 0.5;
    site.airRatioDefault = 0.9;
    if (site.safetyFactor.marker) site.safetyFactor.value = site.safetyDefault;
    if (site.heatTransferFactor.marker) site.heatTransferFactor.value = site.heatTransferDefault;
    if (site.airRatio.marker) site.airRatio.value = site.airRatioDefault;
    site.SelectDesignTemperatures(regime.value, kind.value);
}

void CAufBauE::LoadDefault(CWerte& value) {
    for (const KeyedSetting& k : kKeyed)
        if (&value == Setting(k.number))
            Setting(k.number)->value = int32_t(vx::ParseLong(vx::Profile().GetString("INIT-EINFACH", k.key, "0")));
}

void CAufBauE::SaveDefaults() {
    for (const KeyedSetting& k : kKeyed)
        vx::Profile().WriteString("INIT-EINFACH", k.key, vx::Format("%d", int(Setting(k.number)->value)));
}

int CAufBauE::CheckInputs(std::string& message, std::vector<int>* ids) {
    // An empty position among the first four takes the one after it.
    for (int i = 0; i < 4; ++i)
        if (generatorsPerPosition[i].value == 0 && generatorsPerPosition[i + 1].value != 0) {
            generatorsPerPosition[i].value = generatorsPerPosition[i + 1].value;
            generatorsPerPosition[i + 1].value = 0;
        }
    int failed = 0;
    for (CWShort& c : generatorsPerPosition) {
        std::string m;
        c.CheckRange(m, ids, &failed);
        if (!m.empty()) message += m + "\r\n";
    }
    return failed ? 1 : 0;
}
