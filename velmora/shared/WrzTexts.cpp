#include "velmora/shared/WrzTexts.h"

#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "velmora/shared/SharedText.h"

namespace {

std::string CellText(double value, int decimals) {
    std::string text = vx::Format("%.*f", decimals, value);
    const size_t point = text.find('.');
    if (point != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
        else text[point] = ',';
    }
    return text;
}

} // namespace

std::string TypeOutputText(const WrzEntry& entry) {
    // One decimal kept, with the comma of every number the program shows.
    auto output = [](double kw) {
        std::string text = vx::Format("%.1f", kw);
        if (size_t point = text.find('.'); point != std::string::npos) text[point] = ',';
        return text;
    };
    if (entry.partLoadAvailable) return output(entry.outputPart) + " - " + output(entry.output) + " kW";
    return output(entry.output) + " kW";
}

WrzInfoTexts MakeWrzInfoTexts(const WrzEntry& e) {
    WrzInfoTexts t;
    // A condensing heat generator pushes its gas out: its draught is a positive pressure.
    const bool condensing = e.condensing != 0;
    t.draughtLabel = vx::LoadString(condensing ? IDS_FOERDERDRUCK_PA : IDS_ZUGBEDARF_PA);
    t.full[WrzInfoTexts::Output] = CellText(e.output, 1);
    t.full[WrzInfoTexts::Efficiency] = CellText(e.efficiency, 1);
    t.full[WrzInfoTexts::Co2] = CellText(e.co2, 1);
    t.full[WrzInfoTexts::MassFlow] = CellText(e.flueMassFlow * 1000.0, 2);
    t.full[WrzInfoTexts::GasTemperature] = CellText(e.gasTemperature, 1);
    t.full[WrzInfoTexts::Draught] = CellText(condensing ? e.positivePressure : e.requiredDraught, 1);
    if (e.partLoadAvailable) {
        t.part[WrzInfoTexts::Output] = CellText(e.outputPart, 1);
        t.part[WrzInfoTexts::Efficiency] = CellText(e.efficiencyPart, 1);
        t.part[WrzInfoTexts::Co2] = CellText(e.co2Part, 1);
        t.part[WrzInfoTexts::MassFlow] = CellText(e.flueMassFlowPart * 1000.0, 2);
        t.part[WrzInfoTexts::GasTemperature] = CellText(e.gasTemperaturePart, 1);
        t.part[WrzInfoTexts::Draught] =
            CellText(condensing ? e.positivePressurePart : e.requiredDraughtPart, 1);
    }
    t.outletSize = CellText(e.outletDiameter * 100.0, 1);
    t.openOperation = e.HasOpenOperation();
    return t;
}
