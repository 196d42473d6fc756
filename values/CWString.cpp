#include "values/CWString.h"

#include "platform/Archive.h"

CWString& CWString::operator=(const CWString& other) {
    CWerte::operator=(other);
    text = other.text;
    return *this;
}

void CWString::Serialize(vx::Archive& ar) {
    if (ar.IsStoring()) ar << text;
    else ar >> text;
    SerializeCommon(ar);
}

void CWString::GetText(std::string& out, bool) { out = text; }

void CWString::SetText(const std::string& typed) {
    SaveUndoBeforeEdit();
    text = typed;
}

void CWString::CheckRange(std::string& message, std::vector<int>*, int*) { message.clear(); }
