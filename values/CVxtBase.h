// The interface of every object with persistent inputs: its profile
// section, its defaults, its reactions to edits and the check of all inputs.
#pragma once

#include "platform/ArchiveFwd.h"

#include <cstdint>
#include <string>
#include <vector>

class CWerte;

class CVxtBase {
public:
    virtual ~CVxtBase() = default;

    virtual void LoadDefault(CWerte& value) = 0;
    virtual void SaveDefaults() = 0;
    virtual void OnUnitChanged(CWerte& value) = 0;
    // 1 when the owner handled the edit.
    virtual int OnValueChanged(CWerte& value) = 0;
    virtual void UpdateDependentValues() = 0;
    // The profile section of the owner.
    virtual std::string GetName() = 0;
    // Non-zero (1) when a check failed, 0 when every input is in range; the
    // messages are joined in message. The user and project records have
    // nothing to check and answer 1.
    virtual int CheckInputs(std::string& message, std::vector<int>* ids) = 0;
    virtual int GetValueInfo(int code, int index, std::string& text1, std::string& text2, std::string& text3,
                             std::string& text4) {
        (void)code, (void)index, (void)text1, (void)text2, (void)text3, (void)text4;
        return 0;
    }
    virtual std::string GetExtraText(std::string& out, int id) {
        (void)id;
        out.clear();
        return out;
    }

    // The display unit of a cell, kept in the owner's section under the cell's id.
    void SaveUnitChoice(const CWerte& value);
    uint16_t LoadUnitChoice(uint16_t valueId, const std::string& defaultText);

    // Stored with the owner's members in calculation files; nothing reads it.
    void SerializeStateWord(vx::Archive& ar);
    int32_t stateWord = 0;
};
