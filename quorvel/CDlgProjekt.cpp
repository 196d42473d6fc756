#include "quorvel/CDlgProjekt.h"

#include "dbase/data/Table.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/wx/WxText.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/CDlgAdr.h"
#include "quorvel/CDlgAdrV2.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/ProjectImport.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/QuorvelTables.h"
#include "quorvel/QuorvelText.h"
#include "quorvel/Soundex.h"
#include "quorvel/fields/CMyComboBox.h"
#include "quorvel/fields/CParsedEdit.h"
#include "quorvel/fields/FieldRules.h"

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <ctime>
#include <span>

using namespace vx;

namespace {

constexpr int kHelpCommand = 32773;

enum class Kind { Edit, Combo };
struct Row {
    int id;
    unsigned label;  // string id; 0 for the town beside its postcode
    Kind kind = Kind::Edit;
};

// A text of the recipient or the site and the address-book column it is stored in.
struct AddressColumn {
    CProjekt::Cell cell;
    int control;
    CCharCol CAdressTab::*column;
    const char* name;
};

const AddressColumn kRecipientColumns[] = {
    {CProjekt::EmpfName1, CDlgProjekt::IDC_E_NAME1, &CAdressTab::name1, "NAME1"},
    {CProjekt::EmpfName2, CDlgProjekt::IDC_E_NAME2, &CAdressTab::name2, "NAME2"},
    {CProjekt::EmpfStrasse, CDlgProjekt::IDC_E_STR, &CAdressTab::strasse, "STRASSE"},
    {CProjekt::EmpfOrt, CDlgProjekt::IDC_E_ORT, &CAdressTab::ort, "ORT"},
    {CProjekt::EmpfPlz, CDlgProjekt::IDC_E_PLZ, &CAdressTab::plz, "PLZ"},
    {CProjekt::EmpfAnsprech, CDlgProjekt::IDC_E_ANSPRECH, &CAdressTab::ansprech, "ANSPRECH"},
    {CProjekt::EmpfTel, CDlgProjekt::IDC_E_TEL, &CAdressTab::telefon, "TELEFON"},
    {CProjekt::EmpfFax, CDlgProjekt::IDC_E_FAX, &CAdressTab::telefax, "TELEFAX"},
    {CProjekt::EmpfHandy, CDlgProjekt::IDC_E_HANDY, &CAdressTab::handy, "HANDY"},
    {CProjekt::EmpfEmail, CDlgProjekt::IDC_E_EMAIL, &CAdressTab::email, "EMAIL"},
};
const AddressColumn kSiteColumns[] = {
    {CProjekt::StdoName1, CDlgProjekt::IDC_S_NAME1, &CAdressTab::name1, "NAME1"},
    {CProjekt::StdoName2, CDlgProjekt::IDC_S_NAME2, &CAdressTab::name2, "NAME2"},
    {CProjekt::StdoStrasse, CDlgProjekt::IDC_S_STR, &CAdressTab::strasse, "STRASSE"},
    {CProjekt::StdoOrt, CDlgProjekt::IDC_S_ORT, &CAdressTab::ort, "ORT"},
    {CProjekt::StdoPlz, CDlgProjekt::IDC_S_PLZ, &CAdressTab::plz, "PLZ"},
};

std::span<const AddressColumn> AddressColumns(bool recipient) {
    if (recipient) return kRecipientColumns;
    return kSiteColumns;
}

// Typing stops at the width of the address-book column; a longer text from a
// project file stays whole until it is stored in the book.
size_t TypingLimit(int control) {
    for (bool recipient : {true, false})
        for (const AddressColumn& c : AddressColumns(recipient))
            if (c.control == control) return ColumnWidth(kAdresseFields, c.name);
    return 0;
}

std::string WithoutMnemonic(std::string label) {
    std::erase(label, '&');
    return label;
}

void InitCell(CWString& cell, int id) {
    cell.Init(uint16_t(id), 0, 0, 0, fields::KindAny, 0, 0, 0, 0, 0, 0, 0, false);
}

wxButton* AddButton(wxWindow* parent, wxSizer* row, int id, const std::string& label) {
    const int wxId = id == 1 ? int(wxID_OK) : id == 2 ? int(wxID_CANCEL) : id == kHelpCommand ? int(wxID_HELP) : id;
    auto* button = new wxButton(parent, wxId, ToWx(label));
    row->Add(button, 0, wxALL, 3);
    return button;
}

} // namespace

CDlgProjekt::CDlgProjekt(wxWindow* parent, const CProjekt& record)
    : CVxtDialog(IDD, parent, nullptr, 1), projekt(record) {
    Fields().object = &projekt;
    SetTitle(QuorvelLabel(IDS_QV_TITLE_PROJECT));
    Build();
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnDatenbank(); }, IDC_DATENBANK);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnRecipientToDatabase(); }, IDC_E_TO_DB);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSiteToDatabase(); }, IDC_S_TO_DB);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnTessivo(); }, IDC_TESSIVO);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOrvisto(); }, IDC_ORVISTO);
    for (int id : {int(IDC_PICK1), int(IDC_PICK2), int(IDC_FEROLIX)})
        Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnKehrPick(); }, id);
    // Focus events stay with their control: each search field watches its own.
    for (int id : {int(IDC_INDEX1), int(IDC_INDEX2), int(IDC_INDEX3), int(IDC_KDNR)}) {
        auto* edit = dynamic_cast<wxTextCtrl*>(FindWindow(id));
        edit->Bind(wxEVT_KILL_FOCUS, [this, edit](wxFocusEvent& e) {
            e.Skip();
            if (!edit->IsModified()) return;
            edit->DiscardEdits();
            CallAfter([this] { OnSearchIndexChanged(); });
        });
    }
}

void CDlgProjekt::Build() {
    using C = CProjekt;
    auto cell = [this](int id) -> CWString* {
        switch (id) {
        case IDC_NUMMER: return &projekt.cells[C::Nummer];
        case IDC_BEARBEITER: return &projekt.cells[C::Bearbeiter];
        case IDC_DATUM: return &projekt.cells[C::Datum];
        case IDC_KDNR: return &kdnrSearch;
        case IDC_E_NAME1: return &projekt.cells[C::EmpfName1];
        case IDC_E_NAME2: return &projekt.cells[C::EmpfName2];
        case IDC_E_STR: return &projekt.cells[C::EmpfStrasse];
        case IDC_E_PLZ: return &projekt.cells[C::EmpfPlz];
        case IDC_E_ORT: return &projekt.cells[C::EmpfOrt];
        case IDC_E_ANSPRECH: return &projekt.cells[C::EmpfAnsprech];
        case IDC_E_TEL: return &projekt.cells[C::EmpfTel];
        case IDC_E_FAX: return &projekt.cells[C::EmpfFax];
        case IDC_E_HANDY: return &projekt.cells[C::EmpfHandy];
        case IDC_E_EMAIL: return &projekt.cells[C::EmpfEmail];
        case IDC_S_NAME1: return &projekt.cells[C::StdoName1];
        case IDC_S_NAME2: return &projekt.cells[C::StdoName2];
        case IDC_S_STR: return &projekt.cells[C::StdoStrasse];
        case IDC_S_PLZ: return &projekt.cells[C::StdoPlz];
        case IDC_S_ORT: return &projekt.cells[C::StdoOrt];
        case IDC_INDEX1: return &index1;
        case IDC_INDEX2: return &index2;
        case IDC_INDEX3: return &index3;
        }
        return nullptr;
    };
    auto group = [&](wxSizer* into, int groupId, unsigned captionId, const std::vector<Row>& rows) {
        const std::string caption = QuorvelString(captionId);
        auto* box = new wxStaticBoxSizer(new wxStaticBox(this, groupId, ToWx(caption)), wxVERTICAL);
        auto* grid = new wxFlexGridSizer(2, 3, 6);
        grid->AddGrowableCol(1);
        for (size_t i = 0; i < rows.size(); ++i) {
            const Row& row = rows[i];
            // Postcode and town share one line.
            const bool pair = row.id == IDC_E_PLZ || row.id == IDC_S_PLZ;
            grid->Add(new wxStaticText(this, wxID_ANY, QuorvelLabel(row.label)), 0, wxALIGN_CENTER_VERTICAL);
            wxSizer* line = new wxBoxSizer(wxHORIZONTAL);
            for (size_t k = i; k <= (pair ? i + 1 : i); ++k) {
                CWString* value = cell(rows[k].id);
                InitCell(*value, rows[k].id);
                wxWindow* control;
                if (rows[k].kind == Kind::Combo) {
                    auto* combo = new CMyComboBox(value);
                    combo->Create(this, rows[k].id, wxDefaultPosition, wxSize(pair ? 220 : 280, -1), 0);
                    control = combo;
                } else {
                    auto* edit = new CParsedEdit(value);
                    edit->Create(this, rows[k].id, wxDefaultPosition, wxSize(pair ? 60 : 280, -1));
                    edit->SetLimitText(TypingLimit(rows[k].id));
                    control = edit;
                }
                // The town shares the label of its postcode.
                fieldNames_[rows[k].id] = caption + ", " + WithoutMnemonic(QuorvelString(row.label));
                line->Add(control, pair && k == i ? 0 : 1, wxRIGHT, 4);
                RegisterValue(value);
            }
            grid->Add(line, 1, wxEXPAND);
            if (pair) ++i;
        }
        box->Add(grid, 1, wxEXPAND | wxALL, 4);
        into->Add(box, 0, wxEXPAND | wxALL, 4);
        return box;
    };

    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* columns = new wxBoxSizer(wxHORIZONTAL);
    auto* left = new wxBoxSizer(wxVERTICAL);
    auto* right = new wxBoxSizer(wxVERTICAL);
    group(left, 1278, IDS_QV_PRJ_EDITOR_GROUP,
          {{IDC_NUMMER, IDS_QV_PRJ_NUMBER}, {IDC_BEARBEITER, IDS_QV_PRJ_EDITOR, Kind::Combo},
           {IDC_DATUM, IDS_QV_PRJ_DATE}, {IDC_KDNR, IDS_QV_PRJ_CUSTOMER}});
    group(left, 1279, IDS_QV_PRJ_RECIPIENT_GROUP,
          {{IDC_E_NAME1, IDS_QV_PRJ_NAME1}, {IDC_E_NAME2, IDS_QV_PRJ_NAME2}, {IDC_E_STR, IDS_QV_PRJ_STREET},
           {IDC_E_PLZ, IDS_QV_PRJ_PLZ_TOWN}, {IDC_E_ORT, 0, Kind::Combo}, {IDC_E_ANSPRECH, IDS_QV_PRJ_CONTACT},
           {IDC_E_TEL, IDS_QV_PRJ_TELEPHONE}, {IDC_E_FAX, IDS_QV_PRJ_FAX}, {IDC_E_HANDY, IDS_QV_PRJ_MOBILE},
           {IDC_E_EMAIL, IDS_QV_PRJ_EMAIL}});
    auto* arrows = new wxBoxSizer(wxHORIZONTAL);
    AddButton(this, arrows, IDC_TO_SITE, "\xBB");
    AddButton(this, arrows, IDC_TO_RECIPIENT, "\xAB");
    AddButton(this, arrows, IDC_E_TO_DB, QuorvelString(IDS_QV_BTN_TO_DB));
    left->Add(arrows, 0, wxALIGN_CENTER);
    group(right, 1280, IDS_QV_PRJ_SITE_GROUP,
          {{IDC_S_NAME1, IDS_QV_PRJ_SITE_NAME1}, {IDC_S_NAME2, IDS_QV_PRJ_SITE_NAME2},
           {IDC_S_STR, IDS_QV_PRJ_SITE_STREET}, {IDC_S_PLZ, IDS_QV_PRJ_SITE_PLZ_TOWN}, {IDC_S_ORT, 0, Kind::Combo}});
    // The two "In Datenb." read alike: each stands under the address it stores.
    auto* siteButtons = new wxBoxSizer(wxHORIZONTAL);
    AddButton(this, siteButtons, IDC_S_TO_DB, QuorvelString(IDS_QV_BTN_TO_DB));
    right->Add(siteButtons, 0, wxALIGN_RIGHT | wxRIGHT, 4);
    auto* kehr =
        new wxStaticBoxSizer(new wxStaticBox(this, IDC_KEHR_CAPTION, QuorvelLabel(IDS_QV_PRJ_KANDREL_GROUP)), wxVERTICAL);
    auto* kehrGrid = new wxFlexGridSizer(2, 3, 6);
    const std::pair<int, int> indexRows[] = {{IDC_LABEL1, IDC_INDEX1}, {IDC_LABEL2, IDC_INDEX2}, {IDC_LABEL3, IDC_INDEX3}};
    const unsigned indexLabels[] = {IDS_QV_PRJ_INDEX_TOWN, IDS_QV_PRJ_INDEX_STREET, IDS_QV_PRJ_INDEX_HOUSE};
    for (size_t i = 0; i < 3; ++i) {
        kehrGrid->Add(new wxStaticText(this, indexRows[i].first, QuorvelLabel(indexLabels[i])), 0,
                      wxALIGN_CENTER_VERTICAL);
        CWString* value = cell(indexRows[i].second);
        InitCell(*value, indexRows[i].second);
        auto* edit = new CParsedEdit(value);
        edit->Create(this, indexRows[i].second, wxDefaultPosition, wxSize(200, -1));
        kehrGrid->Add(edit, 1, wxEXPAND);
        RegisterValue(value);
    }
    kehr->Add(kehrGrid, 0, wxEXPAND | wxALL, 4);
    auto* picks = new wxBoxSizer(wxHORIZONTAL);
    AddButton(this, picks, IDC_PICK1, QuorvelString(IDS_QV_BTN_OVERVIEW));
    kehr->Add(picks, 0);
    right->Add(kehr, 0, wxEXPAND | wxALL, 4);
    auto* others = new wxBoxSizer(wxHORIZONTAL);
    others->Add(new wxStaticText(this, IDC_ORV_CAPTION, QuorvelLabel(IDS_QV_PRJ_FROM_ORVISTO)), 0,
                wxALIGN_CENTER_VERTICAL | wxALL, 3);
    AddButton(this, others, IDC_ORVISTO, "Orvisto");
    AddButton(this, others, IDC_FEROLIX, "Ferolix");
    AddButton(this, others, IDC_PICK2, QuorvelString(IDS_QV_BTN_OVERVIEW));
    AddButton(this, others, IDC_TESSIVO, QuorvelString(IDS_QV_BTN_FROM_TESSIVO));
    right->Add(others, 0, wxALL, 2);
    columns->Add(left, 1, wxEXPAND);
    columns->Add(right, 1, wxEXPAND);
    top->Add(columns, 1, wxEXPAND);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    AddButton(this, buttons, 1, QuorvelString(IDS_QV_BTN_CONTINUE));
    AddButton(this, buttons, IDC_DATENBANK, QuorvelString(IDS_QV_BTN_DATABASE));
    AddButton(this, buttons, kHelpCommand, QuorvelString(IDS_QV_BTN_HELP_KEY));
    AddButton(this, buttons, 2, QuorvelString(IDS_QV_BTN_CANCEL));
    top->Add(buttons, 0, wxALIGN_CENTER | wxBOTTOM, 4);
    SetSizerAndFit(top);
    GreyHelpButton(this);
    for (int id : {int(IDC_FEROLIX), int(IDC_PICK1), int(IDC_PICK2), int(IDC_KEHR_CAPTION), int(IDC_ORV_CAPTION),
                   int(IDC_LABEL1), int(IDC_LABEL2), int(IDC_LABEL3), int(IDC_INDEX1), int(IDC_INDEX2),
                   int(IDC_INDEX3)})
        FindWindow(id)->Hide();
    helpContext = Profile().GetInt("DLLHelpID", "Projekt", 1);
}

CMyComboBox* CDlgProjekt::EditorCombo() const { return dynamic_cast<CMyComboBox*>(FindWindow(IDC_BEARBEITER)); }

bool CDlgProjekt::OnInitDialog() {
    ShowKehrControls();
    FillEditors();
    StartNewProject();
    CVxtDialog::OnInitDialog();
    RefreshFields(false);
    Layout();
    return true;
}

void CDlgProjekt::ShowKehrControls() {
    CKehrBezirk& kehr = TheQuorvelApp().KehrBezirk();
    const int mode = kehr.Mode();
    if (mode == 3) {
        FindWindow(IDC_FEROLIX)->Show();
        FindWindow(IDC_ORV_CAPTION)->SetLabel(QuorvelLabel(IDS_QV_PRJ_FROM_FEROLIX));
        FindWindow(IDC_ORV_CAPTION)->Show();
    }
    if (mode != 0) FindWindow(IDC_PICK2)->Show();
    if (mode != 1) return;
    threePartIndex_ = kehr.SuchIndex().value_or(0) == 2;
    for (int id : {int(IDC_KEHR_CAPTION), int(IDC_LABEL1), int(IDC_LABEL2), int(IDC_INDEX1), int(IDC_INDEX2),
                   int(IDC_PICK1)})
        FindWindow(id)->Show();
    if (threePartIndex_) {
        FindWindow(IDC_LABEL3)->Show();
        FindWindow(IDC_INDEX3)->Show();
    } else {
        FindWindow(IDC_LABEL1)->SetLabel(QuorvelLabel(IDS_QV_PRJ_RUNNING));
        FindWindow(IDC_LABEL2)->SetLabel(QuorvelLabel(IDS_QV_PRJ_NUMBER_SHORT));
    }
}

void CDlgProjekt::FillEditors() {
    CMyComboBox* combo = EditorCombo();
    for (int i = 0;; ++i) {
        const std::string editor = Profile().GetString("Bearbeiter", Format("%d", i));
        if (editor.empty()) break;
        combo->AddItem(editor);
    }
    std::string& editor = projekt.Text(CProjekt::Bearbeiter);
    if (editor.empty()) editor = Profile().GetString("Bearbeiter", "Letzter");
}

void CDlgProjekt::StartNewProject() {
    std::string& date = projekt.Text(CProjekt::Datum);
    if (!date.empty()) return;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    date = Format("%02d.%02d.%04d", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
    if (Profile().GetInt("Projekt", "Nr", 0) == 0) return;
    const int next = Profile().GetInt("Projekt", "LfdNr", 0) + 1;
    Profile().WriteInt("Projekt", "LfdNr", next);
    projekt.Text(CProjekt::Nummer) = Format("%d", next);
}

long CDlgProjekt::HeightOf(const std::string& plz, const std::string& ort) {
    CPlzOrtTab* places = TheDatenbank().Orte();
    if (!places || !places->IsOpen()) return -99;
    return places->GeoHoehe(plz, ort);
}

void CDlgProjekt::Finish() {
    if (Fields().endCode != 1) {
        CVxtDialog::Finish();
        return;
    }
    if (RefreshFields(true) == 0) return;
    // A date that names no day would be printed as typed: the field says so.
    if (!fields::IsDateText(projekt.Text(CProjekt::Datum))) {
        ShowMessage(QuorvelString(IDS_QV_DATE_EXPECTED), MB_OK | MB_ICONEXCLAMATION);
        if (auto* date = dynamic_cast<wxTextCtrl*>(FindWindow(IDC_DATUM))) {
            date->SetFocus();
            date->SelectAll();
        }
        return;
    }
    // The editor as typed: the combo's own field text keeps only its entries.
    const std::string editor = FromWx(EditorCombo()->GetValue());
    {
        projekt.Text(CProjekt::Bearbeiter) = editor;
        projekt.recipientHeight = double(HeightOf(projekt.Text(CProjekt::EmpfPlz), projekt.Text(CProjekt::EmpfOrt)));
        projekt.siteHeight = double(HeightOf(projekt.Text(CProjekt::StdoPlz), projekt.Text(CProjekt::StdoOrt)));
        SaveEditor();
    }
    CVxtDialog::Finish();
    projekt.Text(CProjekt::Bearbeiter) = editor;
}

void CDlgProjekt::SaveEditor() {
    const std::string& editor = projekt.Text(CProjekt::Bearbeiter);
    if (editor.empty()) return;
    CMyComboBox* combo = EditorCombo();
    bool known = false;
    for (unsigned i = 0; i < combo->GetCount() && !known; ++i) {
        const std::string item = combo->GetItemText(int(i));
        known = item.size() >= editor.size() && EqualNoCase(std::string_view(item).substr(0, editor.size()), editor);
    }
    if (!known) {
        combo->AddItem(editor);
        for (unsigned i = 0; i < combo->GetCount(); ++i)
            Profile().WriteString("Bearbeiter", Format("%d", int(i)), combo->GetItemText(int(i)));
    }
    Profile().WriteString("Bearbeiter", "Letzter", editor);
}

void CDlgProjekt::ShowRecord() {
    RefreshFields(false);
    EditorCombo()->SetFieldText(projekt.Text(CProjekt::Bearbeiter));
}

void CDlgProjekt::OnDatenbank() {
    RefreshFields(true);
    CDlgAdrV2 book(this);
    const int result = CDlgAdr::ResultCode(book.ShowModal());
    CAdressTab* tab = TheDatenbank().Adressen();
    if ((result != 1058 && result != 4) || !tab || !tab->IsOpen()) return;
    auto text = [&](const FieldView& col) { return tab->FeldText(col); };
    using C = CProjekt;
    const bool recipient = result == 1058;
    projekt.Text(recipient ? C::EmpfName1 : C::StdoName1) = text(tab->name1);
    projekt.Text(recipient ? C::EmpfName2 : C::StdoName2) = text(tab->name2);
    projekt.Text(recipient ? C::EmpfStrasse : C::StdoStrasse) = text(tab->strasse);
    projekt.Text(recipient ? C::EmpfPlz : C::StdoPlz) = text(tab->plz);
    projekt.Text(recipient ? C::EmpfOrt : C::StdoOrt) = text(tab->ort);
    if (recipient) {
        projekt.recipientHeight = double(HeightOf(projekt.Text(C::EmpfPlz), projekt.Text(C::EmpfOrt)));
        projekt.Text(C::EmpfTel) = text(tab->telefon);
        projekt.Text(C::EmpfFax) = text(tab->telefax);
        projekt.Text(C::EmpfEmail) = text(tab->email);
        projekt.Text(C::EmpfUrl) = text(tab->url);
        projekt.Text(C::Dummy) = text(tab->dummy);
        projekt.Text(C::EmpfHandy) = text(tab->handy);
        projekt.Text(C::EmpfAnsprech) = text(tab->ansprech);
    } else {
        projekt.siteHeight = double(HeightOf(projekt.Text(C::StdoPlz), projekt.Text(C::StdoOrt)));
    }
    ShowRecord();
    FindWindow(recipient ? IDC_E_NAME1 : IDC_S_NAME1)->SetFocus();
}

bool CDlgProjekt::FitsAddressBook(bool recipient) {
    CAdressTab* tab = TheDatenbank().Adressen();
    for (const AddressColumn& c : AddressColumns(recipient))
        if (SaysAddressWouldBeCut(this, c.control, fieldNames_[c.control], projekt.Text(c.cell),
                                  (tab->*c.column).len()))
            return false;
    return true;
}

int CDlgProjekt::AppendAddress(bool recipient) {
    CDatenbank& db = TheDatenbank();
    CAdressTab* tab = db.Adressen();
    if (db.Fehler() || !tab || !tab->IsOpen()) {
        ShowMessage(QuorvelString(IDS_QV_DB_OPEN_ERROR), MB_OK | MB_ICONEXCLAMATION);
        return -1;
    }
    RefreshFields(true);
    // The book keeps an address whole or not at all.
    if (!FitsAddressBook(recipient)) return -1;
    if (tableAppendBlank(tab->Handle()) != 0) return UpdateFailed();
    for (const AddressColumn& c : AddressColumns(recipient)) tab->SetText(tab->*c.column, projekt.Text(c.cell));
    tab->SetText(tab->name1Soun, SoundexCode(projekt.Text(recipient ? CProjekt::EmpfName1 : CProjekt::StdoName1)));
    // The address is written only here: a full disk shows now, not never.
    if (tableFlush(tab->Handle()) != 0) return UpdateFailed();
    return 0;
}

int CDlgProjekt::UpdateFailed() {
    // The engine has shown its own box; the address book stays usable for the next try.
    vx::EngineContext& ctx = TheDatenbank().Context();
    if (ctx.errorCode < 0) ctx.errorCode = 0;
    ShowMessage(QuorvelString(IDS_QV_UPDATE_FAILED), MB_OK | MB_ICONEXCLAMATION);
    return -1;
}

void CDlgProjekt::OnRecipientToDatabase() { AppendAddress(true); }
void CDlgProjekt::OnSiteToDatabase() { AppendAddress(false); }

void CDlgProjekt::OnTessivo() {
    RefreshFields(true);
    if (ImportAdressAbsFile(TempDir(), projekt)) ShowRecord();
}

bool CDlgProjekt::ClipboardText(std::string& text) {
    wxClipboardLocker lock;
    if (!lock || !wxTheClipboard->IsSupported(wxDF_UNICODETEXT)) return false;
    wxTextDataObject data;
    if (!wxTheClipboard->GetData(data)) return false;
    text = FromWx(data.GetText().Left(64 * 1024));
    return true;
}

void CDlgProjekt::OnOrvisto() {
    std::string text;
    RefreshFields(true);
    const bool got = ClipboardText(text);
    CProjekt taken = projekt;
    if (!got || !ImportOrvistoText(text, taken)) {
        ShowMessage(QuorvelString(IDS_QV_ORVISTO_MISSING), MB_OK | MB_ICONINFORMATION);
        return;
    }
    projekt = taken;
    ShowRecord();
}

void CDlgProjekt::TakeKehrAddress(const std::array<std::string, 9>& b) {
    using C = CProjekt;
    const C::Cell cells[] = {C::EmpfName1, C::EmpfName2, C::EmpfStrasse, C::EmpfOrt, C::StdoName1,
                             C::StdoName2, C::StdoStrasse, C::StdoOrt, C::Nummer};
    for (size_t i = 0; i < 9; ++i) projekt.Text(cells[i]) = b[i];
    SplitAtFirstBlank(projekt.Text(C::EmpfPlz), projekt.Text(C::EmpfOrt));
    SplitAtFirstBlank(projekt.Text(C::StdoPlz), projekt.Text(C::StdoOrt));
    ShowRecord();
}

void CDlgProjekt::OnSearchIndexChanged() {
    CKehrBezirk& kehr = TheQuorvelApp().KehrBezirk();
    if (!kehr.IsLoaded()) return;
    RefreshFields(true);
    std::string first = index1.text;
    if (kehr.Mode() == 2) {
        first = kdnrSearch.text;
        if (const size_t comma = first.find(','); comma != std::string::npos) first[comma] = '.';
    }
    if (auto address = kehr.GetAdresse(first, index2.text, index3.text)) TakeKehrAddress(*address);
}

void CDlgProjekt::OnKehrPick() {
    CKehrBezirk& kehr = TheQuorvelApp().KehrBezirk();
    if (!kehr.IsLoaded()) return;
    RefreshFields(true);
    if (auto address = kehr.GetAdresseDLG()) TakeKehrAddress(*address);
}
