#include "model/CVerb.h"

#include "model/CAufBauE.h"
#include "model/ChainHelpers.h"
#include "model/DocValue.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "values/RangeMessages.h"

#include <cmath>

namespace {

const CRohr::SectionLimits& Limits() {
    static const CRohr::SectionLimits limits = CRohr::ReadSectionLimits("VERB", "40.0", "-40.0", "40.0");
    return limits;
}

// The cells that size a section: both sides for shape 2, the diameter for
// shapes 0 and 1.
void CheckSection(int shape, CWerte& sideA, CWerte& sideB, CWerte& diameter, std::string& message,
                  std::vector<int>* ids, int& failed) {
    if (shape == 2) {
        CheckCell(sideA, message, ids, failed);
        CheckCell(sideB, message, ids, failed);
    } else if (shape == 0 || shape == 1) {
        CheckCell(diameter, message, ids, failed);
    }
}

} // namespace

CVerb::CVerb() {
    const SectionLimits& l = Limits();
    connectorFlag = 1;
    ApplySectionLimits(l);
    LoadLengthUnits();
}

void CVerb::LoadDefault(CWerte& value) {
    if (&value == &diameter) diameter.value = diameterDefault;
    else CRohr::LoadDefault(value);
}

void CVerb::OnUnitChanged(CWerte& value) {
    CWDouble* const groups[4][3] = {{&length, &height, nullptr},
                                    {&diameter, &sideA, &sideB},
                                    {&lengthOutside, &lengthUnheated, nullptr},
                                    {&ductDiameter, &ductSideA, &ductSideB}};
    for (auto& g : groups)
        for (CWDouble* c : g)
            if (c == &value) {
                for (CWDouble* o : g)
                    if (o && o->displayUnit != c->displayUnit) {
                        o->displayUnit = c->displayUnit;
                        SaveUnitChoice(*o);
                    }
                SaveUnitChoice(*c);
                return;
            }
}

int CVerb::OnValueChanged(CWerte& value) {
    if (&value != &length) return CRohr::OnValueChanged(value);
    length.marker = 0;
    const double l = length.value;
    height.maximum = l;
    lengthOutside.maximum = l;
    lengthUnheated.maximum = l;
    furtherLength.maximum = l;
    if (!zoneLengthsGiven) {
        lengthUnheated.value = l * shareUnheated.value / 100;
        lengthOutside.maximum = l - lengthUnheated.value;
        lengthOutside.value = l * shareOutside.value / 100;
        lengthUnheated.maximum = l - lengthOutside.value;
    }
    return 1;
}

int CVerb::CheckInputs(std::string& message, std::vector<int>* ids) {
    int failed = 0;
    const int s = shape.value == 4 ? 0 : shape.value;
    if (GetSectionKind(arrangement) != 0) {
        // The duct is built around the pipe in the pipe's shape.
        CheckSection(s, ductSideA, ductSideB, ductDiameter, message, ids, failed);
        CheckCell(ductValue1, message, ids, failed);
        CheckCell(ductRoughness, message, ids, failed);
    }
    CheckCell(length, message, ids, failed);
    height.maximum = length.value;
    CheckCell(height, message, ids, failed);
    CheckSection(s, sideA, sideB, diameter, message, ids, failed);
    CheckCell(wallResistance, message, ids, failed);
    CheckCell(wallThickness, message, ids, failed);
    if (zoneLengthsGiven) {
        CheckCell(lengthUnheated, message, ids, failed);
        CheckCell(lengthOutside, message, ids, failed);
    } else {
        CheckCell(shareUnheated, message, ids, failed);
        CheckCell(shareOutside, message, ids, failed);
    }
    CheckCell(roughness, message, ids, failed);
    if (arrangement && arrangement->Regime() == CAufBauE::Positive) CheckCell(addedLength, message, ids, failed);
    CheckCell(furtherValue, message, ids, failed);
    return failed ? 1 : 0;
}

void CVerb::ApplyGeometryDefaultsOfKind() {
    const double a = area.value;
    ductMode.value = 0;
    ductOuterArea.value = 2.5 * a;
    ductDiameter.value = 4 * std::sqrt(2.5 * a) / 3.141592654;
    ductOuterPerimeter.value = ductDiameter.value * 3.141592654;
    ductRoughness.value = 0.001;
    furtherValue.value = 0.001;
}

std::string CVerb::BuildFilter(bool withDuct, long m, long m2) {
    const int kind = GetSectionKind(arrangement);
    const int regime = arrangement ? arrangement->Regime() : 0;
    std::string f;
    if (withDuct) {
        f = kind == 2 ? "HERSTELLER=%ld .and. VERB=.T. .and. (SCHACHT=.T. .or. LAS_HL=.T.)"
                      : "HERSTELLER=%ld .and. VERB=.T. .and. SCHACHT=.T.";
    } else if (regime == 0) {
        f = "HERSTELLER=%ld .and. VERB=.T.";
    } else if (regime == 1) {
        f = "HERSTELLER=%ld .and. VERB=.T. .and. (FU=.T. .or. PUE=.T.)";
    } else {
        f = kind == 2 ? "HERSTELLER=%ld .and. VERB=.T. .and. PUE=.T. .and. LAS_HL=.F."
                      : "HERSTELLER=%ld .and. VERB=.T. .and. PUE=.T.";
    }
    if (m2 == -1) return vx::Format(f.c_str(), m);
    const std::string rest = f.substr(f.find(' ') + 1);
    return vx::Format("(HERSTELLER=%ld .or. HERSTELLER=%ld) %s", m, m2, rest.c_str());
}

void CVerb::WriteRecord(std::string& out, int what) {
    (void)what;
    bool condensed = false;
    for (const auto& r : temperatureCases)
        if (r->innerWallOutlet.value - r->dewPoint.value < 0) condensed = true;
    out += vx::Format("<VERBSTUECK BELEGUNG=%d POS=%d SYSTEM=%d GESTRECKT=%.2f WIRKSAM=%.2f QFORM=\"%s\" DURCHM=%.3f "
                      "DURCHM2=%.3f ISOLIERUNG=\"%s\" PWU=\"%s\" WA=%f KOND=\"%s\">",
                      ordinal ? int(ordinal) : 1, connectorFlag ? int(connectorFlag) : 1,
                      selectedType[0] < 0 ? -1 : int(selectedType[0]), length.value + addedLength.value, height.value,
                      ShapeKeyword(shape.value).c_str(), shape.value == 0 ? diameter.value : sideA.value, sideB.value,
                      wallResistance.value > 0 ? "JA" : "NEIN", GetDocValue(19, 0) > 0 ? "JA" : "NEIN",
                      GetSectionKind(arrangement) == 0 ? wallThickness.value : shellThickness1.value,
                      condensed ? "JA" : "NEIN");
    WriteResistances(out);
    if (next && next->IsKindOf("CWaerme")) next->WriteResistances(out);
    out += "</VERBSTUECK>";
    if (next) next->WriteRecord(out, 1);
    if (branch) branch->WriteRecord(out, 1);
}
