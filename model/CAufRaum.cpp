#include "model/CAufRaum.h"

#include "model/ModelText.h"
#include "platform/Archive.h"
#include "values/CMEinheitListe.h"
#include "values/RangeMessages.h"

CAufRaum::CAufRaum() {
    airSupplyPressure.Init(1, 0, 0, 0, 8, kUnitPascal, kUnitPascal, 0, 0, IDS_WERTEBEREICH, 0, 100, false);
    roomMode.Init(2, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, false);
}

CAufRaum& CAufRaum::operator=(const CAufRaum& other) {
    if (this == &other) return *this;
    airSupplyMode = other.airSupplyMode;
    airSupplyPressure = other.airSupplyPressure;
    roomMode = other.roomMode;
    duct = other.duct;
    return *this;
}

double CAufRaum::GetAirValue(const AbgasZustand* state, CAufBauE* arrangement, int caseIndex) {
    if (roomMode.value != RoomModeDuct) return airSupplyPressure.value;
    duct.SetArrangement(arrangement);
    airSupplyPressure.value = duct.Calculate(state, caseIndex);
    return airSupplyPressure.value;
}

void CAufRaum::Serialize(vx::Archive& ar) {
    airSupplyPressure.Serialize(ar);
    roomMode.Serialize(ar);
    if (ar.IsStoring()) ar << airSupplyMode;
    else ar >> airSupplyMode;
}

int CAufRaum::CheckInputs(std::string& message, std::vector<int>* ids) {
    int failed = 0;
    std::string m;
    airSupplyPressure.CheckRange(m, ids, &failed);
    message += m;
    if (roomMode.value == RoomModeDuct) {
        std::string d;
        if (duct.CheckInputs(d, ids)) failed = 1;
        AppendMessage(message, d);
    }
    return failed ? 1 : 0;
}
