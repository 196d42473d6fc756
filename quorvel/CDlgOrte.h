// The editor of the place table: one place at a time with postcode, town,
// country and geodetic height, browsing, new, save, delete and search.
#pragma once

#include "quorvel/fields/CVxtDialog.h"
#include "values/CWString.h"

#include <string>

class CPlzOrtTab;
class wxStaticText;

class CDlgOrte : public CVxtDialog {
public:
    explicit CDlgOrte(wxWindow* parent);

    // After OK: the shown place (code page 1252).
    const std::string& Postcode() const { return plz_.text; }
    const std::string& Town() const { return ort_.text; }
    const std::string& Country() const { return land_.text; }

    enum : int {
        IDD = 1541,
        IDC_PLZ = 1045,
        IDC_ORT = 1046,
        IDC_LAND = 1047,
        IDC_HEIGHT = 1062,
        IDC_NEW = 1052,
        IDC_DELETE = 1053,
        IDC_PREVIOUS = 1054,
        IDC_NEXT = 1055,
        IDC_SEARCH = 1056,
        IDC_SAVE = 1057,
        IDC_NO_HEIGHT_HINT = 1556,
    };

protected:
    bool OnInitDialog() override;

private:
    void ShowRecord();
    // The table is gone: only cancel is left.
    void Refuse();
    void OnNew();
    // A new entry is given up (another place is shown now): "&Neu" again.
    void LeaveNewEntry();
    void OnSave();
    void OnDelete();
    void OnPrevious();
    void OnNext();
    void OnSearch();

    CPlzOrtTab* tab_ = nullptr;
    CWString plz_, ort_, land_, height_;
    wxStaticText* hint_ = nullptr;
    // "&Neu" was pressed: the fields are a place not yet in the table.
    bool newEntry_ = false;
};
