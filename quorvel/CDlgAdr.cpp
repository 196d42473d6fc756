#include "quorvel/CDlgAdr.h"

#include "dbase/data/Table.h"
#include "platform/MessageService.h"
#include "platform/wx/WxMnemonics.h"
#include "platform/wx/WxText.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/AddressSearch.h"
#include "quorvel/CDlgAdrSuche.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/PackWhenPossible.h"
#include "quorvel/QuorvelTables.h"
#include "quorvel/QuorvelText.h"
#include "quorvel/RecordWalk.h"
#include "quorvel/Soundex.h"
#include "quorvel/fields/CMyComboBox.h"
#include "quorvel/fields/CParsedEdit.h"
#include "quorvel/fields/FieldEvent.h"
#include "quorvel/fields/FieldMessages.h"
#include "quorvel/fields/FieldRules.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

using namespace vx;

namespace {

enum : int { IDC_NEU = 1052, IDC_LOESCH = 1053, IDC_PREV = 1054, IDC_NEXT = 1055, IDC_SUCHE = 1056,
             IDC_SAVE = 1057, IDC_EMPFAENGER = 1058, IDC_STANDORT = 4, IDC_GROUP = 1282 };

void Say(unsigned id) { ShowMessage(QuorvelString(id), MB_OK | MB_ICONINFORMATION); }

size_t TypingLimit(const char* column, size_t limit) {
    if (!column) return limit;
    const size_t width = ColumnWidth(kAdresseFields, column);
    return limit ? std::min(limit, width) : width;
}

} // namespace

CDlgAdr::CDlgAdr(wxWindow* parent) : CDlgAdr(parent, 176) {
    Build({{1042, IDS_QV_LBL_NAME1, &name1, "NAME1", 50},
           {1043, IDS_QV_LBL_NAME2, &name2, "NAME2", 50},
           {1044, IDS_QV_LBL_STREET, &strasse, "STRASSE", 50},
           {1045, IDS_QV_LBL_PLZ, &plz, "PLZ", 5},
           {1046, IDS_QV_LBL_TOWN, &ort, "ORT", 50},
           {1047, IDS_QV_LBL_LAND, &land, "LAND", 50},
           {1048, IDS_QV_LBL_TELEPHONE, &telefon, "TELEFON", 20},
           {1049, IDS_QV_LBL_FAX, &telefax, "TELEFAX", 20},
           {1050, IDS_QV_LBL_CONTACT, &ansprech, "ANSPRECH", 50},
           {1051, IDS_QV_LBL_REMARK, &bemerkung, nullptr, 250, RowMemo}},
          {{IDC_EMPFAENGER, QuorvelString(IDS_QV_BTN_RECIPIENT)}, {IDC_STANDORT, QuorvelString(IDS_QV_BTN_SITE)},
           {kLibraryHelpCommand, QuorvelString(IDS_QV_BTN_HELP)}, {2, QuorvelString(IDS_QV_BTN_CANCEL)},
           {IDC_NEU, QuorvelString(IDS_QV_BTN_NEW)}, {IDC_LOESCH, QuorvelString(IDS_QV_BTN_REMOVE)},
           {IDC_SAVE, QuorvelString(IDS_QV_BTN_UPDATE)}, {IDC_SUCHE, QuorvelString(IDS_QV_BTN_SEARCH)},
           {IDC_PREV, "&<"}, {IDC_NEXT, "&>"}});
}

CDlgAdr::CDlgAdr(wxWindow* parent, int templateId) : CVxtDialog(templateId, parent, nullptr, 1) {
    Fields().object = this;
    SetTitle(QuorvelLabel(IDS_QV_TITLE_ADDRESSES));
    usable_ = TableUsable(Tab());
}

void CDlgAdr::InitCell(CWString& cell, int id, uint16_t flags) {
    cell.Init(uint16_t(id), 0, 0, flags, fields::KindAny, 0, 0, 0, 0, 0, 0, 0, false);
}

void CDlgAdr::Build(const std::vector<Row>& rows, const std::vector<Button>& buttons) {
    rows_ = rows;
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* box = new wxStaticBoxSizer(new wxStaticBox(this, IDC_GROUP, QuorvelLabel(IDS_QV_GROUP_ADDRESSES)), wxVERTICAL);
    auto* grid = new wxFlexGridSizer(2, 3, 6);
    grid->AddGrowableCol(1);
    for (const Row& row : rows) {
        auto* label = new wxStaticText(this, wxID_ANY, QuorvelLabel(row.label));
        wxWindow* control = nullptr;
        InitCell(*row.cell, row.id, row.flags);
        if (row.kind == RowTownCombo) {
            auto* combo = new CMyComboBox(row.cell);
            combo->Create(this, row.id, wxDefaultPosition, wxSize(320, -1), 0);
            if (wxTextCtrl* text = combo->GetTextCtrl())
                text->SetMaxLength(TypingLimit(row.column, row.limit));
            townControl_ = combo;
            control = combo;
        } else {
            auto* edit = new CParsedEdit(row.cell);
            const long style = row.kind == RowMemo ? wxTE_MULTILINE : 0;
            edit->Create(this, row.id, wxDefaultPosition, wxSize(320, row.kind == RowMemo ? 60 : -1), style);
            edit->SetLimitText(TypingLimit(row.column, row.limit));
            editIds_.push_back(row.id);
            control = edit;
        }
        grid->Add(label, 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(control, 1, wxEXPAND);
        if (row.kind == RowHidden) {
            label->Hide();
            control->Hide();
        }
        RegisterValue(row.cell);
    }
    box->Add(grid, 1, wxEXPAND | wxALL, 4);
    top->Add(box, 1, wxEXPAND | wxALL, 6);
    auto* row1 = new wxBoxSizer(wxHORIZONTAL);
    auto* row2 = new wxBoxSizer(wxHORIZONTAL);
    for (size_t i = 0; i < buttons.size(); ++i)
        AddDialogButton(this, i < buttons.size() / 2 ? row1 : row2, buttons[i].id, buttons[i].label);
    top->Add(row1, 0, wxALIGN_CENTER);
    top->Add(row2, 0, wxALIGN_CENTER | wxBOTTOM, 4);
    SetSizerAndFit(top);

    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnNeu(); }, IDC_NEU);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSave(); }, IDC_SAVE);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnNext(); }, IDC_NEXT);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnPrev(); }, IDC_PREV);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnDelete(); }, IDC_LOESCH);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSearch(); }, IDC_SUCHE);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EndWith(IDC_EMPFAENGER); }, IDC_EMPFAENGER);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EndWith(IDC_STANDORT); }, IDC_STANDORT);
    GreyHelpButton(this);
}

int CDlgAdr::ResultCode(int modalResult) {
    if (modalResult == wxID_OK) return 1;
    if (modalResult == wxID_CANCEL) return 2;
    return modalResult;
}

CAdressTab* CDlgAdr::Tab() const { return TheDatenbank().Adressen(); }

CParsedEdit* CDlgAdr::Edit(int id) const { return dynamic_cast<CParsedEdit*>(FindWindow(id)); }

bool CDlgAdr::OnRecord() const {
    CAdressTab* tab = Tab();
    if (!usable_ || !tab || !tab->Handle()) return false;
    TableHandle* t = tab->Handle();
    const long rec = tableRecNo(t);
    return rec >= 1 && rec <= tableRecCount(t) && !tableEof(t);
}

bool CDlgAdr::OnInitDialog() {
    CVxtDialog::OnInitDialog();
    if (!usable_) {
        Refuse();
        return true;
    }
    // Empty addresses an aborted "&Neu" once left behind are no addresses.
    if (MarkBlankAddresses(*Tab()) > 0) PackWhenPossible(*Tab());
    else PackIfPending(*Tab());
    if (!Tab()->IsOpen()) {
        usable_ = TableUsable(Tab());
        Refuse();
        return true;
    }
    if (tableRecCount(Tab()->Handle()) >= 0) GoFirstLive(Tab()->Handle());
    ShowRecord();
    return true;
}

void CDlgAdr::Refuse() {
    usable_ = false;
    // Nothing here may reach a table that is not there.
    for (wxWindow* child : GetChildren())
        if (child->GetId() != wxID_CANCEL) child->Disable();
    // With every other control disabled nothing would have the keyboard, and
    // Escape would reach no one.
    if (wxWindow* cancel = FindWindow(wxID_CANCEL)) cancel->SetFocus();
}

void CDlgAdr::RecordToDialog() {
    const bool on = ShowsRecord();
    CAdressTab* tab = Tab();
    auto text = [&](const vx::FieldView& col) { return on ? tab->FeldText(col) : std::string(); };
    name1.text = text(tab->name1);
    name2.text = text(tab->name2);
    strasse.text = text(tab->strasse);
    ort.text = text(tab->ort);
    land.text = text(tab->land);
    telefon.text = text(tab->telefon);
    telefax.text = text(tab->telefax);
    ansprech.text = text(tab->ansprech);
    bemerkung.text = text(tab->bemerkung);
    plz.text = text(tab->plz);
}

void CDlgAdr::DialogToRecord() {
    CAdressTab* tab = Tab();
    tab->SetText(tab->name1, name1.text);
    tab->SetText(tab->name2, name2.text);
    tab->SetText(tab->strasse, strasse.text);
    tab->SetText(tab->ort, ort.text);
    tab->SetText(tab->plz, plz.text);
    tab->SetText(tab->land, land.text);
    tab->SetText(tab->telefon, telefon.text);
    tab->SetText(tab->telefax, telefax.text);
    tab->SetText(tab->ansprech, ansprech.text);
    tab->SetText(tab->bemerkung, bemerkung.text);
    tab->SetText(tab->name1Soun, SoundexCode(name1.text));
    tableFlush(tab->Handle());
}

void CDlgAdr::ShowRecord() {
    if (!usable_) return;
    RecordToDialog();
    RefreshFields(false);
}

void CDlgAdr::ShowCell(CWString& cell) { FieldWindow().SetControlText(cell.valueId, cell.text); }

void CDlgAdr::OnNeu() {
    if (!usable_) return;
    // The record is appended at "S&peich": leaving without it stores nothing.
    newEntry_ = true;
    ShowRecord();
    if (wxWindow* neu = FindWindow(IDC_NEU)) neu->Disable();
    if (wxWindow* first = FindWindow(1042)) first->SetFocus();
}

void CDlgAdr::LeaveNewEntry() {
    newEntry_ = false;
    if (wxWindow* neu = FindWindow(IDC_NEU)) neu->Enable();
}

bool CDlgAdr::EntryEmpty() {
    for (const CWerte* value : Fields().values)
        if (const auto* cell = dynamic_cast<const CWString*>(value); cell && !cell->text.empty()) return false;
    return true;
}

bool CDlgAdr::StoreNewEntry() {
    if (tableAppendBlank(Tab()->Handle()) != 0) {
        Say(IDS_QV_UPDATE_FAILED);
        return false;
    }
    LeaveNewEntry();
    DialogToRecord();
    return true;
}

bool CDlgAdr::FitsColumns() {
    for (const Row& row : rows_) {
        if (!row.column) continue;
        const vx::FieldView column(Tab()->Handle(), row.column);
        if (!column.isValid()) continue;
        const std::string name = FromWx(LabelOf(FindWindow(row.id)));
        if (SaysAddressWouldBeCut(this, row.id, name, row.cell->text, column.len())) return false;
    }
    return true;
}

void CDlgAdr::OnSave() {
    if (!usable_) return;
    if (RefreshFields(true) == 0 || !FitsColumns()) return;
    if (newEntry_ || !OnRecord()) {
        // An empty form is no address.
        if (EntryEmpty() || !StoreNewEntry()) return;
    } else {
        DialogToRecord();
    }
    if (wxWindow* neu = FindWindow(IDC_NEU)) neu->Enable();
}

void CDlgAdr::OnNext() {
    if (!usable_) return;
    LeaveNewEntry();
    if (NextLive(Tab()->Handle())) Say(IDS_QV_LAST_RECORD);
    ShowRecord();
}

void CDlgAdr::OnPrev() {
    if (!usable_) return;
    LeaveNewEntry();
    if (PreviousLive(Tab()->Handle())) Say(IDS_QV_FIRST_RECORD);
    ShowRecord();
}

void CDlgAdr::OnDelete() {
    if (!usable_) return;
    if (newEntry_) {
        // Nothing of a new entry is in the table yet.
        LeaveNewEntry();
        GoFirstLive(Tab()->Handle());
        ShowRecord();
        return;
    }
    if (!OnRecord()) return;
    TableHandle* t = Tab()->Handle();
    tableDelete(t);
    tableFlush(t);
    PackWhenPossible(*Tab());
    if (!Tab()->IsOpen()) {
        usable_ = TableUsable(Tab());
        Refuse();
        return;
    }
    GoFirstLive(Tab()->Handle());
    ShowRecord();
}

void CDlgAdr::OnSearch() {
    if (!usable_) return;
    CDlgAdrSuche search(this);
    if (search.ShowModal() != wxID_OK || search.chosen == -1) return;
    LeaveNewEntry();
    tableGo(Tab()->Handle(), search.chosen);
    if (wxWindow* first = FindWindow(1042)) first->SetFocus();
    ShowRecord();
}

void CDlgAdr::EndWith(int code) {
    if (usable_ && newEntry_) {
        // The caller takes the current record: a new entry must be one first,
        // and an empty one gives an empty address.
        if (RefreshFields(true) == 0) return;
        if (EntryEmpty()) tableGoEof(Tab()->Handle());
        else if (!FitsColumns() || !StoreNewEntry()) return;
    }
    Fields().endCode = code;
    Finish();
}

bool CDlgAdr::OnFieldMessage(FieldEvent& event) {
    if (event.message != fieldmsg::NavigationKey) return false;
    if (event.wParam == 0x21) OnPrev();
    else if (event.wParam == 0x22) OnNext();
    event.result = 1;
    return true;
}
