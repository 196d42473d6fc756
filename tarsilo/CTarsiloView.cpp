#include "tarsilo/CTarsiloView.h"

#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "quorvel/fields/CMyComboBox.h"
#include "quorvel/fields/CParsedEdit.h"
#include "quorvel/fields/FieldEvent.h"
#include "quorvel/fields/FieldMessages.h"
#include "tarsilo/CTarsiloDoc.h"
#include "tarsilo/ResultRowOrder.h"
#include "tarsilo/TarsiloCommandIds.h"
#include "tarsilo/TarsiloText.h"
#include "velmora/shared/CDlgWrzInfo.h"
#include "velmora/shared/CMainFrame.h"
#include "velmora/shared/ProgramSettings.h"
#include "velmora/shared/QuorvelLibrary.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/tooltip.h>

#include <algorithm>
#include <iterator>

namespace {

constexpr int kColumnWidths[CTarsiloView::kColumnCount] = {75, 100, 120, 80, 0};
constexpr int kStartIconNew = 192, kStartIconOpen = 193;
const char* const kShapes[] = {"rund", "quadratisch", "rechteckig", "oval"};

} // namespace

CTarsiloView::CTarsiloView(wxWindow* parent, CTarsiloDoc& doc) : CVxtFormView(parent, nullptr, 1), doc_(doc) {
    RegisterId(IDC_LABEL_BASIS);
    RegisterId(IDC_MANUFACTURER_LABEL);
    RegisterId(IDC_RESULT_LABEL);
    Build();
}

CTarsiloView::~CTarsiloView() = default;

void CTarsiloView::Build() {
    auto label = [this](int id, const std::string& text) { return new wxStaticText(this, id, vx::ToWx(text)); };
    CWDouble* values[5] = {&doc_.outputFrom, &doc_.outputTo, &doc_.effectiveHeight, &doc_.sectionSize,
                           &doc_.secondSide};
    const int ids[5] = {IDC_OUTPUT_FROM, IDC_OUTPUT_TO, IDC_EFFECTIVE_HEIGHT, IDC_SECTION_SIZE, IDC_SECOND_SIDE};
    for (int i = 0; i < 5; ++i) {
        // The value names its field: the host finds the control by it.
        values[i]->valueId = uint16_t(ids[i]);
        edits_[i] = new CParsedEdit(values[i]);
        edits_[i]->Create(this, ids[i], wxDefaultPosition, wxSize(70, -1));
    }
    fuel_ = new wxChoice(this, IDC_FUEL);
    system_ = new CMyComboBox(nullptr);
    system_->Create(this, IDC_SYSTEM, wxDefaultPosition, wxSize(260, -1));
    fu_ = new wxCheckBox(this, IDC_FU, vx::ToWx(vx::LoadString(IDS_VIEW_FU)));
    shape_ = new wxChoice(this, IDC_SHAPE);
    for (const char* s : kShapes) shape_->Append(vx::ToWx(s));
    sizeLabel_ = label(IDC_SIZE_LABEL, vx::LoadString(IDS_VIEW_SIZE));
    times_ = label(IDC_TIMES, "X");
    auto* machEt = new wxButton(this, IDC_MACH_ET, vx::ToWx(vx::LoadString(IDS_VIEW_MACH_ET)));
    manufacturers_ = new wxCheckListBox(this, IDC_MANUFACTURERS, wxDefaultPosition, wxSize(220, 160));
    auto* all = new wxButton(this, IDC_ALL, vx::ToWx(vx::LoadString(IDS_VIEW_ALL)));
    auto* none = new wxButton(this, IDC_NONE, vx::ToWx(vx::LoadString(IDS_VIEW_NONE)));
    withoutPartLoad_ =
        new wxCheckBox(this, IDC_WITHOUT_PART_LOAD, vx::ToWx(vx::LoadString(IDS_VIEW_WITHOUT_PART_LOAD)));
    results_ = new CVxtListCtrl(this, IDC_RESULTS, wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_SUNKEN);
    results_->SetMinSize(wxSize(400, 200));
    rowCount_ = new wxStaticText(this, IDC_ROW_COUNT, "0");
    showInfo_ = new wxCheckBox(this, IDC_SHOW_INFO, vx::ToWx(vx::LoadString(IDS_VIEW_SHOW_INFO)));

    auto* grid = new wxFlexGridSizer(2, 4, 8);
    auto row = [&](wxWindow* l, wxWindow* c) {
        grid->Add(l, 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(c, 0, wxALIGN_CENTER_VERTICAL);
    };
    auto withUnit = [&](wxWindow* c, const char* unit) {
        auto* s = new wxBoxSizer(wxHORIZONTAL);
        s->Add(c, 0, wxALIGN_CENTER_VERTICAL);
        s->Add(new wxStaticText(this, wxID_ANY, vx::ToWx(unit)), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
        return s;
    };
    wxStaticText* fromLabel = label(wxID_ANY, vx::LoadString(IDS_VIEW_OUTPUT_FROM));
    grid->Add(fromLabel, 0, wxALIGN_CENTER_VERTICAL);
    auto* range = withUnit(edits_[0], "kW");
    wxStaticText* toLabel = label(wxID_ANY, vx::LoadString(IDS_VIEW_OUTPUT_TO));
    range->Add(toLabel, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 12);
    range->Add(edits_[1], 0, wxLEFT, 4);
    range->Add(new wxStaticText(this, wxID_ANY, "kW"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    grid->Add(range);
    wxStaticText* fuelLabel = label(wxID_ANY, vx::LoadString(IDS_VIEW_FUEL));
    row(fuelLabel, fuel_);
    auto* systemRow = new wxBoxSizer(wxHORIZONTAL);
    systemRow->Add(system_);
    systemRow->Add(fu_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 8);
    wxStaticText* systemLabel = label(wxID_ANY, vx::LoadString(IDS_VIEW_SYSTEM));
    grid->Add(systemLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(systemRow);
    wxStaticText* heightLabel = label(wxID_ANY, vx::LoadString(IDS_VIEW_HEIGHT));
    grid->Add(heightLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(withUnit(edits_[2], "m"));
    wxStaticText* shapeLabel = label(wxID_ANY, vx::LoadString(IDS_VIEW_SHAPE));
    row(shapeLabel, shape_);
    auto* sizeRow = new wxBoxSizer(wxHORIZONTAL);
    sizeRow->Add(edits_[3]);
    sizeRow->Add(times_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 4);
    sizeRow->Add(edits_[4]);
    grid->Add(sizeLabel_, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(sizeRow);

    auto* left = new wxBoxSizer(wxVERTICAL);
    wxStaticText* basisLabel = label(IDC_LABEL_BASIS, vx::LoadString(IDS_VIEW_BASIS));
    left->Add(basisLabel, 0, wxBOTTOM, 6);
    left->Add(grid);
    left->Add(machEt, 0, wxTOP, 10);

    auto* right = new wxBoxSizer(wxVERTICAL);
    wxStaticText* makerLabel = label(IDC_MANUFACTURER_LABEL, vx::LoadString(IDS_VIEW_MANUFACTURER));
    right->Add(makerLabel, 0, wxBOTTOM, 4);
    right->Add(manufacturers_, 1, wxEXPAND);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(all);
    buttons->Add(none, 0, wxLEFT, 6);
    right->Add(buttons, 0, wxTOP, 4);
    right->Add(withoutPartLoad_, 0, wxTOP, 4);

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(left, 0, wxALL, 8);
    top->Add(right, 1, wxALL | wxEXPAND, 8);

    auto* bottom = new wxBoxSizer(wxVERTICAL);
    wxStaticText* resultLabel = label(IDC_RESULT_LABEL, vx::LoadString(IDS_VIEW_RESULT));
    bottom->Add(resultLabel, 0, wxBOTTOM, 4);
    bottom->Add(results_, 1, wxEXPAND);
    auto* countRow = new wxBoxSizer(wxHORIZONTAL);
    countRow->Add(new wxStaticText(this, wxID_ANY, vx::ToWx(vx::LoadString(IDS_VIEW_COUNT))), 0,
                  wxALIGN_CENTER_VERTICAL);
    countRow->Add(rowCount_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    countRow->AddStretchSpacer();
    countRow->Add(showInfo_, 0, wxALIGN_CENTER_VERTICAL);
    bottom->Add(countRow, 0, wxEXPAND | wxTOP, 4);

    auto* all_ = new wxBoxSizer(wxVERTICAL);
    all_->Add(top, 0, wxEXPAND);
    all_->Add(bottom, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
    SetSizer(all_);

    // Tab order and the labels' letters run through the form as it reads: a
    // label's letter leads to the control after it.
    wxWindow* const order[] = {basisLabel,  fromLabel,   edits_[0], toLabel,   edits_[1],    fuelLabel,
                               fuel_,       systemLabel, system_,   fu_,       heightLabel,  edits_[2],
                               shapeLabel,  shape_,      sizeLabel_, edits_[3], times_,      edits_[4],
                               machEt,      makerLabel,  manufacturers_, all,  none,         withoutPartLoad_,
                               resultLabel, results_,    rowCount_, showInfo_};
    for (size_t i = 1; i < std::size(order); ++i) order[i]->MoveAfterInTabOrder(order[i - 1]);

    fuel_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnFuelChange(); });
    system_->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent& e) {
        e.Skip();
        CallAfter([this] { OnSystemChange(); });
    });
    fu_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnSystemChange(); });
    shape_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnShapeChange(); });
    machEt->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnMachEt(); });
    all->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAlle(); });
    none->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnKeiner(); });
    manufacturers_->Bind(wxEVT_CHECKLISTBOX, [this](wxCommandEvent&) { TakeManufacturerChecks(); });
    // A name wider than the list is cut at its edge: the line pointed at shows it whole.
    manufacturers_->Bind(wxEVT_MOTION, [this](wxMouseEvent& e) {
        e.Skip();
        const int line = manufacturers_->HitTest(e.GetPosition());
        const wxString name = line != wxNOT_FOUND ? manufacturers_->GetString(unsigned(line)) : wxString();
        wxToolTip* tip = manufacturers_->GetToolTip();
        if (name.empty())
            manufacturers_->UnsetToolTip();
        else if (!tip || tip->GetTip() != name)
            manufacturers_->SetToolTip(name);
    });
    withoutPartLoad_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnOhneTeillast(); });
    showInfo_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnInfoAnzeigen(); });
    results_->Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent& e) { OnHeaderClick(e.GetColumn()); });
    results_->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& e) {
        e.Skip();
        ShowHeatGeneratorInfo();
    });
    results_->Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) {
        e.Skip();
        CallAfter([this] { ShowHeatGeneratorInfo(); });
    });
    results_->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
        e.Skip();
        if (info_) info_->Hide();
    });
}

void CTarsiloView::OnInitialUpdate() {
    if (initialised_) return;
    initialised_ = true;
    for (int c = 0; c < kColumnCount; ++c) {
        const std::string header = vx::LoadString(unsigned(IDS_FIRST_COLUMN + c));
        results_->AppendColumn(vx::ToWx(header), c == 3 || c == 4 ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT,
                               kColumnWidths[c]);
    }
    for (unsigned id = IDS_FIRST_FUEL; id < IDS_FIRST_FUEL + 13; ++id) fuel_->Append(vx::ToWx(vx::LoadString(id)));
    FillSystems();
    for (CParsedEdit* edit : edits_) RegisterObject(edit->value);

    info_ = new CDlgWrzInfo;
    if (!info_->Create(this)) {
        delete info_;
        info_ = nullptr;
    }
    InitFields();
    infoChecked_ = vx::Profile().GetInt("Global", "Info", 0) != 0;
    OnDocumentUpdate();
    if (wxWindow* frame = wxGetTopLevelParent(this)) {
        Layout();
        if (auto* main = dynamic_cast<CMainFrame*>(frame))
            main->FitClientToView(GetBestSize());
        else
            frame->SetClientSize(GetBestSize());
    }
    CallAfter([this] { OnStartDialog(); });
}

void CTarsiloView::FillSystems() {
    system_->Clear();
    for (unsigned id = IDS_FIRST_SYSTEM; id < IDS_FIRST_SYSTEM + 21; ++id) system_->AddItem(vx::LoadString(id));
}

void CTarsiloView::OnDocumentUpdate() {
    withoutPartLoadChecked_ = doc_.partLoad == 0;
    DoDataExchange(false);
    FillManufacturers();
    RefreshFields(false);
    updating_ = true;
    SetShapeTexts(false);
    updating_ = false;
    FillResultList();
    // A file read brings rows without catalogue places: its first click tells so again.
    if (doc_.filesRead != filesSeen_) {
        filesSeen_ = doc_.filesRead;
        noOffset_ = false;
    }
}

void CTarsiloView::DoDataExchange(bool save) {
    if (save) {
        infoChecked_ = showInfo_->GetValue();
        withoutPartLoadChecked_ = withoutPartLoad_->GetValue();
        doc_.fuelIndex = fuel_->GetSelection();
        doc_.shape = shape_->GetSelection() < 0 ? 0 : shape_->GetSelection();
        doc_.system = system_->GetSelection();
        doc_.fu = fu_->GetValue() ? 1 : 0;
    } else {
        showInfo_->SetValue(infoChecked_);
        withoutPartLoad_->SetValue(withoutPartLoadChecked_);
        fuel_->SetSelection(doc_.fuelIndex >= 0 && doc_.fuelIndex < int(fuel_->GetCount()) ? doc_.fuelIndex : wxNOT_FOUND);
        shape_->SetSelection(doc_.shape >= 0 && doc_.shape < int(shape_->GetCount()) ? doc_.shape : 0);
        system_->SetSelection(doc_.system >= 0 && doc_.system < int(system_->GetCount()) ? doc_.system : wxNOT_FOUND);
        fu_->SetValue(doc_.fu != 0);
    }
}

void CTarsiloView::FillManufacturers() {
    manufacturers_->Clear();
    for (const ManufacturerItem& m : doc_.manufacturers) {
        const int at = manufacturers_->Append(vx::ToWx(m.name));
        manufacturers_->Check(unsigned(at), m.selected);
    }
}

void CTarsiloView::TakeManufacturerChecks() {
    for (size_t i = 0; i < doc_.manufacturers.size() && i < manufacturers_->GetCount(); ++i)
        doc_.manufacturers[i].selected = manufacturers_->IsChecked(unsigned(i));
}

void CTarsiloView::FillResultList() {
    results_->Freeze();
    results_->DeleteAllItems();
    for (size_t i = 0; i < doc_.rows.size(); ++i) {
        const AssignmentRow& r = doc_.rows[i];
        const long at = results_->InsertItem(long(i), vx::ToWx(r.columns[0]));
        for (int c = 1; c < kColumnCount; ++c) results_->SetItem(at, c, vx::ToWx(r.columns[c]));
        results_->SetItemData(at, long(i));
    }
    results_->Thaw();
    FitColumns();
    ShowRowCount();
}

void CTarsiloView::FitColumns() {
    // A column is never narrower than its header and its texts; the hidden
    // offset column stays hidden.
    constexpr int kMargin = 16;
    for (int c = 0; c < kColumnCount - 1; ++c) {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT);
        results_->GetColumn(c, column);
        int needed = results_->GetTextExtent(column.GetText()).x;
        for (const AssignmentRow& r : doc_.rows) needed = std::max(needed, results_->GetTextExtent(vx::ToWx(r.columns[c])).x);
        if (results_->GetColumnWidth(c) < needed + kMargin) results_->SetColumnWidth(c, needed + kMargin);
    }
}

void CTarsiloView::ShowRowCount() { rowCount_->SetLabel(vx::ToWx(vx::Format("%d", int(doc_.rows.size())))); }

void CTarsiloView::DeleteRows() {
    doc_.rows.clear();
    doc_.results.clear();
    results_->DeleteAllItems();
    if (info_) info_->Hide();
    ShowRowCount();
}

int CTarsiloView::SelectedRow() const {
    const long item = results_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    return item < 0 || size_t(item) >= doc_.rows.size() ? -1 : int(item);
}

void CTarsiloView::OnFuelChange() {
    RefreshFields(true);
    DoDataExchange(true);
    doc_.manufacturers.clear();
    if (doc_.fuelIndex >= 0)
        for (const WrzManufacturer& m : doc_.catalogue.ReadManufacturers(doc_.fuelIndex))
            doc_.manufacturers.push_back({m.name, m.offset, false});
    FillManufacturers();
    doc_.fuelName = doc_.fuelIndex >= 0 ? vx::FromWx(fuel_->GetString(unsigned(doc_.fuelIndex))) : std::string();
    DeleteRows();
    if (doc_.catalogue.IsDataOld()) PostCommand(ID_ORDER_UPDATE);
}

void CTarsiloView::OnSystemChange() {
    RefreshFields(true);
    DoDataExchange(true);
    if (doc_.system < 0) return;
    // A group heading stands for the first system under it.
    if (system_->GetItemText(doc_.system).rfind('@', 0) == 0 && doc_.system + 1 < int(system_->GetCount())) {
        ++doc_.system;
        system_->SetSelection(doc_.system);
        system_->currentSelection = doc_.system;
    }
    doc_.ApplySystem();
    doc_.resultValid = 0;
    DeleteRows();
    RefreshFields(false);
}

void CTarsiloView::OnShapeChange() {
    RefreshFields(true);
    DoDataExchange(true);
    SetShapeTexts(!updating_);
}

void CTarsiloView::SetShapeTexts(bool deleteRows) {
    const int shape = doc_.shape;
    const bool twoSides = shape == 2 || shape == 3;
    sizeLabel_->SetLabel(vx::ToWx(vx::LoadString(shape == 0 ? IDS_LABEL_DIAMETER : IDS_LABEL_INNER_WIDTH)));
    times_->Show(twoSides);
    edits_[4]->Show(twoSides);
    const unsigned header = shape == 0 ? IDS_HEADER_DIAMETER : shape == 1 ? IDS_HEADER_EDGE : IDS_HEADER_LENGTH_WIDTH;
    wxListItem column;
    column.SetMask(wxLIST_MASK_TEXT);
    column.SetText(vx::ToWx(vx::LoadString(header)));
    results_->SetColumn(0, column);
    FitColumns();
    Layout();
    if (deleteRows) DeleteRows();
}

void CTarsiloView::OnAlle() {
    for (unsigned i = 0; i < manufacturers_->GetCount(); ++i) manufacturers_->Check(i, true);
    TakeManufacturerChecks();
}

void CTarsiloView::OnKeiner() {
    for (unsigned i = 0; i < manufacturers_->GetCount(); ++i) manufacturers_->Check(i, false);
    TakeManufacturerChecks();
}

void CTarsiloView::OnOhneTeillast() {
    RefreshFields(true);
    DoDataExchange(true);
    doc_.partLoad = withoutPartLoadChecked_ ? 0 : 1;
    DeleteRows();
    doc_.resultValid = 0;
}

void CTarsiloView::OnInfoAnzeigen() {
    RefreshFields(true);
    DoDataExchange(true);
    vx::Profile().WriteInt("Global", "Info", infoChecked_ ? 1 : 0);
    results_->SetFocus();
}

void CTarsiloView::OnMachEt() {
    if (doc_.IsComputing()) return;
    RefreshFields(true);
    DoDataExchange(true);
    if (doc_.fuelIndex < 0) {
        // Without a fuel there are no manufacturers to choose from.
        vx::ShowMessage(vx::LoadString(IDS_CHOOSE_FUEL), vx::MB_OK | vx::MB_ICONEXCLAMATION);
        fuel_->SetFocus();
        return;
    }
    TakeManufacturerChecks();
    results_->Hide();
    if (info_) info_->Hide();
    doc_.ComputeAssignmentTable();
    results_->Show();
    // A layout while the list was hidden gave its room to the lines below it.
    Layout();
    RefreshFields(false);
    SortResultRows(doc_.rows, g_ResultSortMode);
    FillResultList();
    noOffset_ = false;
    // The field the computation stopped at takes the keyboard.
    if (wxWindow* field = doc_.failedInput ? FindWindow(doc_.failedInput) : nullptr) {
        field->SetFocus();
        if (auto* edit = dynamic_cast<CParsedEdit*>(field)) edit->SelectAll();
    }
}

bool CTarsiloView::OnFieldMessage(FieldEvent& event) {
    // An error in the message strip names its field.
    if (event.message == fieldmsg::ShowText && event.wParam == 1 && event.value && !event.text.empty())
        for (CParsedEdit* edit : edits_)
            if (edit && edit->value == event.value) {
                const std::string name = doc_.InputName(edit->GetId());
                if (!name.empty() && event.text.rfind(name, 0) != 0) event.text = name + ": " + event.text;
                break;
            }
    return CVxtFormView::OnFieldMessage(event);
}

void CTarsiloView::OnHeaderClick(int column) {
    if (column < 0 || column >= kColumnCount) return;
    g_ResultSortMode = column;
    SortResultRows(doc_.rows, column);
    FillResultList();
}

void CTarsiloView::OnListKeyUp(wxWindow* list) {
    if (list == results_) ShowHeatGeneratorInfo();
}

void CTarsiloView::ShowHeatGeneratorInfo() {
    if (!info_) return;
    const int row = SelectedRow();
    if (row < 0 || !infoChecked_ || noOffset_) {
        info_->Hide();
        return;
    }
    int64_t offset = doc_.rows[size_t(row)].CatalogueOffset();
    if (offset < 0) {
        noOffset_ = true;
        info_->Hide();
        vx::ShowMessage(vx::LoadString(IDS_ROW_NOT_COMPUTED), vx::MB_OK | vx::MB_ICONINFORMATION);
        return;
    }
    WrzEntry entry;
    if (doc_.catalogue.LoadEntry(entry, offset, {}, CWrzKatalog::OpenOperation::Closed) != CWrzKatalog::kLoaded) {
        info_->Hide();
        return;
    }
    info_->FillFromHeatGenerator(entry);
    PlaceInfoWindow();
    info_->Show();
    info_->Raise();
}

void CTarsiloView::PlaceInfoWindow() {
    // Centred over the list, its bottom on the list's top edge.
    const wxRect list = results_->GetRect();
    const wxSize size = info_->GetBestSize();
    info_->SetSize(list.x + (list.width - size.x) / 2, std::max(0, list.y - size.y), size.x, size.y);
}

void CTarsiloView::OnStartDialog() {
    const std::optional<int> answer =
        Quorvel().NeuLadenAlt(Program().name, "", vx::LoadString(IDS_START_NEW), "", vx::LoadString(IDS_START_OPEN),
                              kStartIconNew, 0, kStartIconOpen);
    if (answer) OnStartAnswer(*answer);
}

void CTarsiloView::OnStartAnswer(int answer) {
    switch (answer) {
    case 10: PostCommand(ID_PROJECT_DATA); break;
    case 12: PostCommand(ID_FILE_OPEN); break;
    case 13:
        g_OpenLast = true;
        if (wxWindow* main = wxTheApp->GetTopWindow()) {
            wxCommandEvent event(wxEVT_MENU, ID_FILE_NEW);
            event.SetEventObject(main);
            main->GetEventHandler()->ProcessEvent(event);
        }
        break;
    default: break;
    }
}

void CTarsiloView::PostCommand(int id) {
    wxWindow* main = wxTheApp->GetTopWindow();
    if (!main) return;
    auto* event = new wxCommandEvent(wxEVT_MENU, id);
    event->SetEventObject(this);
    wxQueueEvent(main->GetEventHandler(), event);
}
