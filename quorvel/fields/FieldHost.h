// The dialog side of the field protocol, shared by the dialog base and the
// form view: the registered values and their transfer, the proposal, preset,
// unit and change requests, the message display and the list of wrong
// fields with its F8 walk. The window behind it is reached through
// FieldHostWindow, so that all of this runs without a display.
#pragma once

#include "quorvel/fields/FieldsDeliverable.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CVxtBase;
class CWerte;

// What the host needs of its window (controls by id) and of its owner.
class FieldHostWindow {
public:
    virtual ~FieldHostWindow() = default;

    virtual bool HasControl(int id) = 0;
    // A validated edit field (CParsedEdit) or a choice field (CMyComboBox).
    virtual bool IsEditField(int id) = 0;
    virtual bool IsModified(int id) = 0;
    virtual bool IsTextValid(int id) = 0;
    virtual bool HasErrorMark(int id) = 0;
    virtual std::string ControlText(int id) = 0;
    virtual void SetControlText(int id, const std::string& text) = 0;
    virtual bool HasFocus(int id) = 0;
    virtual void SelectAll(int id) = 0;
    virtual void FocusControl(int id) = 0;
    // Takes an edit field's text into its value; the range message.
    virtual std::string ReadFieldValue(int id) = 0;
    // Message strip or status bar; false when there is neither.
    virtual bool ShowMessage(int mode, const std::string& text) = 0;
    virtual void ShowInputErrors(const std::string& text) = 0;
    // The unit choice; false when cancelled.
    virtual bool ChooseUnit(uint16_t& unit) = 0;
    virtual void CommandToMainWindow(int command) = 0;
    virtual void PostOk() = 0;
    virtual void Repaint() = 0;

    // The owner's steps, which derived dialogs may extend.
    virtual int RefreshFields(bool save) = 0;
    virtual int DataExchange(bool save) = 0;
    virtual void Finish() = 0;
    virtual void OnAfterProposal(CWerte& value) = 0;
};

class FieldHost {
public:
    FieldHost(FieldHostWindow& window, const FieldsDeliverable& fields);

    void RegisterValue(CWerte* value);
    void UnregisterValue(CWerte* value);
    void RegisterId(int id) { markedLabels.push_back(id); }
    void SetHelpIdOfValues(uint16_t helpId);
    CWerte* FindValue(int id) const;
    bool IsMarkedLabel(int id) const;
    bool IsWrongField(int id) const;

    // The transfer between the registered values and their fields; 0 when a
    // field's text fails its syntax check.
    int RefreshFields(bool save);

    // The requests of the fields; each returns the message's answer.
    long Proposal(CWerte* value);
    long Preset();
    long Unit(CWerte* value);
    long ValueChanged(CWerte* value);
    long ShowText(int mode, const std::string& text);
    long PostEnd(long first, long second);
    long ShowErrors();
    long NextWrong();
    long EndWith(int code);
    // One entry for all of them; 0 for messages the base leaves to derived windows.
    long Dispatch(int message, long wParam, long lParam, CWerte* value, const std::string& text);

    // Before the window ends with OK: false, with the focus and the message on
    // the field, while a listed or marked edit field still holds a wrong value.
    bool MayEnd();

    void SetWrongFields(std::vector<int> ids, std::string text);

    const FieldsDeliverable& fields;
    CVxtBase* object = nullptr;
    int enabled = 1;
    int presetCommand = 0;
    int endCode = 1;
    int refreshLock = 0;
    long postedFirst = 0, postedSecond = 0;
    std::vector<CWerte*> values;
    std::vector<int> markedLabels;
    std::vector<int> wrongFields;
    // Index into wrongFields; npos when walked off its end.
    size_t cursor = npos;
    std::string errorText;

    static constexpr size_t npos = size_t(-1);

private:
    std::string NextWrongSuffix() const;
    // Shows the entry at the cursor and moves the focus there; ends the walk
    // past the last entry.
    void ShowCursorEntry();

    FieldHostWindow& window_;
};
