#include "values/CVxtBase.h"

#include "platform/Archive.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "values/CWerte.h"

void CVxtBase::SaveUnitChoice(const CWerte& value) {
    vx::Profile().WriteString(GetName(), vx::Format("0x%04X", value.valueId),
                              vx::Format("%d # 0x%04X", value.displayUnit, value.displayUnit));
}

uint16_t CVxtBase::LoadUnitChoice(uint16_t valueId, const std::string& defaultText) {
    // What follows "#" is a comment for the reader of the file.
    std::string text = vx::Profile().GetString(GetName(), vx::Format("0x%04X", valueId), defaultText);
    return uint16_t(vx::ParseLong(text));
}

void CVxtBase::SerializeStateWord(vx::Archive& ar) {
    if (ar.IsStoring()) ar << stateWord;
    else ar >> stateWord;
}
