// The address pick list: every address in one fixed-pitch list, a preview
// of the chosen one, and deletion.
#pragma once

#include "quorvel/fields/CVxtDialog.h"

#include <vector>

class wxComboBox;

class CDlgAdrSucheV2 : public CVxtDialog {
public:
    explicit CDlgAdrSucheV2(wxWindow* parent);

    // Refills the list from the table.
    void Fill();
    // Goes to the line's record and shows it.
    void Choose(int line);
    // "&Löschen": deletes the chosen line's record; nothing without a chosen line.
    void DeleteChosen();
    // "&Weiter".
    void Take();

    wxComboBox* Combo() const { return combo_; }
    // The chosen record number; without a choice the first record's (0 when
    // that was deleted here).
    long chosen = 0;

private:
    void ShowPreview(bool on);

    wxComboBox* combo_ = nullptr;
    std::vector<long> recNos_;
    long initial_ = 0;
    bool usable_ = true;
};
