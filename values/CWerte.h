// Value cells: one input or result quantity with its identity, units,
// limits, screen marker and a short undo history of earlier texts.
#pragma once

#include "platform/ArchiveFwd.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// The decimal separator of typed and shown numbers; never the system locale's.
inline std::string g_DecimalSeparator = ",";

// Cleared by every changed value so that shown results count as stale.
inline int g_ResultsValid = 0;

// One earlier text of a cell.
struct CUndoBuffer {
    std::string text;
};

class CWerte {
public:
    // Markers: 0 entered, 1 fixed default, 2 derived from other inputs, 3 result.
    enum : uint16_t { MarkerPlain = 0, MarkerDefault = 1, MarkerDerived = 2, MarkerResult = 3 };

    CWerte();
    CWerte(const CWerte& other);
    CWerte& operator=(const CWerte& other);
    virtual ~CWerte() = default;

    virtual void Serialize(vx::Archive& ar);
    virtual void GetText(std::string& out, bool internalUnit) = 0;
    virtual void SetText(const std::string& text) = 0;
    // The range message ("" when the value passes). A failing value adds its
    // id to ids and sets *failed when they are given.
    virtual void CheckRange(std::string& message, std::vector<int>* ids, int* failed) = 0;

    void Init(uint16_t valueId, uint16_t helpId, uint16_t promptId, uint16_t actionFlags, uint16_t inputKind,
              uint16_t displayUnit, uint16_t internalUnit, uint16_t unitLabelControl, uint16_t marker,
              uint16_t rangeMessageId, double minimum, double maximum, bool checkWhenEqual);

    // A cell that is never edited, such as a calculation record's, keeps no
    // earlier texts: copying it then costs the same whatever the undo size.
    void DropHistory();
    // Everything but the earlier texts, for cells that keep none.
    void AssignWithoutHistory(const CWerte& other) {
        valueId = other.valueId;
        helpId = other.helpId;
        promptId = other.promptId;
        actionFlags = other.actionFlags;
        inputKind = other.inputKind;
        marker = other.marker;
        unitLabelControl = other.unitLabelControl;
        displayUnit = other.displayUnit;
        internalUnit = other.internalUnit;
        rangeMessageId = other.rangeMessageId;
        minimum = other.minimum;
        maximum = other.maximum;
        archiveWord = other.archiveWord;
        checkWhenEqual = other.checkWhenEqual;
        undoIndex_ = std::min(other.undoIndex_, ringSize_ - 1);
    }

    void PushUndo(const std::string& text);
    bool CanUndo() const;
    // The text to put back; the cell itself is not changed.
    bool Undo(std::string& out);
    // Walks the ring newest first for whichever cell asks.
    bool GetHistoryEntry(std::string& out, bool restart);

    // Number of ring entries, read from the profile by the first cell built.
    static int UndoSize();
    // Makes the next construction read the profile again (tests).
    static void ForgetUndoSize();

    uint16_t valueId = 0;
    uint16_t helpId = 0;
    uint16_t promptId = 0;
    uint16_t actionFlags = 0;
    uint16_t inputKind = 0;
    uint16_t marker = 0;
    uint16_t unitLabelControl = 0;
    uint16_t displayUnit = 0;
    uint16_t internalUnit = 0;
    uint16_t rangeMessageId = 0;
    double minimum = 0.0;
    double maximum = 0.0;
    int32_t archiveWord = 1;
    bool undoPending = false;
    bool checkWhenEqual = false;

protected:
    // The text before an edit goes to the ring when the input field asked for it.
    void SaveUndoBeforeEdit();
    void SerializeCommon(vx::Archive& ar);

    // The ring holds ringSize_ texts; it is made at the first text kept, and
    // until then every entry is empty, so that building and copying a cell
    // cost the same whatever the undo size.
    const std::string& Entry(int i) const;
    std::vector<CUndoBuffer> ring_;
    int ringSize_ = 0;
    int undoIndex_ = -1;
};
