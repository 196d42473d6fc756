#include "velmora/CComboWrzTyp.h"

#include "platform/wx/WxText.h"
#include "velmora/shared/CDlgWrzInfo.h"
#include "velmora/shared/WrzTexts.h"

#include <wx/dc.h>
#include <wx/settings.h>

wxIMPLEMENT_DYNAMIC_CLASS(CComboWrzTyp, wxOwnerDrawnComboBox);

void CComboWrzTyp::FillTypes(const std::vector<WrzType>& types) {
    ClearTypes();
    wxArrayString texts;
    for (const WrzType& t : types) {
        texts.Add(vx::ToWx(t.typeDesignation));
        offsets_.push_back(t.offset);
    }
    if (!texts.empty()) Append(texts);
}

void CComboWrzTyp::ClearTypes() {
    Clear();
    offsets_.clear();
    // Neither the field nor the data sheet may go on showing a type of the list before.
    SetValue(wxEmptyString);
    if (info_) info_->ClearTexts();
}

int64_t CComboWrzTyp::ItemOffset(int item) const {
    return item >= 0 && size_t(item) < offsets_.size() ? offsets_[size_t(item)] : -1;
}

bool CComboWrzTyp::ReadItem(int item, WrzEntry& entry) const {
    int64_t offset = ItemOffset(item);
    if (!catalogue_ || offset < 0) return false;
    // Drawing must not raise message boxes: a bad line is only left undrawn.
    catalogue_->SetReportProblems(false);
    const int rc = catalogue_->LoadEntry(entry, offset, {}, CWrzKatalog::OpenOperation::Closed);
    catalogue_->SetReportProblems(true);
    return rc == CWrzKatalog::kLoaded;
}

wxString CComboWrzTyp::OutputText(int item) const {
    WrzEntry entry;
    return ReadItem(item, entry) ? vx::ToWx(TypeOutputText(entry)) : wxString();
}

bool CComboWrzTyp::PlaceInfoPopup() {
    if (!info_) {
        auto* info = new CDlgWrzInfo;
        if (!info->Create(GetParent())) {
            delete info;
            return false;
        }
        info_ = info;
    }
    info_->ClearTexts();
    const wxRect combo = GetRect();
    info_->SetPosition(wxPoint(combo.GetRight() + 1, combo.GetTop()));
    info_->Raise();
    return true;
}

void CComboWrzTyp::OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const {
    if (item == wxNOT_FOUND) return;
    const wxString type = GetString(unsigned(item));
    if (type.empty()) return;
    WrzEntry entry;
    const bool read = ReadItem(item, entry);
    const bool selected = (flags & wxODCB_PAINTING_SELECTED) != 0;
    if (selected) {
        dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT));
        if (read && info_ && !(flags & wxODCB_PAINTING_CONTROL)) info_->FillFromHeatGenerator(entry);
    } else {
        dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    }
    const int y = rect.y + (rect.height - dc.GetCharHeight()) / 2;
    dc.DrawText(type, rect.x + 2, y);
    if (read) {
        const wxString output = vx::ToWx(TypeOutputText(entry));
        const int w = dc.GetTextExtent(output).GetWidth();
        dc.DrawText(output, rect.GetRight() - w - 2, y);
    }
}

wxCoord CComboWrzTyp::OnMeasureItem(size_t) const {
    return itemHeight_ > 0 ? itemHeight_ : GetCharHeight() + 4;
}
