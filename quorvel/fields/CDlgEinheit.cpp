#include "quorvel/fields/CDlgEinheit.h"

#include "platform/wx/WxText.h"
#include "values/CMEinheitListe.h"

#include <wx/listbox.h>

#include <string>
#include <vector>

CDlgEinheit::CDlgEinheit(wxWindow* parent, uint16_t unitCode_, const FieldsDeliverable& fields)
    : CVxtDialog(109, parent, nullptr, 1, fields), unitCode(unitCode_) {}

bool CDlgEinheit::OnInitDialog() {
    CVxtDialog::OnInitDialog();
    if (auto* list = dynamic_cast<wxListBox*>(FindWindow(1045))) {
        std::vector<std::string> names;
        UnitList().FillUnitList(unitCode, names);
        for (const std::string& name : names) list->Append(vx::ToWx(name));
        const unsigned index = unitCode & 0xFF;
        if (index < list->GetCount()) list->SetSelection(int(index));
        list->SetFocus();
    }
    return true;
}

void CDlgEinheit::Finish() {
    auto* list = dynamic_cast<wxListBox*>(FindWindow(1045));
    const int selection = list ? list->GetSelection() : wxNOT_FOUND;
    // Without a choice the unit stays as it was: no index 0xFF into the quantity.
    if (selection == wxNOT_FOUND || selection > 0xFE) {
        EndModal(wxID_CANCEL);
        return;
    }
    unitCode = uint16_t((unitCode & 0xFF00) | unsigned(selection));
    EndModal(wxID_OK);
}
