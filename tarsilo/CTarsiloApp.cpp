#include "tarsilo/CTarsiloApp.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "platform/wx/WxGerman.h"
#include "platform/wx/WxMessageService.h"
#include "platform/wx/WxText.h"
#include "quorvel/fields/FieldsDeliverable.h"
#include "tarsilo/CTarsiloDoc.h"
#include "tarsilo/TarsiloCommandIds.h"
#include "tarsilo/TarsiloDocView.h"
#include "tarsilo/TarsiloPrintCommands.h"
#include "tarsilo/TarsiloProgram.h"
#include "values/Helpers.h"
#include "velmora/shared/CAboutDlg.h"
#include "velmora/shared/CDlgEroeffnen.h"
#include "velmora/shared/CMainFrame.h"
#include "velmora/shared/LibraryCommands.h"
#include "velmora/shared/ProgramSettings.h"
#include "velmora/shared/ProgramStart.h"
#include "velmora/shared/QuorvelLibrary.h"

#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/filehistory.h>
#include <wx/image.h>
#include <wx/xrc/xmlres.h>

#include <cstdlib>
#include <vector>

namespace {

class CTarsiloDocManager : public wxDocManager {
public:
    CTarsiloDocManager() : wxDocManager(0, false) {}
    wxFileHistory* OnCreateFileHistory() override { return new wxFileHistory(Program().recentFileCount, ID_FILE_MRU_FILE1); }
    // One template takes every file; the reader decides whether it is a table.
    wxDocTemplate* FindTemplateForPath(const wxString&) override {
        return GetTemplates().IsEmpty() ? nullptr : static_cast<wxDocTemplate*>(GetTemplates().GetFirst()->GetData());
    }
};

// A run without a person: messages go to stderr and the main window is
// closed, through its real close path, this many milliseconds after start.
constexpr const char* kTestCloseVariable = "TARSILO_TEST_CLOSE_MS";

std::vector<std::string> TemplateParts() {
    std::vector<std::string> parts;
    const std::string text = vx::LoadString(IDS_TARSILO_TEMPLATE);
    size_t start = 0;
    for (;;) {
        const size_t nl = text.find('\n', start);
        parts.push_back(text.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    parts.resize(7);
    return parts;
}

CTarsiloDocCore* ActiveCore(void* context) {
    auto* manager = static_cast<wxDocManager*>(*static_cast<wxDocManager**>(context));
    if (!manager) return nullptr;
    return wxDynamicCast(manager->GetCurrentDocument(), CTarsiloDoc);
}

} // namespace

wxDocManager* CreateTarsiloDocManager() {
    auto* manager = new CTarsiloDocManager;
    manager->Initialize();
    manager->SetMaxDocsOpen(1);
    return manager;
}

void CreateTarsiloTemplate(wxDocManager* manager) {
    const std::vector<std::string> parts = TemplateParts();
    std::string ext = parts[4];
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    new wxDocTemplate(manager, vx::ToWx(parts[3]), vx::ToWx("*." + ext), wxEmptyString, vx::ToWx(ext),
                      vx::ToWx(parts[5]), vx::ToWx(parts[6]), wxCLASSINFO(CTarsiloDoc), wxCLASSINFO(TarsiloDocView));
}

CTarsiloApp::CTarsiloApp() : docValues_(&ActiveCore, &docManager_) {}

CTarsiloDoc* CTarsiloApp::ActiveDocument() const {
    return docManager_ ? wxDynamicCast(docManager_->GetCurrentDocument(), CTarsiloDoc) : nullptr;
}

bool CTarsiloApp::OnInit() {
    UseTarsiloProgram();
    StartProgram(*this, cmdLine_, kTestCloseVariable);
    SetActiveFields(TarsiloFields());
    LoadFieldStrings(TarsiloFields());
    // 5. Revimod.
    revimod_.Open(vx::JoinPath(GetProgramDir(), "librevimod.so"));
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
    if (!CreateDocumentTemplate()) return false;
    SetDocValueSource(&docValues_);
    RouteCommands();

    // 12. The shell command.
    const bool ok = cmdLine_.shellCommand == CCmdLineInfo::FileOpen ? frame_->OpenDocument(vx::ToWx(cmdLine_.fileName))
                                                                    : docManager_->CreateNewDocument() != nullptr;
    if (!ok) {
        frame_->Destroy();
        frame_ = nullptr;
        return false;
    }
    frame_->ShowWithSavedPlacement();
    frame_->Update();
    if (std::getenv(kTestCloseVariable)) ArrangeTestClose();
    return true;
}

bool CTarsiloApp::CreateDocumentTemplate() {
    const std::string xrc = vx::JoinPath(vx::JoinPath(vx::ResourceDir(), "tarsilo"), "tarsilo.xrc");
    if (!wxXmlResource::Get()->Load(vx::ToWx(xrc))) return false;
    docManager_ = CreateTarsiloDocManager();
    CreateTarsiloTemplate(docManager_);
    frame_ = new CMainFrame;
    if (!frame_->Create(docManager_, vx::ToWx(TemplateParts()[0]))) {
        frame_->Destroy();
        frame_ = nullptr;
        return false;
    }
    SetTopWindow(frame_);
    const std::vector<std::string> recent = LoadRecentFiles();
    for (auto it = recent.rbegin(); it != recent.rend(); ++it) docManager_->AddFileToHistory(vx::ToWx(*it));
    return true;
}

void CTarsiloApp::RouteCommands() {
    auto route = [this](int id, void (CTarsiloApp::*handler)(wxCommandEvent&)) {
        Bind(wxEVT_MENU, handler, this, id);
        RoutedCommands().insert(id);
    };
    route(ID_FILE_NEW, &CTarsiloApp::OnFileNew);
    route(ID_FILE_OPEN, &CTarsiloApp::OnFileOpen);
    route(ID_APP_ABOUT, &CTarsiloApp::OnAppAbout);
    InstallLibraryAppCommands(*this, {ID_USER_DATA, ID_TARSILO_FORMULAR});
}

int CTarsiloApp::OnExit() {
    if (docManager_) {
        std::vector<std::string> recent;
        if (wxFileHistory* history = docManager_->GetFileHistory())
            for (size_t i = 0; i < history->GetCount(); ++i) recent.push_back(vx::FromWx(history->GetHistoryFile(i)));
        SaveRecentFiles(recent);
    }
    SetDocValueSource(nullptr);
    Quorvel().Unload();
    revimod_.Close();
    delete docManager_;
    docManager_ = nullptr;
    return wxApp::OnExit();
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

void CTarsiloApp::OnFileOpen(wxCommandEvent&) {
    const wxString previous = wxGetCwd();
    wxFileDialog dialog(frame_, vx::ToWx("Öffnen"), vx::ToWx(OpenDialogDirectory()), wxEmptyString,
                        vx::ToWx(FileDialogFilter(vx::LoadString(IDS_TARSILO_OPEN_FILTER))),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    const bool chosen = dialog.ShowModal() == wxID_OK;
    wxSetWorkingDirectory(previous);
    if (chosen) frame_->OpenDocument(dialog.GetPath());
}

void CTarsiloApp::OnAppAbout(wxCommandEvent&) {
    CAboutDlg dialog(frame_);
    dialog.ShowModal();
}

void CTarsiloApp::ArrangeTestClose() {
    const long ms = long(vx::ParseLong(std::getenv(kTestCloseVariable)));
    testClose_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        if (frame_) frame_->Close();
    });
    testClose_.StartOnce(ms > 0 ? int(ms) : 1);
}
