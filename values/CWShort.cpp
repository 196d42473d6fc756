#include "values/CWShort.h"

#include "platform/Archive.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "values/CMEinheitListe.h"

#include <cmath>
#include <limits>

CWShort& CWShort::operator=(const CWShort& other) {
    CWerte::operator=(other);
    value = other.value;
    return *this;
}

void CWShort::Serialize(vx::Archive& ar) {
    if (ar.IsStoring()) ar << value;
    else ar >> value;
    SerializeCommon(ar);
}

void CWShort::GetText(std::string& out, bool) { out = vx::Format("%d", value); }

void CWShort::SetText(const std::string& text) {
    SaveUndoBeforeEdit();
    double x = std::trunc(vx::ParseDouble(text));
    // A number beyond the integer range is held at its end, never wrapped.
    if (std::isnan(x)) x = 0;
    if (x < std::numeric_limits<int32_t>::min()) x = std::numeric_limits<int32_t>::min();
    if (x > std::numeric_limits<int32_t>::max()) x = std::numeric_limits<int32_t>::max();
    value = int32_t(x);
}

void CWShort::CheckRange(std::string& message, std::vector<int>* ids, int* failed) {
    message.clear();
    if ((minimum == maximum && !checkWhenEqual) || marker == MarkerResult) return;
    if (!(value < std::trunc(minimum) || value > std::trunc(maximum))) return;
    if (rangeMessageId == 0) return;
    message = vx::Format(vx::LoadString(rangeMessageId), minimum, maximum);
    message += ' ';
    message += UnitList().GetUnitText(displayUnit);
    if (ids) {
        ids->push_back(valueId);
        message += "\r\n";
    }
    if (failed) *failed = 1;
}
