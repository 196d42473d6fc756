#include "velmora/CCombVelmora.h"

#include "platform/wx/WxText.h"

#include <wx/dc.h>
#include <wx/settings.h>

wxIMPLEMENT_DYNAMIC_CLASS(CCombVelmora, wxOwnerDrawnComboBox);

namespace {
bool IsHeading(const std::string& text) { return !text.empty() && text[0] == '@'; }
} // namespace

void CCombVelmora::AddItem(const std::string& text) {
    texts_.push_back(text);
    Append(vx::ToWx(IsHeading(text) ? text.substr(1) : text));
    // The open list is as tall as its entries (the toolkit's default stops
    // short of them); where the screen is too short, the list scrolls.
    SetPopupMaxHeight(int(texts_.size()) * OnMeasureItem(0) + 2);
}

std::string CCombVelmora::ItemText(int item) const {
    return item >= 0 && size_t(item) < texts_.size() ? texts_[size_t(item)] : std::string();
}

void CCombVelmora::OnDrawBackground(wxDC& dc, const wxRect& rect, int item, int flags) const {
    if (item != wxNOT_FOUND && IsHeading(ItemText(item)) && !(flags & wxODCB_PAINTING_CONTROL)) {
        dc.SetBrush(wxBrush(wxColour(0, 255, 0)));
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.DrawRectangle(rect);
        return;
    }
    wxOwnerDrawnComboBox::OnDrawBackground(dc, rect, item, flags);
}

void CCombVelmora::OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const {
    if (item == wxNOT_FOUND) return;
    const std::string text = ItemText(item);
    const wxString shown = GetString(unsigned(item));
    const int y = rect.y + (rect.height - dc.GetCharHeight()) / 2;
    if (IsHeading(text)) {
        dc.SetTextForeground(*wxBLACK);
        const int w = dc.GetTextExtent(shown).GetWidth();
        dc.DrawText(shown, rect.x + (rect.width - w) / 2, y);
        return;
    }
    dc.SetTextForeground(wxSystemSettings::GetColour((flags & wxODCB_PAINTING_SELECTED) ? wxSYS_COLOUR_HIGHLIGHTTEXT
                                                                                       : wxSYS_COLOUR_WINDOWTEXT));
    dc.DrawText(shown, rect.x + 2, y);
}

wxCoord CCombVelmora::OnMeasureItem(size_t) const { return GetCharHeight() + 4; }
