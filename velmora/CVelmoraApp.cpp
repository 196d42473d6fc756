#include "velmora/CVelmoraApp.h"

#include "model/FuelTable.h"
#include "model/ModelText.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "platform/wx/WxGerman.h"
#include "platform/wx/WxMessageService.h"
#include "platform/wx/WxText.h"
#include "values/Helpers.h"
#include "velmora/shared/CAboutDlg.h"
#include "velmora/shared/CMainFrame.h"
#include "velmora/CVelmoraDoc.h"
#include "velmora/CVelmoraView.h"
#include "velmora/shared/CDlgEroeffnen.h"
#include "velmora/CommandIds.h"
#include "velmora/QuorvelCommands.h"
#include "velmora/VelmoraSettings.h"
#include "velmora/shared/ProgramStart.h"
#include "velmora/shared/QuorvelLibrary.h"

#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/xrc/xmlres.h>

#include <cstdlib>
#include <vector>

namespace {

// The framework's document manager with the program's recent-file list.
class CVelmoraDocManager : public wxDocManager {
public:
    // Initialised after construction, so that the list below is the one made.
    CVelmoraDocManager() : wxDocManager(0, false) {}
    wxFileHistory* OnCreateFileHistory() override { return new wxFileHistory(Program().recentFileCount, ID_FILE_MRU_FILE1); }
    // One template takes every file, whatever its name ends with; the
    // document's reader decides whether it is a calculation.
    wxDocTemplate* FindTemplateForPath(const wxString&) override {
        return GetTemplates().IsEmpty() ? nullptr : static_cast<wxDocTemplate*>(GetTemplates().GetFirst()->GetData());
    }
};

// A run without a person: messages go to stderr and the main window is
// closed, through its real close path, this many milliseconds after start.
constexpr const char* kTestCloseVariable = "VELMORA_TEST_CLOSE_MS";

std::vector<std::string> TemplateParts() {
    std::vector<std::string> parts;
    std::string text = vx::LoadString(IDS_DOC_TEMPLATE);
    size_t start = 0;
    for (;;) {
        size_t nl = text.find('\n', start);
        parts.push_back(text.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    parts.resize(7);
    return parts;
}

} // namespace

wxDocManager* CreateVelmoraDocManager() {
    auto* manager = new CVelmoraDocManager;
    manager->Initialize();
    manager->SetMaxDocsOpen(1);
    return manager;
}

wxDocTemplate* CreateVelmoraTemplate(wxDocManager* manager) {
    const std::vector<std::string> parts = TemplateParts();
    std::string ext = parts[4];
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return new wxDocTemplate(manager, vx::ToWx(parts[3]), vx::ToWx("*." + ext), wxEmptyString, vx::ToWx(ext),
                             vx::ToWx(parts[5]), vx::ToWx(parts[6]), wxCLASSINFO(CVelmoraDoc),
                             wxCLASSINFO(CVelmoraView));
}

wxString VelmoraFrameTitle() { return vx::ToWx(TemplateParts()[0]); }

bool CVelmoraApp::OnInit() {
    UseVelmoraProgram();
    StartProgram(*this, cmdLine_, kTestCloseVariable);
    // 5. The version.
    WriteVersion();
    // 6. Revimod.
    revimod_.Open(vx::JoinPath(GetProgramDir(), "librevimod.so"));
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
    if (!CreateDocumentTemplate()) return false;
    docValues_.SetManager(docManager_);
    SetDocValueSource(&docValues_);
    RouteCommands();

    // 12. The shell command.
    bool ok = cmdLine_.shellCommand == CCmdLineInfo::FileOpen ? frame_->OpenDocument(vx::ToWx(cmdLine_.fileName))
                                                              : docManager_->CreateNewDocument() != nullptr;
    if (!ok) {
        frame_->Destroy();
        frame_ = nullptr;
        return false;
    }
    frame_->ShowWithSavedPlacement();
    frame_->Update();
    // It ends itself after its countdown; the frame owns it until exit.
    (new CDlgEroeffnen(frame_))->Show();
    if (std::getenv(kTestCloseVariable)) ArrangeTestClose();
    return true;
}

bool CVelmoraApp::CreateDocumentTemplate() {
    const std::string xrc = vx::JoinPath(vx::JoinPath(vx::ResourceDir(), "velmora"), "velmora.xrc");
    if (!wxXmlResource::Get()->Load(vx::ToWx(xrc))) return false;

    docManager_ = CreateVelmoraDocManager();
    CreateVelmoraTemplate(docManager_);
    frame_ = new CMainFrame;
    if (!frame_->Create(docManager_, VelmoraFrameTitle())) {
        frame_->Destroy();
        frame_ = nullptr;
        return false;
    }
    SetTopWindow(frame_);
    // The list is shown newest first; adding oldest first keeps that order.
    const std::vector<std::string> recent = LoadRecentFiles();
    for (auto it = recent.rbegin(); it != recent.rend(); ++it) docManager_->AddFileToHistory(vx::ToWx(*it));
    return true;
}

void CVelmoraApp::RouteCommands() {
    auto route = [this](int id, void (CVelmoraApp::*handler)(wxCommandEvent&)) {
        Bind(wxEVT_MENU, handler, this, id);
        RoutedCommands().insert(id);
    };
    route(ID_FILE_OPEN, &CVelmoraApp::OnFileOpen);
    InstallQuorvelCommands(*this);
    route(ID_TOGGLE_HINT, &CVelmoraApp::OnToggleHint);
    route(ID_APP_ABOUT, &CVelmoraApp::OnAppAbout);
    Bind(wxEVT_UPDATE_UI, [](wxUpdateUIEvent& e) { e.Check(HintChecked()); }, ID_TOGGLE_HINT);
}

int CVelmoraApp::OnExit() {
    if (docManager_) {
        std::vector<std::string> recent;
        if (wxFileHistory* history = docManager_->GetFileHistory())
            for (size_t i = 0; i < history->GetCount(); ++i) recent.push_back(vx::FromWx(history->GetHistoryFile(i)));
        SaveRecentFiles(recent);
    }
    SetDocValueSource(nullptr);
    docValues_.SetManager(nullptr);
    Quorvel().Unload();
    revimod_.Close();
    delete docManager_;
    docManager_ = nullptr;
    return wxApp::OnExit();
}

void CVelmoraApp::OnFileOpen(wxCommandEvent&) {
    const wxString previous = wxGetCwd();
    wxFileDialog dialog(frame_, vx::ToWx("Öffnen"), vx::ToWx(OpenDialogDirectory()), wxEmptyString,
                        vx::ToWx(FileDialogFilter(vx::LoadString(IDS_OPEN_FILTER))),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    const bool chosen = dialog.ShowModal() == wxID_OK;
    wxSetWorkingDirectory(previous);
    if (chosen) frame_->OpenDocument(dialog.GetPath());
}

void CVelmoraApp::OnToggleHint(wxCommandEvent&) { ToggleHint(); }

void CVelmoraApp::OnAppAbout(wxCommandEvent&) {
    CAboutDlg dialog(frame_);
    dialog.ShowModal();
}

void CVelmoraApp::ArrangeTestClose() {
    const long ms = long(vx::ParseLong(std::getenv(kTestCloseVariable)));
    testClose_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        if (frame_) frame_->Close();
    });
    testClose_.StartOnce(ms > 0 ? int(ms) : 1);
}
