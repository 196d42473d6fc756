// The system list of the form: entries beginning with "@" are group
// headings, drawn centred on green.
#pragma once

#include <wx/odcombo.h>

#include <string>
#include <vector>

class CCombVelmora : public wxOwnerDrawnComboBox {
public:
    CCombVelmora() = default;

    void AddItem(const std::string& text);
    // The item's text as added (code page 1252), "" outside the list.
    std::string ItemText(int item) const;

protected:
    void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override;
    void OnDrawBackground(wxDC& dc, const wxRect& rect, int item, int flags) const override;
    wxCoord OnMeasureItem(size_t item) const override;

private:
    std::vector<std::string> texts_;

    wxDECLARE_DYNAMIC_CLASS(CCombVelmora);
};
