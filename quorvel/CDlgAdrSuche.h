// The name search: a phonetic pass over the name codes and a substring pass
// over whole records; the chosen entry's record number is the result.
#pragma once

#include "quorvel/fields/CVxtDialog.h"
#include "values/CWString.h"

#include <vector>

class wxListBox;

class CDlgAdrSuche : public CVxtDialog {
public:
    explicit CDlgAdrSuche(wxWindow* parent);

    // "&Suchen": fills the list from the search text and selects its first entry.
    void Search();
    // "&Weiter" or a double-click: ends with the selected entry.
    void Take();

    wxListBox* List() const { return list_; }
    // The chosen record number, -1 when none.
    long chosen = -1;
    CWString searchText;

private:
    wxListBox* list_ = nullptr;
    std::vector<long> recNos_;
    bool usable_ = true;
};
