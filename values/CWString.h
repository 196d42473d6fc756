// A text value cell.
#pragma once

#include "values/CWerte.h"

class CWString : public CWerte {
public:
    CWString() = default;
    CWString(const CWString&) = default;
    CWString& operator=(const CWString& other);

    void Serialize(vx::Archive& ar) override;
    void GetText(std::string& out, bool internalUnit) override;
    void SetText(const std::string& text) override;
    void CheckRange(std::string& message, std::vector<int>* ids, int* failed) override;

    std::string text;
};
