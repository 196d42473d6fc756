// The choice field: an owner-drawn list whose entries beginning with "@"
// head groups (centred, blue on green), with the field keys and menu.
#pragma once

#include "quorvel/fields/CDlgItem.h"
#include "values/CWString.h"

#include <wx/odcombo.h>

#include <string>

class CMyComboBox : public wxOwnerDrawnComboBox, public CDlgItem {
public:
    explicit CMyComboBox(CWerte* value, const FieldsDeliverable& fields = ActiveFields());

    bool Create(wxWindow* parent, int id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxCB_READONLY);
    bool SubclassDlgItem(wxWindow* host, int id);

    void AddItem(const std::string& text);
    std::string GetItemText(int item) const;
    // The chosen entry's text; a text set by the program that matches no
    // entry is kept as it was.
    std::string GetFieldText() override;
    // Selects the exact match and writes the text into the alternative
    // window, the companion or the combo itself.
    void SetFieldText(const std::string& text) override;

    // Draws one entry as the list does (also for tests).
    void PaintItem(wxDC& dc, const wxRect& rect, int item, bool selected, bool inList) const;

    CWString itemText;
    wxWindow* companion = nullptr;
    bool textFromAlternative = false;
    bool clearOnDelete = false;
    int notifyEnter = 1;
    int notifyLeaveCombo = 1;
    int currentSelection = -1;

protected:
    void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override;
    void OnDrawBackground(wxDC& dc, const wxRect& rect, int item, int flags) const override;
    wxCoord OnMeasureItem(size_t item) const override;

private:
    void OnKeyDown(wxKeyEvent& event);
    void OnKeyUp(wxKeyEvent& event);
    void OnSetFocus(wxFocusEvent& event);
    void OnKillFocus(wxFocusEvent& event);
    void OnLeft(wxWindow* to);
    void OnRightUp(wxMouseEvent& event);
    void OnSelected(wxCommandEvent& event);
    // The parent's substitute for an entry while the list is open.
    std::string ShownText(int item, bool inList) const;
};
