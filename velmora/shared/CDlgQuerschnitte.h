// The editor of the round and square cross-section tables of "INNENTAB.INI".
#pragma once

#include "values/CWDouble.h"
#include "velmora/shared/DialogFields.h"

#include <wx/dialog.h>

#include <string>
#include <vector>

class wxListBox;
class wxTextCtrl;

class CDlgQuerschnitte : public wxDialog {
public:
    // path: the table file, by default the data directory's "INNENTAB.INI".
    explicit CDlgQuerschnitte(wxWindow* parent, std::string path = {});

    void LoadTable();
    // Asks before writing pending changes; false when writing failed.
    bool SaveTable();

    int Shape() const { return shape_; }
    bool Changed() const { return changed_; }
    // The entries as shown, ascending, and as numbers in metres.
    std::vector<std::string> Entries() const;
    const std::vector<double>& Sizes() const { return sizes_; }
    const std::string& Path() const { return path_; }

    enum : int { IDC_LIST = 1016, IDC_ROUND = 1017, IDC_SQUARE = 1018, IDC_DELETE = 1019, IDC_LABEL = 1020,
                 IDC_ENTRY = 1021, IDC_ADD = 1022, IDC_GROUP_SHAPE = 1023, IDC_GROUP_TABLE = 1024 };

private:
    void OnShapeChanged(wxCommandEvent&);
    void OnAddEntry(wxCommandEvent&);
    void OnDeleteEntry(wxCommandEvent&);
    void OnCharHook(wxKeyEvent&);
    void OnOK(wxCommandEvent&);
    // The size as the value cell shows it, with a decimal comma.
    std::string ShownSize(double metres);
    void ShowSizes(int selected);

    DialogFields fields_{this};
    int shape_ = 0;
    wxListBox* list_ = nullptr;
    wxTextCtrl* entry_ = nullptr;
    CWDouble value_;
    std::vector<double> sizes_;
    bool changed_ = false;
    std::string path_;
};
