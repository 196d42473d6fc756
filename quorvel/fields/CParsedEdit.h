// The validated edit field: filters typed characters by the value's input
// kind, checks the text when the focus leaves and asks its host for
// proposals, presets, units and the next wrong entry.
#pragma once

#include "quorvel/fields/CDlgItem.h"

#include <wx/textctrl.h>

#include <cstddef>
#include <string>

class CParsedEdit : public wxTextCtrl, public CDlgItem {
public:
    explicit CParsedEdit(CWerte* value, const FieldsDeliverable& fields = ActiveFields());

    bool Create(wxWindow* parent, int id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = 0);
    // Takes the place of the host's control with that id (a layout's text control).
    bool SubclassDlgItem(wxWindow* host, int id);

    std::string GetFieldText() override;
    void SetFieldText(const std::string& text) override;
    bool IsEditField() const override { return true; }
    void MarkModified(bool modified) override;

    // The longest text that typing and pasting may produce (0: none). A longer
    // text set by the program stays whole.
    void SetLimitText(size_t limit) { limit_ = limit; }
    size_t LimitText() const { return limit_; }

    bool IsTextValid();
    // Takes the text into the value; its range message (an error mark when not empty).
    std::string ReadValue();
    // One spin step (+1 or -1) on the field's integer.
    void Spin(int delta);
    // A refused character.
    virtual void Reject();

    int charNotify = 1;

private:
    void OnChar(wxKeyEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnKeyUp(wxKeyEvent& event);
    void OnSetFocus(wxFocusEvent& event);
    void OnKillFocus(wxFocusEvent& event);
    // The checks when the focus went from this field to `to`.
    void CheckOnLeave(wxWindow* to);
    void OnRightUp(wxMouseEvent& event);
    void OnPaste(wxClipboardTextEvent& event);
    void OnEditCommand(int command) override;
    bool HasEditMenu() const override { return true; }
    fields::EditState EditMenuState() override;
    bool InComboBox() const;
    // Returns the focus to this field after the current focus change.
    void Reclaim();

    size_t limit_ = 0;
};
