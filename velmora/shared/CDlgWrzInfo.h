// The yellow data sheet beside the open type list: the values of the heat
// generator under the mouse, full load and part load.
#pragma once

#include "velmora/shared/WrzTexts.h"

#include <wx/panel.h>

class CDlgWrzInfo : public wxPanel {
public:
    // A child of parent, hidden; false when the layout cannot be loaded.
    bool Create(wxWindow* parent);

    void FillFromHeatGenerator(const WrzEntry& heatGenerator);
    void ClearTexts();
    const WrzInfoTexts& Texts() const { return texts_; }
    bool OpenOperation() const { return texts_.openOperation; }

private:
    void ShowTexts();

    WrzInfoTexts texts_;
};

// Control ids of the sheet's values: full and part load by row, then the outlet.
enum : int { IDC_WRZINFO_FIRST = 1040, IDC_WRZINFO_OUTLET = 1052, IDC_WRZINFO_DRAUGHT_LABEL = 1054,
             IDC_WRZINFO_OPEN = 1029 };
