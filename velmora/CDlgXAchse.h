// The range of effective chimney heights the diagram is computed for.
#pragma once

#include "velmora/HeightRangeRules.h"
#include "velmora/shared/DialogFields.h"

#include <wx/dialog.h>

class CDlgXAchse : public wxDialog {
public:
    explicit CDlgXAchse(wxWindow* parent);

    // The values taken by "Übernehmen".
    const HeightRange& Range() const { return range_; }
    HeightRangeTexts ShownTexts() const;

    enum : int { IDC_START = 1029, IDC_STEP = 1030, IDC_END = 1031, IDC_DEFAULT = 1032, IDC_HELP = 1033 };

private:
    void ShowTexts(const HeightRangeTexts& texts);
    void OnApply(wxCommandEvent&);
    void OnDefault(wxCommandEvent&);

    DialogFields fields_{this};
    HeightRange range_;
};
