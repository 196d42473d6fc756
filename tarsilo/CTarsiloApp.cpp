#include "tarsilo/CTarsiloApp.h"

#include "quorvel/fields/FieldsDeliverable.h"
#include "tarsilo/CTarsiloDoc.h"
#include "tarsilo/CTarsiloPrint.h"
#include "tarsilo/TarsiloCommandIds.h"
#include "tarsilo/TarsiloDocView.h"
#include "tarsilo/TarsiloPrintCommands.h"
#include "tarsilo/TarsiloProgram.h"
#include "velmora/shared/CDlgEroeffnen.h"
#include "velmora/shared/CMainFrame.h"
#include "velmora/shared/LibraryCommands.h"
#include "velmora/shared/ProgramSettings.h"
#include "velmora/shared/QuorvelLibrary.h"

#include <wx/docview.h>

namespace {

CTarsiloDocCore* ActiveCore(void* context) {
    auto* manager = static_cast<wxDocManager*>(*static_cast<wxDocManager**>(context));
    if (!manager) return nullptr;
    return wxDynamicCast(manager->GetCurrentDocument(), CTarsiloDoc);
}

} // namespace

wxDocTemplate* CreateTarsiloTemplate(wxDocManager* manager) {
    return CreateProgramTemplate(manager, wxCLASSINFO(CTarsiloDoc), wxCLASSINFO(TarsiloDocView));
}

CTarsiloApp::CTarsiloApp() : CProgramApp("TARSILO_TEST_CLOSE_MS"), docValues_(&ActiveCore, &docManager_) {}

CTarsiloDoc* CTarsiloApp::ActiveDocument() const {
    return docManager_ ? wxDynamicCast(docManager_->GetCurrentDocument(), CTarsiloDoc) : nullptr;
}

bool CTarsiloApp::OnInit() {
    UseTarsiloProgram();
    StartProgram();
    SetActiveFields(TarsiloFields());
    LoadFieldStrings(TarsiloFields());
    // 5. Revimod.
    OpenRevimod();
    // 6. Quorvel.
    BindQuorvel(Quorvel());
    // 7. The version.
    WriteVersion();
    // 8. The user's firm data.
    CheckFirstStart(Quorvel(), TheUser());
    // 9. The opening picture ends itself after its countdown.
    (new CDlgEroeffnen(nullptr, CDlgEroeffnen::Ending::Destroy))->Show();
    // 10. The fuel table.
    UseTarsiloModel();
    // 11. The document template, the main frame and the program's commands.
    InstallTarsiloWindowParts();
    if (!CreateDocumentTemplate("tarsilo", &CreateTarsiloTemplate)) return false;
    SetDocValueSource(&docValues_);
    RouteCommands();

    // 12. The shell command.
    if (!ProcessShellCommand()) return false;
    ArrangeTestClose();
    return true;
}

void CTarsiloApp::RouteCommands() {
    Route(ID_FILE_NEW, &CTarsiloApp::OnFileNew);
    Route(ID_FILE_OPEN, &CTarsiloApp::OnFileOpen);
    Route(ID_APP_ABOUT, &CTarsiloApp::OnAppAbout);
    InstallLibraryAppCommands(*this, {ID_USER_DATA, ID_TARSILO_FORMULAR}, [] { return CTarsiloPrint::LayoutFile(); });
}

void CTarsiloApp::OnFileNew(wxCommandEvent&) {
    CTarsiloDoc* doc = ActiveDocument();
    if (!doc) {
        docManager_->CreateNewDocument();
        return;
    }
    if (doc->IsComputing() || !doc->OnSaveModified()) {
        g_OpenLast = false;
        return;
    }
    doc->OnNewDocument();
}
