#include "velmora/CVelmoraView.h"

#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "values/CWerte.h"
#include "values/Directories.h"
#include "velmora/CCombVelmora.h"
#include "velmora/CComboWrzTyp.h"
#include "velmora/CVelmoraApp.h"
#include "velmora/CVelmoraDoc.h"
#include "velmora/CommandIds.h"
#include "velmora/FormLists.h"
#include "velmora/VelmoraDialogs.h"
#include "velmora/VelmoraSettings.h"
#include "velmora/shared/CDlgWrzInfo.h"
#include "velmora/shared/CMainFrame.h"
#include "velmora/shared/DialogResources.h"
#include "velmora/shared/QuorvelLibrary.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

wxIMPLEMENT_DYNAMIC_CLASS(CVelmoraView, wxView);

namespace {

// The first view of the process shows the start dialog; later views come
// with a new document that the user asked for.
bool g_StartChoiceShown = false;

} // namespace

CVelmoraView::CVelmoraView() : catalogue_(std::make_unique<CWrzKatalog>(GetDataDir())) {}

CVelmoraView::~CVelmoraView() = default;

CVelmoraDoc* CVelmoraView::Document() const { return wxDynamicCast(GetDocument(), CVelmoraDoc); }

bool CVelmoraView::OnCreate(wxDocument* doc, long flags) {
    if (!wxView::OnCreate(doc, flags)) return false;
    auto* frame = wxDynamicCast(wxTheApp->GetTopWindow(), wxFrame);
    if (!frame) return false;
    SetFrame(frame);
    if (!BuildForm()) return false;
    Activate(true);
    return true;
}

bool CVelmoraView::BuildForm() {
    wxWindow* frame = GetFrame();
    // A window smaller than the form scrolls it, so that "Mach Et" stays within reach.
    auto* scrolled = new wxScrolled<wxPanel>;
    form_ = scrolled;
    if (!LoadVelmoraDialogs() || !wxXmlResource::Get()->LoadPanel(form_, frame, "101")) {
        delete form_;
        form_ = nullptr;
        return false;
    }
    fuel_ = dynamic_cast<wxChoice*>(form_->FindWindow(IDC_FUEL));
    manufacturer_ = dynamic_cast<wxChoice*>(form_->FindWindow(IDC_MANUFACTURER));
    type_ = dynamic_cast<CComboWrzTyp*>(form_->FindWindow(IDC_TYPE));
    system_ = dynamic_cast<CCombVelmora*>(form_->FindWindow(IDC_SYSTEM));
    square_ = dynamic_cast<wxCheckBox*>(form_->FindWindow(IDC_SQUARE));
    moist_ = dynamic_cast<wxCheckBox*>(form_->FindWindow(IDC_MOIST));
    withoutPartLoad_ = dynamic_cast<wxCheckBox*>(form_->FindWindow(IDC_WITHOUT_PART_LOAD));
    hint_ = dynamic_cast<wxStaticText*>(form_->FindWindow(IDC_HINT));
    if (!fuel_ || !manufacturer_ || !type_ || !system_ || !square_ || !moist_ || !withoutPartLoad_ || !hint_) return false;

    // The diagram window takes the placeholder's place in the layout.
    if (CVelmoraDoc* doc = Document()) {
        wxWindow* placeholder = form_->FindWindow(IDC_DIAGRAM);
        wxSizer* sizer = placeholder ? placeholder->GetContainingSizer() : nullptr;
        const wxSize placeholderSize = placeholder ? placeholder->GetMinSize() : wxDefaultSize;
        int slot = -1;
        if (sizer)
            for (size_t i = 0; i < sizer->GetItemCount(); ++i)
                if (sizer->GetItem(i)->GetWindow() == placeholder) slot = int(i);
        form_->Layout();
        doc->diagram.CreateOverControl(form_, IDC_DIAGRAM, wxBORDER_SUNKEN | wxWANTS_CHARS);
        if (auto* diagram = dynamic_cast<wxWindow*>(doc->diagram.Window())) {
            diagram->SetMinSize(placeholderSize);
            if (sizer && slot >= 0) sizer->Insert(size_t(slot), diagram, 1, wxTOP | wxBOTTOM | wxEXPAND | wxRESERVE_SPACE_EVEN_IF_HIDDEN, 8);
            diagram->Hide();
        }
    }

    type_->SetCatalogue(catalogue_.get());
    type_->SetItemHeight(manufacturer_->GetCharHeight() + 6);
    for (const std::string& text : SystemTexts()) system_->AddItem(text);
    for (const std::string& text : FuelTexts()) fuel_->Append(vx::ToWx(text));

    wxString hint = vx::ToWx(vx::LoadString(IDS_FORM_HINT));
    hint.Replace("\r\n", "\n");
    hint_->SetLabel(hint);
    hint_->SetForegroundColour(wxColour(0, 0, 255));
    hint_->SetFont(wxFont(wxFontInfo(wxSize(0, 14)).FaceName(form_->GetFont().GetFaceName())));
    hint_->SetMinSize(hint_->GetBestSize());
    // The frame takes the form's size.
    form_->Layout();
    if (auto* main = dynamic_cast<CMainFrame*>(frame))
        main->FitClientToView(form_->GetBestSize());
    else
        frame->SetClientSize(form_->GetBestSize());
    // Only now: with a scroll rate the form's best size is its least one.
    scrolled->SetScrollRate(10, 10);
    frame->SendSizeEvent();

    fuel_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnSelchangeFuel(); });
    manufacturer_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnSelchangeManufacturer(); });
    type_->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) { OnSelchangeType(); });
    type_->Bind(wxEVT_COMBOBOX_DROPDOWN, [this](wxCommandEvent&) { OnDropdownType(); });
    type_->Bind(wxEVT_COMBOBOX_CLOSEUP, [this](wxCommandEvent&) { OnCloseupType(); });
    type_->Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) {
        OnSetfocusType();
        e.Skip();
    });
    system_->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) { OnSelchangeSystem(); });
    square_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnSelchangeSystem(); });
    moist_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnSelchangeSystem(); });
    withoutPartLoad_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnWithoutPartLoad(); });
    form_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnYRange(true); }, IDC_YRANGE_UP);
    form_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnYRange(false); }, IDC_YRANGE_DOWN);
    // "Mach Et" is the document's computation command.
    form_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PostToFrame(ID_CALCULATE); }, IDC_MACH_ET);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnNewCalculation(); }, ID_NEW_CALCULATION);
    RoutedCommands().insert(ID_NEW_CALCULATION);

    fuel_->SetFocus();
    if (!g_StartChoiceShown) {
        g_StartChoiceShown = true;
        form_->CallAfter([this] {
            // Without the catalogue nothing can be chosen: say so once, naming where it was looked for.
            if (!catalogue_->IsReadable()) vx::ShowMessage(catalogue_->UnreadableMessage());
            OnShowStartChoice();
        });
    }
    return true;
}

bool CVelmoraView::OnClose(bool deleteWindow) {
    if (!wxView::OnClose(deleteWindow)) return false;
    Activate(false);
    if (form_) {
        form_->Destroy();
        form_ = nullptr;
    }
    SetFrame(nullptr);
    return true;
}

void CVelmoraView::OnChangeFilename() {
    wxWindow* frame = GetFrame();
    if (!frame || !GetDocument()) return;
    frame->SetLabel(GetDocument()->GetUserReadableName() + " - " + ProgramFrameTitle());
}

void CVelmoraView::PostToFrame(int id) {
    wxWindow* frame = GetFrame();
    if (!frame) return;
    auto* event = new wxCommandEvent(wxEVT_MENU, id);
    event->SetEventObject(form_);
    wxQueueEvent(frame->GetEventHandler(), event);
}

void CVelmoraView::HideDiagram() {
    if (CVelmoraDoc* doc = Document()) doc->diagram.Show(false);
}

void CVelmoraView::InvalidateResults() {
    g_ResultsValid = 0;
    if (CVelmoraDoc* doc = Document()) doc->resultValid = 0;
}

void CVelmoraView::OnShowStartChoice() {
    const std::optional<int> answer =
        Quorvel().NeuLadenAlt(Program().name, "", vx::LoadString(IDS_START_NEW), "",
                              vx::LoadString(IDS_START_OPEN), kStartIconNew, 0, kStartIconOpen);
    if (!answer) return;
    switch (StartChoiceOfAnswer(*answer)) {
    case StartChoice::ProjectData:
        PostToFrame(ID_PROJECT_DATA);
        break;
    case StartChoice::OpenFile:
        PostToFrame(ID_FILE_OPEN);
        break;
    case StartChoice::OpenLast:
        g_OpenLast = true;
        PostToFrame(wxID_NEW);
        break;
    case StartChoice::Nothing:
        break;
    }
}

void CVelmoraView::FillManufacturers(int fuelPosition) {
    manufacturer_->Clear();
    manufacturerOffsets_.clear();
    for (const WrzManufacturer& m : catalogue_->ReadManufacturers(fuelPosition)) {
        manufacturer_->Append(vx::ToWx(m.name));
        manufacturerOffsets_.push_back(m.offset);
    }
}

void CVelmoraView::OnSelchangeFuel() {
    const int position = fuel_->GetSelection();
    HideDiagram();
    InvalidateResults();
    FillManufacturers(position);
    type_->ClearTypes();
    // The heat generator of the fuel before is no longer the form's choice.
    if (CVelmoraDoc* doc = Document()) doc->ClearHeatGenerator();
    if (catalogue_->IsDataOld()) PostToFrame(ID_ORDER_UPDATE);
}

void CVelmoraView::OnSelchangeManufacturer() {
    const int selected = manufacturer_->GetSelection();
    if (selected < 0 || size_t(selected) >= manufacturerOffsets_.size()) return;
    type_->FillTypes(catalogue_->ReadTypes(manufacturerOffsets_[size_t(selected)]));
    HideDiagram();
    InvalidateResults();
}

void CVelmoraView::OnSelchangeType() {
    const int selected = type_->GetSelection();
    if (selected < 0) return;
    int64_t offset = type_->ItemOffset(selected);
    if (offset < 0) return;
    if (CVelmoraDoc* doc = Document()) doc->ChooseHeatGenerator(*catalogue_, offset);
    HideDiagram();
    InvalidateResults();
}

void CVelmoraView::OnDropdownType() {
    if (!type_->InfoPopup()) type_->PlaceInfoPopup();
    if (CDlgWrzInfo* info = type_->InfoPopup()) info->Show();
}

void CVelmoraView::OnCloseupType() {
    if (CDlgWrzInfo* info = type_->InfoPopup()) info->Hide();
    if (wxWindow* captured = wxWindow::GetCapture(); captured == type_) captured->ReleaseMouse();
}

void CVelmoraView::OnSetfocusType() { type_->PlaceInfoPopup(); }

void CVelmoraView::OnSelchangeSystem() {
    const int selected = system_->GetSelection();
    if (selected < 0) return;
    CVelmoraDoc* doc = Document();
    if (!doc) return;
    int index = selected;
    doc->NewSystemType(index, square_->GetValue() ? 1 : 0, moist_->GetValue() ? 1 : 0);
    system_->SetSelection(index);
    doc->chimney.name.text = SystemText(index);
    HideDiagram();
    InvalidateResults();
}

void CVelmoraView::OnWithoutPartLoad() {
    if (CVelmoraDoc* doc = Document()) doc->partLoad = withoutPartLoad_->GetValue() ? 0 : 1;
    HideDiagram();
    InvalidateResults();
}

void CVelmoraView::OnYRange(bool up) {
    CVelmoraDoc* doc = Document();
    if (!doc || !doc->diagram.Window()) return;
    doc->yRange = doc->diagram.StepSizeCeiling(up);
    doc->drawn = 1;
}

void CVelmoraView::OnNewCalculation() {
    CVelmoraDoc* doc = Document();
    // A changed calculation is not thrown away without a question.
    if (doc && (doc->IsBusy() || !doc->OnSaveModified())) return;
    fuel_->SetSelection(wxNOT_FOUND);
    manufacturer_->SetSelection(wxNOT_FOUND);
    type_->SetSelection(wxNOT_FOUND);
    system_->SetSelection(wxNOT_FOUND);
    type_->ClearTypes();
    HideDiagram();
    InvalidateResults();
    if (doc) {
        // The empty form computes no heat generator of the calculation before.
        doc->ClearHeatGenerator();
        doc->project = CProjekt();
        doc->ForgetFile();
    }
    PostToFrame(ID_PROJECT_DATA);
}

void CVelmoraView::OnUpdate(wxView*, wxObject*) {
    // A new document brings a new view in this framework, so the form is
    // empty already; a loaded one is shown as the user chose it.
    CVelmoraDoc* doc = Document();
    if (!form_ || !doc || reselecting_) return;
    // Only a file just read keeps its diagram range; other updates leave the lists alone.
    // Reading a file updates the views more than once, but one computation
    // serves it: a second would put the file's chosen point back to the start.
    if (doc->heatGenerator.outletDiameter.value > 0 && !doc->resultValid && doc->keepDiagramRange &&
        doc->filesRead != reselectedFile_)
        ReselectFromDocument();
}

void CVelmoraView::ReselectFromDocument() {
    CVelmoraDoc* doc = Document();
    // The handlers below change the document, which updates the views again.
    reselecting_ = true;
    reselectedFile_ = doc->filesRead;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{reselecting_};
    const int position = FuelPositionOf(doc->heatGenerator.fuel.value, doc->heatGenerator.condensing,
                                        fuel_->GetSelection());
    fuel_->SetSelection(position);
    withoutPartLoad_->SetValue(doc->partLoad == 0);
    moist_->SetValue(doc->construction.Regime() == 1);
    square_->SetValue(doc->chimney.shape.value == 1);

    // The type's line is read anew below: keep the names before it resets the heat generator.
    const std::string manufacturerName = doc->heatGenerator.manufacturerName.text;
    const std::string typeName = doc->heatGenerator.typeDesignation.text;
    const std::string systemText = doc->chimney.name.text;
    FillManufacturers(position);
    const int manufacturer = manufacturer_->FindString(vx::ToWx(manufacturerName), true);
    if (manufacturer == wxNOT_FOUND) return;
    manufacturer_->SetSelection(manufacturer);
    type_->FillTypes(catalogue_->ReadTypes(manufacturerOffsets_[size_t(manufacturer)]));
    const int type = type_->FindString(vx::ToWx(typeName), true);
    if (type == wxNOT_FOUND) return;
    type_->SetSelection(type);
    // The file's own heat-generator values stay: reading the catalogue line
    // again would put a since-changed catalogue, or another answer to the
    // open-operation question, into a saved calculation.
    doc->StartCrossSection();
    HideDiagram();
    InvalidateResults();

    const int system = SystemIndexOfText(systemText);
    if (system >= 0) {
        system_->SetSelection(system);
        OnSelchangeSystem();
    }
    PostToFrame(ID_CALCULATE);
}
