#include "tarsilo/CTarsiloDoc.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "tarsilo/TarsiloCommandIds.h"
#include "tarsilo/TarsiloFile.h"
#include "tarsilo/TarsiloHandOver.h"
#include "tarsilo/TarsiloNewDocument.h"
#include "velmora/shared/CDlgGeoHoehe.h"
#include "velmora/shared/CDlgQuerschnitte.h"
#include "velmora/shared/LibraryCommands.h"
#include "velmora/shared/ProgramSettings.h"

#include <wx/app.h>
#include <wx/utils.h>

#include <ctime>

wxIMPLEMENT_DYNAMIC_CLASS(CTarsiloDoc, wxDocument);

namespace {

CTarsiloDoc::ProgressFactory& ProgressFactorySlot() {
    static CTarsiloDoc::ProgressFactory factory;
    return factory;
}

CTarsiloDoc::CommandInstaller& CommandInstallerSlot() {
    static CTarsiloDoc::CommandInstaller installer;
    return installer;
}

void PostToMainWindow(int id) {
    wxWindow* main = wxTheApp->GetTopWindow();
    if (!main) return;
    auto* event = new wxCommandEvent(wxEVT_MENU, id);
    event->SetEventObject(main);
    wxQueueEvent(main->GetEventHandler(), event);
}

} // namespace

void CTarsiloDoc::SetProgressFactory(ProgressFactory factory) { ProgressFactorySlot() = std::move(factory); }
void CTarsiloDoc::SetCommandInstaller(CommandInstaller installer) { CommandInstallerSlot() = std::move(installer); }

CTarsiloDoc::CTarsiloDoc() : library_(std::make_unique<TarsiloLibraryDocument>(*this, *this)) {
    auto route = [this](int id, void (CTarsiloDoc::*handler)(wxCommandEvent&)) {
        Bind(wxEVT_MENU, handler, this, id);
        RoutedCommands().insert(id);
    };
    route(ID_FILE_SAVE, &CTarsiloDoc::OnSave);
    route(ID_FILE_SAVE_AS, &CTarsiloDoc::OnSaveAsCommand);
    route(ID_GEODETIC_HEIGHT, &CTarsiloDoc::OnGeodeticHeight);
    route(ID_CROSS_SECTION_TABLES, &CTarsiloDoc::OnCrossSectionTables);
    route(ID_TARSILO_HAND_OVER, &CTarsiloDoc::HandOverToAurelia);
    Bind(wxEVT_UPDATE_UI, &CTarsiloDoc::OnUpdateHandOver, this, ID_TARSILO_HAND_OVER);
    for (int id : {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_GEODETIC_HEIGHT, ID_CROSS_SECTION_TABLES})
        Bind(wxEVT_UPDATE_UI, &CTarsiloDoc::OnUpdateWhileIdle, this, id);
    InstallLibraryDocumentCommands(*this, *library_,
                                   {ID_ORDER_UPDATE, ID_PROJECT_DATA, ID_TARSILO_REMARKS, ID_PLACE_NAMES},
                                   [this] { return IsComputing(); });
    if (const CommandInstaller& installer = CommandInstallerSlot()) installer(*this);
}

CTarsiloDoc::~CTarsiloDoc() = default;

bool CTarsiloDoc::OnNewDocument() {
    if (IsComputing()) return false;
    if (!wxDocument::OnNewDocument()) return false;
    // The document made at start-up comes before the main window is shown: the
    // start dialog asks for the project instead.
    const wxWindow* main = wxTheApp->GetTopWindow();
    const NewDocumentSteps steps = TarsiloNewDocument::Run(*this, main && main->IsShown(), std::time(nullptr));
    SetPathName("unbenannt");
    Modify(false);
    if (!steps.reopenPath.empty()) {
        const bool opened = TarsiloNewDocument::OpenLastProject(*this, steps.reopenPath, [this](const std::string& path) {
            if (wxDocManager* manager = GetDocumentManager()) manager->AddFileToHistory(vx::ToWxPath(path));
        });
        if (opened) {
            SetPathName(steps.reopenPath);
            ++filesRead;
        }
    }
    if (steps.postProjectData) PostToMainWindow(ID_PROJECT_DATA);
    if (steps.postCatalogueOrder) PostToMainWindow(ID_ORDER_UPDATE);
    UpdateAllViews();
    return true;
}

void CTarsiloDoc::SetPathName(const std::string& name) {
    const std::string path = DocumentPath(name);
    SetTitle(vx::ToWxPath(vx::BaseName(path)));
    SetFilename(vx::ToWxPath(path), true);
}

void CTarsiloDoc::TakeProjectPath(const std::string& path) { TakeNameFromProject(*this, DocumentPath(path)); }

void CTarsiloDoc::DocumentChanged() {
    Modify(true);
    UpdateAllViews();
}

bool CTarsiloDoc::OnSaveModified() {
    if (!IsModified()) return true;
    if (IsComputing()) return false;
    return AskToSaveChanges(*this);
}

bool CTarsiloDoc::SaveAs() {
    if (IsComputing()) return false;
    const std::string path = ChooseSavePath(*this, ".kbv");
    if (path.empty()) return false;
    const wxString file = vx::ToWxPath(path);
    if (!OnSaveDocument(file)) return false;
    SetPathName(path);
    if (wxDocManager* manager = GetDocumentManager()) manager->AddFileToHistory(file);
    return true;
}

bool CTarsiloDoc::OpenCalculation(const wxString& path) {
    if (IsComputing() || !OnSaveModified()) return false;
    if (!OnOpenDocument(path)) return false;
    SetPathName(vx::FromWxPath(path));
    if (wxDocManager* manager = GetDocumentManager()) manager->AddFileToHistory(path);
    UpdateAllViews();
    return true;
}

bool CTarsiloDoc::DoOpenDocument(const wxString& file) {
    if (IsComputing()) return false;
    if (!TarsiloFile::LoadFile(*this, vx::FromWxPath(file))) return false;
    ++filesRead;
    Modify(false);
    UpdateAllViews();
    return true;
}

bool CTarsiloDoc::DoSaveDocument(const wxString& file) {
    if (IsComputing()) return false;
    return TarsiloFile::SaveFile(*this, vx::FromWxPath(file));
}

void CTarsiloDoc::UpdateViews(int hint) {
    TarsiloUpdateHint h(hint);
    UpdateAllViews(nullptr, &h);
}

void CTarsiloDoc::BeginWait() { wxBeginBusyCursor(); }
void CTarsiloDoc::EndWait() {
    if (wxIsBusy()) wxEndBusyCursor();
}

std::unique_ptr<AssignmentProgress> CTarsiloDoc::CreateProgress() {
    if (const ProgressFactory& factory = ProgressFactorySlot())
        if (auto progress = factory(wxTheApp->GetTopWindow())) return progress;
    return CTarsiloDocCore::CreateProgress();
}

void CTarsiloDoc::OnSave(wxCommandEvent&) {
    if (IsComputing()) return;
    // A named table is written even unchanged: the rows' new order after a
    // click on a column header is no change, yet the file keeps that order.
    if (!GetDocumentSaved()) {
        SaveAs();
        return;
    }
    OnSaveDocument(GetFilename());
}

void CTarsiloDoc::OnSaveAsCommand(wxCommandEvent&) {
    if (!IsComputing()) SaveAs();
}

void CTarsiloDoc::OnGeodeticHeight(wxCommandEvent&) {
    if (IsComputing()) return;
    CDlgGeoHoehe dialog(wxTheApp->GetTopWindow(), construction.site.geoHeight.value);
    if (dialog.ShowModal() != wxID_OK) return;
    TarsiloDocCommands::SetGeodeticHeight(*this, dialog.Height());
    DocumentChanged();
}

void CTarsiloDoc::OnCrossSectionTables(wxCommandEvent&) {
    if (IsComputing()) return;
    CDlgQuerschnitte dialog(wxTheApp->GetTopWindow());
    dialog.ShowModal();
    TarsiloDocCommands::ReloadCrossSectionTables();
}

void CTarsiloDoc::HandOverToAurelia(wxCommandEvent&) {
    if (!IsComputing()) TarsiloHandOver::Run(*this, selectedRow ? selectedRow() : -1);
}

void CTarsiloDoc::OnUpdateHandOver(wxUpdateUIEvent& event) {
    event.Enable(!IsComputing() && TarsiloHandOver::Enabled(*this, selectedRow ? selectedRow() : -1));
}

void CTarsiloDoc::OnUpdateWhileIdle(wxUpdateUIEvent& event) { event.Enable(!IsComputing()); }
