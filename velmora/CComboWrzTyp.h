// The type list of the catalogue: each type with its output range, and the
// data sheet of the type under the mouse beside the open list.
#pragma once

#include "velmora/shared/CWrzKatalog.h"

#include <wx/odcombo.h>

#include <cstdint>
#include <vector>

class CDlgWrzInfo;

class CComboWrzTyp : public wxOwnerDrawnComboBox {
public:
    CComboWrzTyp() = default;

    void SetCatalogue(CWrzKatalog* catalogue) { catalogue_ = catalogue; }
    void SetItemHeight(int height) { itemHeight_ = height; }

    // The types of one manufacturer; the item's data is its line's offset.
    void FillTypes(const std::vector<WrzType>& types);
    void ClearTypes();
    int64_t ItemOffset(int item) const;

    // Empties the sheet, creates it when needed and places it right of the
    // combo, top edges aligned. False when it could not be made.
    bool PlaceInfoPopup();
    CDlgWrzInfo* InfoPopup() const { return info_; }

    // The line of an item as the list draws it (open operation not asked);
    // false when it cannot be read.
    bool ReadItem(int item, WrzEntry& entry) const;
    // The text right of the type.
    wxString OutputText(int item) const;

protected:
    void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override;
    wxCoord OnMeasureItem(size_t item) const override;

private:
    CWrzKatalog* catalogue_ = nullptr;
    CDlgWrzInfo* info_ = nullptr;
    std::vector<int64_t> offsets_;
    int itemHeight_ = -1;

    wxDECLARE_DYNAMIC_CLASS(CComboWrzTyp);
};
