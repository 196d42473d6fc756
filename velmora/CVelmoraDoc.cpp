#include "velmora/CVelmoraDoc.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "values/CWerte.h"
#include "velmora/shared/CDlgGeoHoehe.h"
#include "velmora/CDlgHinweis.h"
#include "velmora/shared/CDlgQuerschnitte.h"
#include "velmora/CDlgXAchse.h"
#include "velmora/CommandIds.h"
#include "velmora/VelmoraPrintCommands.h"
#include "velmora/VelmoraSettings.h"
#include "velmora/shared/DocumentSave.h"
#include "velmora/shared/LibraryCommands.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/eventfilter.h>
#include <wx/filename.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

wxIMPLEMENT_DYNAMIC_CLASS(CVelmoraDoc, wxDocument);

wxBEGIN_EVENT_TABLE(CVelmoraDoc, wxDocument)
    EVT_MENU(ID_CALCULATE, CVelmoraDoc::OnCalculateCommand)
    EVT_BUTTON(ID_CALCULATE, CVelmoraDoc::OnCalculateCommand)
    EVT_MENU(ID_HAND_OVER, CVelmoraDoc::OnHandOverCommand)
    EVT_UPDATE_UI(ID_HAND_OVER, CVelmoraDoc::OnUpdateHandOver)
    EVT_MENU(ID_GEODETIC_HEIGHT, CVelmoraDoc::OnGeodeticHeight)
    EVT_MENU(ID_CROSS_SECTION_TABLES, CVelmoraDoc::OnCrossSectionTables)
    EVT_MENU(ID_CHIMNEY_HEIGHT_RANGE, CVelmoraDoc::OnChimneyHeightRange)
    EVT_MENU(ID_FILE_SAVE, CVelmoraDoc::OnSaveCommand)
    EVT_MENU(ID_FILE_SAVE_AS, CVelmoraDoc::OnSaveAsCommand)
    EVT_UPDATE_UI(ID_FILE_SAVE, CVelmoraDoc::OnUpdateSave)
    EVT_UPDATE_UI(ID_FILE_SAVE_AS, CVelmoraDoc::OnUpdateSave)
wxEND_EVENT_TABLE()

namespace {

// A modal dialog shown while the band is computed (a message, the hint) runs
// a loop of its own; its input may neither start a calculation nor change
// the document, so it passes.
bool InModalDialog(const wxEvent& event) {
    auto* window = wxDynamicCast(event.GetEventObject(), wxWindow);
    auto* dialog = window ? wxDynamicCast(wxGetTopLevelParent(window), wxDialog) : nullptr;
    return dialog && dialog->IsModal();
}

// While a calculation runs, the pump lets window messages through so that
// the window paints; the commands and input of the program's own windows are
// held back, so that nothing starts another calculation or changes the
// document half-way through.
class CalculationEventFilter : public wxEventFilter {
public:
    CalculationEventFilter() { wxEvtHandler::AddFilter(this); }
    ~CalculationEventFilter() override { wxEvtHandler::RemoveFilter(this); }

    int FilterEvent(wxEvent& event) override {
        const wxEventType t = event.GetEventType();
        const bool input = t == wxEVT_MENU || t == wxEVT_BUTTON || t == wxEVT_TOOL || t == wxEVT_COMBOBOX ||
                           t == wxEVT_CHOICE || t == wxEVT_CHECKBOX || t == wxEVT_RADIOBUTTON || t == wxEVT_TEXT ||
                           t == wxEVT_TEXT_ENTER || t == wxEVT_KEY_DOWN || t == wxEVT_CHAR || t == wxEVT_CHAR_HOOK ||
                           t == wxEVT_LEFT_DOWN || t == wxEVT_LEFT_DCLICK || t == wxEVT_RIGHT_DOWN;
        if (!input && t != wxEVT_CLOSE_WINDOW) return Event_Skip;
        if (InModalDialog(event)) return Event_Skip;
        if (input) return Event_Ignore;
        auto& close = static_cast<wxCloseEvent&>(event);
        if (close.CanVeto()) {
            close.Veto();
            return Event_Ignore;
        }
        return Event_Skip;
    }
};

} // namespace

CVelmoraDoc::CVelmoraDoc() {
    RoutedCommands().insert(ID_CALCULATE);
    RoutedCommands().insert(ID_HAND_OVER);
    RoutedCommands().insert(ID_GEODETIC_HEIGHT);
    RoutedCommands().insert(ID_CROSS_SECTION_TABLES);
    RoutedCommands().insert(ID_CHIMNEY_HEIGHT_RANGE);
    RoutedCommands().insert(ID_FILE_SAVE);
    RoutedCommands().insert(ID_FILE_SAVE_AS);
    InstallPrintCommands(*this);
    InstallLibraryDocumentCommands(*this, *this, {ID_ORDER_UPDATE, ID_PROJECT_DATA, ID_REMARKS, ID_PLACE_NAMES},
                                   [this] { return IsBusy(); });
}

void CVelmoraDoc::SiteHeightTaken() {
    resultValid = 0;
    g_ResultsValid = 0;
    ShowDiagram(false);
}

void CVelmoraDoc::DocumentChanged() {
    Modify(true);
    UpdateAllViews();
}

bool CVelmoraDoc::OnNewDocument() {
    if (IsBusy()) return false;
    if (!wxDocument::OnNewDocument()) return false;
    if (g_OpenLast) {
        // Without a last project, or when it cannot be read, the program still
        // has its one document: an empty one.
        g_OpenLast = false;
        const std::string last = LastProjectPath();
        if (!last.empty()) {
            SetPathName(last);
            if (OnOpenDocument(GetFilename())) {
                if (wxDocManager* manager = GetDocumentManager()) manager->AddFileToHistory(GetFilename());
                return true;
            }
        }
    }
    SetPathName("unbenannt");
    ResetDocument();
    Modify(false);
    UpdateAllViews(nullptr, nullptr);
    return true;
}

void CVelmoraDoc::SetPathName(const std::string& name) {
    const std::string path = DocumentPath(name);
    // The title first: the views show it when told of the new name.
    SetTitle(vx::ToWxPath(vx::BaseName(path)));
    SetFilename(vx::ToWxPath(path), true);
}

void CVelmoraDoc::TakeProjectName(const std::string& name) {
    const std::string file = ProjectDocumentName(name, ".kfx");
    if (!file.empty()) TakeNameFromProject(*this, DocumentPath(file));
}

bool CVelmoraDoc::IsModified() const {
    // Comparing serialises the document, which leaves it as it was.
    return wxDocument::IsModified() || const_cast<CVelmoraDoc*>(this)->DiffersFromFile();
}

void CVelmoraDoc::Modify(bool modified) {
    if (!modified) TakeFileImage();
    wxDocument::Modify(modified);
}

bool CVelmoraDoc::OnSaveModified() {
    if (!IsModified()) return true;
    if (IsBusy()) return false;
    return AskToSaveChanges(*this);
}

bool CVelmoraDoc::SaveAs() {
    if (IsBusy()) return false;
    const std::string path = ChooseSavePath(*this, ".kfx");
    if (path.empty()) return false;
    const wxString file = vx::ToWxPath(path);
    if (!OnSaveDocument(file)) return false;
    SetTitle(vx::ToWxPath(vx::BaseName(path)));
    SetFilename(file, true);
    if (wxDocManager* manager = GetDocumentManager()) manager->AddFileToHistory(file);
    return true;
}

void CVelmoraDoc::ForgetFile() {
    SetPathName("unbenannt");
    SetDocumentSaved(false);
    // A new calculation is unchanged until the user changes it.
    Modify(false);
}

void CVelmoraDoc::OnSaveCommand(wxCommandEvent&) {
    if (!IsBusy()) Save();
}

void CVelmoraDoc::OnSaveAsCommand(wxCommandEvent&) {
    if (!IsBusy()) SaveAs();
}

void CVelmoraDoc::OnUpdateSave(wxUpdateUIEvent& event) { event.Enable(!IsBusy()); }

bool CVelmoraDoc::OpenCalculation(const wxString& path) {
    if (IsBusy() || !OnSaveModified()) return false;
    if (!OnOpenDocument(path)) return false;
    // Told again with the new title: the frame shows the title, not the path.
    SetTitle(vx::ToWxPath(vx::BaseName(vx::FromWxPath(path))));
    SetFilename(path, true);
    if (wxDocManager* manager = GetDocumentManager()) manager->AddFileToHistory(path);
    UpdateAllViews();
    return true;
}

void CVelmoraDoc::OnCalculateCommand(wxCommandEvent&) {
    if (IsBusy()) return;
    CalculationEventFilter hold;
    OnCalculate();
}

void CVelmoraDoc::OnHandOverCommand(wxCommandEvent&) {
    if (IsBusy()) return;
    HandOverToAurelia();
}

void CVelmoraDoc::OnUpdateHandOver(wxUpdateUIEvent& event) { event.Enable(!IsBusy() && HandOverEnabled()); }

void CVelmoraDoc::OnGeodeticHeight(wxCommandEvent&) {
    if (IsBusy()) return;
    CDlgGeoHoehe dialog(wxTheApp->GetTopWindow(), construction.site.geoHeight.value);
    if (dialog.ShowModal() != wxID_OK) return;
    SetGeodeticHeight(dialog.Height());
    Modify(true);
    UpdateAllViews();
}

void CVelmoraDoc::OnCrossSectionTables(wxCommandEvent&) {
    if (IsBusy()) return;
    CDlgQuerschnitte dialog(wxTheApp->GetTopWindow());
    dialog.ShowModal();
    ReloadCrossSectionTables();
}

void CVelmoraDoc::OnChimneyHeightRange(wxCommandEvent&) {
    if (IsBusy()) return;
    CDlgXAchse dialog(wxTheApp->GetTopWindow());
    if (dialog.ShowModal() != wxID_OK) return;
    const HeightRange& r = dialog.Range();
    SetHeightRange(r.start, r.step, r.end);
    UpdateAllViews();
}

void CVelmoraDoc::ShowHint() {
    CDlgHinweis dialog(wxTheApp->GetTopWindow());
    dialog.ShowModal();
}

void CVelmoraDoc::BeginWait() { wxBeginBusyCursor(); }

void CVelmoraDoc::EndWait() { wxEndBusyCursor(); }

bool CVelmoraDoc::DoOpenDocument(const wxString& file) {
    if (IsBusy()) return false;
    if (!LoadCalculationFile(vx::FromWxPath(file))) return false;
    Modify(false);
    UpdateAllViews();
    return true;
}

bool CVelmoraDoc::DoSaveDocument(const wxString& file) {
    if (IsBusy()) return false;
    return SaveCalculationFile(vx::FromWxPath(file));
}
