#include "velmora/CVelmoraApp.h"

#include "model/FuelTable.h"
#include "model/ModelText.h"
#include "velmora/CVelmoraDoc.h"
#include "velmora/CVelmoraView.h"
#include "velmora/CommandIds.h"
#include "velmora/QuorvelCommands.h"
#include "velmora/VelmoraSettings.h"
#include "velmora/shared/CDlgEroeffnen.h"
#include "velmora/shared/CMainFrame.h"
#include "velmora/shared/QuorvelLibrary.h"

#include <wx/docview.h>
#include <wx/evtloop.h>

wxDocTemplate* CreateVelmoraTemplate(wxDocManager* manager) {
    return CreateProgramTemplate(manager, wxCLASSINFO(CVelmoraDoc), wxCLASSINFO(CVelmoraView));
}

CVelmoraApp::CVelmoraApp() : CProgramApp("VELMORA_TEST_CLOSE_MS") {}

bool CVelmoraApp::OnInit() {
    UseVelmoraProgram();
    StartProgram();
    // 5. The version.
    WriteVersion();
    // 6. Revimod.
    OpenRevimod();
    // 7. Quorvel.
    BindQuorvel(Quorvel());
    // 8. The user's firm data.
    CheckFirstStart(Quorvel(), TheUser());
    // 9. The opening dialog, once the frame it belongs to exists (below).
    // 10. The fuel table, and the pump that lets the windows paint during a calculation.
    SetModelProgram(ModelProgram::Velmora);
    FillFuelTable(VelmoraFuelRows());
    SetCalculationMessagePump([] {
        if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_UI);
    });
    // 11. The document template, the main frame and the program's commands.
    if (!CreateDocumentTemplate("velmora", &CreateVelmoraTemplate)) return false;
    docValues_.SetManager(docManager_);
    SetDocValueSource(&docValues_);
    RouteCommands();

    // 12. The shell command.
    if (!ProcessShellCommand()) return false;
    // It ends itself after its countdown; the frame owns it until exit.
    (new CDlgEroeffnen(frame_))->Show();
    ArrangeTestClose();
    return true;
}

void CVelmoraApp::RouteCommands() {
    Route(ID_FILE_OPEN, &CVelmoraApp::OnFileOpen);
    InstallQuorvelCommands(*this);
    Route(ID_TOGGLE_HINT, &CVelmoraApp::OnToggleHint);
    Route(ID_APP_ABOUT, &CVelmoraApp::OnAppAbout);
    Bind(wxEVT_UPDATE_UI, [](wxUpdateUIEvent& e) { e.Check(HintChecked()); }, ID_TOGGLE_HINT);
}

int CVelmoraApp::OnExit() {
    // The model asks no more once the documents are gone.
    docValues_.SetManager(nullptr);
    return CProgramApp::OnExit();
}

void CVelmoraApp::OnToggleHint(wxCommandEvent&) { ToggleHint(); }
