#include "model/CSchorn.h"

#include "model/CAufBauE.h"
#include "model/ChainHelpers.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "values/RangeMessages.h"
#include "values/RecordText.h"

#include <algorithm>
#include <cmath>

namespace {

const CRohr::SectionLimits& Limits() {
    static const CRohr::SectionLimits limits = CRohr::ReadSectionLimits("Schorn", "200.0", "0.0", "200.0");
    return limits;
}

} // namespace

CSchorn::CSchorn() {
    const SectionLimits& l = Limits();
    ApplySectionLimits(l);
    LoadLengthUnits();
}

void CSchorn::CollectBranchValue(double& x, int& n, int what) {
    if (!next || !next->IsKindOf("CAbzweige")) return;
    next->CollectBranchValue(x, n, what);
    if (what >= 0 && size_t(what) < pressureCases.size()) pressureCases[size_t(what)]->junctionCollected = x;
}

void CSchorn::WriteRecord(std::string& out, int what) {
    (void)what;
    const bool shaft = ductMode.value == 1;
    out += vx::Format("<ABSCHNITT POS=%d KASKADE=%d SYSTEM=%d SYSTEM_S=%d HGES=%.2f GESTRECKT=%.2f WIRKSAM=%.2f "
                      "LUES=%.2f QFORM=\"%s\" DURCHM=%.3f DURCHM2=%.3f ISOLIERUNG=\"%s\" WI=%.3f WA=%f W1=%.3f "
                      "W2=%.3f>",
                      int(ordinal), int(connectorFlag), int(selectedType[0]), int(selectedType[1]), furtherLength.value,
                      length.value + addedLength.value,
                      std::max(length.value + addedLength.value, furtherLength.value), lengthOutside.value,
                      ShapeKeyword(shape.value).c_str(), shaft ? ductSideA.value : diameter.value, sideB.value,
                      QuoteForRecord(text.text).c_str(),
                      GetSectionKind(arrangement) ? shellThickness1.value : wallThickness.value, outerDiameter.value,
                      shellThickness1.value, shellThickness2.value);
    WriteResistances(out);
    if (next) next->WriteRecord(out, 1);
    if (branch) branch->WriteRecord(out, 1);
    out += "</ABSCHNITT>";
}

AbgasZustand* CSchorn::CalculateChain(AbgasZustand* state, int v) {
    AbgasZustand* r = CModul::CalculateChain(state, v);
    if (r && caseCount >= 0 && size_t(currentCase) < temperatureCases.size()) {
        CRechnen& rec = r->caseSelect ? *temperatureCases[size_t(currentCase)] : *pressureCases[size_t(currentCase)];
        rec.pressureLoss = r->pressureLoss;
        rec.draught = r->draught;
        rec.airSideLoss = r->airSideLoss;
    }
    return r;
}

std::string CSchorn::GetClassText(int which) { return ClassText(which ? secondGroup.value : resistanceGroup.value); }

std::string CSchorn::BuildFilter(bool withShaft, long m, long m2) {
    const int kind = GetSectionKind(arrangement);
    const int regime = arrangement ? arrangement->Regime() : 0;
    std::string f;
    if (withShaft) {
        f = kind == 2 ? "HERSTELLER=%ld .and. (SCHACHT=.T. .or. LAS_HL=.T.)" : "HERSTELLER=%ld .and. SCHACHT=.T.";
    } else if (attachmentFlag) {
        static const char* const k[] = {"HERSTELLER=%ld .and. AUFSATZ=.T.",
                                        "HERSTELLER=%ld .and. (FU=.T. .or. PUE=.T.) .and. AUFSATZ=.T.",
                                        "HERSTELLER=%ld .and. PUE=.T. .and. AUFSATZ=.T."};
        f = k[std::clamp(regime, 0, 2)];
    } else if (kind == 0) {
        static const char* const k[] = {"HERSTELLER=%ld .and. SCHORN=.T.",
                                        "HERSTELLER=%ld .and. SCHORN=.T. .and. (FU=.T. .or. PUE=.T.)",
                                        "HERSTELLER=%ld .and. SCHORN=.T. .and. PUE=.T."};
        f = k[std::clamp(regime, 0, 2)];
    } else if (regime == 2) {
        f = kind == 2 ? "HERSTELLER=%ld .and. EROHR=.T. .and. PUE=.T. .and. LAS_HL=.F."
                      : "HERSTELLER=%ld .and. EROHR=.T. .and. PUE=.T.";
    } else {
        f = regime == 1 ? "HERSTELLER=%ld .and. EROHR=.T. .and. (FU=.T. .or. PUE=.T.)" : "HERSTELLER=%ld .and. EROHR=.T.";
    }
    if (m2 == -1) return vx::Format(f.c_str(), m);
    const std::string rest = f.substr(f.find(' ') + 1);
    return vx::Format("(HERSTELLER=%ld .or. HERSTELLER=%ld) %s", m, m2, rest.c_str());
}

void CSchorn::ApplyGeometryDefaultsOfKind() {
    ductMode.value = 1;
    ductOuterArea.value = 2.5 * area.value;
    const double side = std::sqrt(2.5 * area.value);
    ductSideA.value = side;
    ductSideB.value = side;
    ductOuterPerimeter.value = 4 * side;
    ductValue1.value = 0.003;
    ductValue2.value = 0.001;
}

int CSchorn::CheckInputs(std::string& message, std::vector<int>* ids) {
    int failed = CRohr::CheckInputs(message, ids);
    if (GetSectionKind(arrangement)) {
        CheckCell(ductSideA, message, ids, failed);
        int fit = 0;
        const std::string text = FitCheck(fit, nullptr);
        if (fit) {
            failed = 1;
            AppendMessage(message, text);
        }
    }
    return failed ? 1 : 0;
}
