#include "velmora/shared/CWrzKatalogWaerme.h"

#include "model/CWaerme.h"

namespace {

void Given(CWDouble& cell, double value) {
    cell.value = value;
    cell.marker = CWerte::MarkerPlain;
}

} // namespace

void StoreInHeatGenerator(const WrzEntry& e, CWaerme& w) {
    w.manufacturerName.text = e.manufacturerName;
    w.typeDesignation.text = e.typeDesignation;
    w.fuel.value = int16_t(e.fuel);
    w.fuel.marker = CWerte::MarkerPlain;
    w.condensing = e.condensing;
    // A condensing generator's draught is the catalogue's, never derived.
    w.draughtFixed = e.condensing != 0 ? 1 : w.draughtFixed;
    Given(w.output, e.output);
    Given(w.heatInput, e.heatInput);
    Given(w.efficiency, e.efficiency);
    Given(w.co2, e.co2);
    Given(w.flueMassFlow, e.flueMassFlow);
    Given(w.gasTemperature, e.gasTemperature);
    Given(w.requiredDraught, e.requiredDraught);
    Given(w.positivePressure, e.positivePressure);
    Given(w.outletDiameter, e.outletDiameter);
    w.partLoadAvailable.value = int16_t(e.partLoadAvailable != 0 ? 1 : 0);
    if (e.partLoadAvailable) {
        Given(w.outputPart, e.outputPart);
        Given(w.heatInputPart, e.heatInputPart);
        Given(w.efficiencyPart, e.efficiencyPart);
        Given(w.co2Part, e.co2Part);
        Given(w.flueMassFlowPart, e.flueMassFlowPart);
        Given(w.gasTemperaturePart, e.gasTemperaturePart);
        Given(w.requiredDraughtPart, e.requiredDraughtPart);
        Given(w.positivePressurePart, e.positivePressurePart);
    }
    w.openOperation = e.openOperation;
}

int LoadHeatGenerator(CWrzKatalog& katalog, CWaerme& heatGenerator, int64_t& offset, std::string_view expectedName,
                      CWrzKatalog::OpenOperation open) {
    heatGenerator = CWaerme();
    WrzEntry entry;
    const int rc = katalog.LoadEntry(entry, offset, expectedName, open);
    // Another manufacturer's line still fills the generator: the caller keeps what was read.
    if (rc == CWrzKatalog::kLoaded || (rc == CWrzKatalog::kNotLoaded && !entry.manufacturerName.empty()))
        StoreInHeatGenerator(entry, heatGenerator);
    return rc;
}
