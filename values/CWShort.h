// An integer value cell; its units are names only and never converted.
#pragma once

#include "values/CWerte.h"

class CWShort : public CWerte {
public:
    CWShort() = default;
    CWShort(const CWShort&) = default;
    CWShort& operator=(const CWShort& other);

    void Serialize(vx::Archive& ar) override;
    void GetText(std::string& out, bool internalUnit) override;
    void SetText(const std::string& text) override;
    void CheckRange(std::string& message, std::vector<int>* ids, int* failed) override;

    int32_t value = 0;
};
