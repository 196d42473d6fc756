#include "velmora/shared/CDlgQuerschnitte.h"

#include "model/CrossSectionTables.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "quorvel/fields/CParsedEdit.h"
#include "values/CMEinheitListe.h"
#include "values/Directories.h"
#include "velmora/shared/CrossSectionTableFile.h"
#include "velmora/shared/DialogRules.h"
#include "velmora/shared/DialogResources.h"

#include <algorithm>

#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

CDlgQuerschnitte::CDlgQuerschnitte(wxWindow* parent, std::string path)
    : path_(path.empty() ? vx::JoinPath(GetDataDir(), "INNENTAB.INI") : std::move(path)) {
    // The value cell reads the typed size in metres and shows it with four decimals.
    value_.Init(IDC_ENTRY, 0, 0, 0, 0, kUnitMetre, kUnitMetre, 0, 0, 0, 0.0, 0.0, false);
    LoadSharedDialogs();
    wxXmlResource::Get()->LoadDialog(this, parent, "135");
    list_ = dynamic_cast<wxListBox*>(FindWindow(IDC_LIST));
    // A field of the forms: letters are refused as they are typed.
    if (CParsedEdit* entry = fields_.NumberField(IDC_ENTRY, IDS_QUERSCHNITT_BEREICH)) {
        entry->SetLimitText(6);
        entry_ = entry;
    }
    fields_.ShowStrip();
    for (wxWindow* child : GetChildren())
        if (auto* box = dynamic_cast<wxStaticBox*>(child)) box->SetForegroundColour(wxColour(0, 0, 255));
    if (auto* round = dynamic_cast<wxRadioButton*>(FindWindow(IDC_ROUND))) round->SetValue(true);
    LoadTable();
    Fit();
    Bind(wxEVT_RADIOBUTTON, &CDlgQuerschnitte::OnShapeChanged, this, IDC_ROUND);
    Bind(wxEVT_RADIOBUTTON, &CDlgQuerschnitte::OnShapeChanged, this, IDC_SQUARE);
    Bind(wxEVT_BUTTON, &CDlgQuerschnitte::OnAddEntry, this, IDC_ADD);
    Bind(wxEVT_BUTTON, &CDlgQuerschnitte::OnDeleteEntry, this, IDC_DELETE);
    Bind(wxEVT_CHAR_HOOK, &CDlgQuerschnitte::OnCharHook, this);
    Bind(wxEVT_BUTTON, &CDlgQuerschnitte::OnOK, this, wxID_OK);
}

std::vector<std::string> CDlgQuerschnitte::Entries() const {
    std::vector<std::string> entries;
    if (list_)
        for (unsigned i = 0; i < list_->GetCount(); ++i) entries.push_back(vx::FromWx(list_->GetString(i)));
    return entries;
}

std::string CDlgQuerschnitte::ShownSize(double metres) {
    value_.value = metres;
    std::string shown;
    value_.GetText(shown, false);
    return shown;
}

void CDlgQuerschnitte::ShowSizes(int selected) {
    if (!list_) return;
    list_->Clear();
    for (double size : sizes_) list_->Append(vx::ToWx(ShownSize(size)));
    if (selected >= 0 && selected < int(sizes_.size())) list_->SetSelection(selected);
}

void CDlgQuerschnitte::LoadTable() {
    // The file's numbers are read as the calculation reads them and shown
    // as every number of the program is, in ascending order.
    const CrossSectionTableText table = ReadCrossSectionTable(path_, shape_);
    sizes_ = CrossSectionSizes(table);
    if (!table.badLines.empty())
        vx::ShowMessage(BadCrossSectionLinesMessage(vx::PathForDisplay(vx::BaseName(path_)), table.badLines));
    std::sort(sizes_.begin(), sizes_.end());
    ShowSizes(-1);
    changed_ = false;
}

bool CDlgQuerschnitte::SaveTable() {
    if (!changed_) return true;
    if (vx::ShowMessage(vx::LoadString(IDS_QUERSCHNITT_UEBERNEHMEN), vx::MB_YESNO | vx::MB_ICONQUESTION) != vx::IDYES)
        return true;
    std::vector<std::string> texts;
    for (double size : sizes_) texts.push_back(CrossSectionFileText(size));
    if (!WriteCrossSectionTable(path_, shape_, texts)) {
        vx::ShowMessageId(IDS_TABELLE_NICHT_GESPEICHERT, vx::MB_OK | vx::MB_ICONSTOP);
        return false;
    }
    changed_ = false;
    // The computation walks the tables as they are now.
    if (LivingPipeSections() > 0) LoadCrossSectionTables();
    return true;
}

void CDlgQuerschnitte::OnShapeChanged(wxCommandEvent& event) {
    const int shape = event.GetId() == IDC_SQUARE ? 1 : 0;
    if (shape == shape_) return;
    SaveTable();
    shape_ = shape;
    LoadTable();
    if (auto* label = dynamic_cast<wxStaticText*>(FindWindow(IDC_LABEL)))
        label->SetLabel(vx::ToWx(vx::LoadString(shape == 0 ? IDS_DURCHMESSER : IDS_KANTENLAENGE)));
}

void CDlgQuerschnitte::OnAddEntry(wxCommandEvent&) {
    if (!entry_ || !list_) return;
    double size = 0;
    if (!ReadTypedNumber(vx::FromWx(entry_->GetValue()), size)) {
        RejectField(entry_, IDS_KEINE_ZAHL);
        return;
    }
    value_.SetText(vx::FromWx(entry_->GetValue()));
    size = value_.value;
    entry_->ChangeValue(vx::ToWx(ShownSize(size)));
    entry_->SelectAll();
    if (!CrossSectionSizeAllowed(size)) {
        RejectField(entry_, IDS_QUERSCHNITT_BEREICH);
        return;
    }
    // The table stays ascending; a size it has already is only selected.
    auto at = std::lower_bound(sizes_.begin(), sizes_.end(), size);
    const bool known = at != sizes_.end() && ShownSize(*at) == ShownSize(size);
    if (!known) {
        at = sizes_.insert(at, size);
        changed_ = true;
    }
    ShowSizes(int(at - sizes_.begin()));
    entry_->SetFocus();
}

void CDlgQuerschnitte::OnDeleteEntry(wxCommandEvent&) {
    if (!list_) return;
    const int selected = list_->GetSelection();
    if (selected == wxNOT_FOUND || selected >= int(sizes_.size())) return;
    sizes_.erase(sizes_.begin() + selected);
    list_->Delete(unsigned(selected));
    changed_ = true;
}

void CDlgQuerschnitte::OnCharHook(wxKeyEvent& event) {
    // Enter in the size field adds the size, as "Hinzufügen" does.
    const int key = event.GetKeyCode();
    if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.HasAnyModifiers() && entry_ &&
        FindFocus() == entry_) {
        wxCommandEvent add(wxEVT_BUTTON, IDC_ADD);
        OnAddEntry(add);
        return;
    }
    event.Skip();
}

void CDlgQuerschnitte::OnOK(wxCommandEvent&) {
    if (!SaveTable()) return;
    EndModal(wxID_OK);
}
