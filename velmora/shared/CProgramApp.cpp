#include "velmora/shared/CProgramApp.h"

#include "model/DocValue.h"
#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "values/Directories.h"
#include "velmora/shared/CAboutDlg.h"
#include "velmora/shared/CMainFrame.h"
#include "velmora/shared/ProgramSettings.h"
#include "velmora/shared/ProgramStart.h"
#include "velmora/shared/QuorvelLibrary.h"
#include "velmora/shared/SharedText.h"

#include <wx/docview.h>
#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/filehistory.h>
#include <wx/menu.h>
#include <wx/xrc/xmlres.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

// The recent files stand above "Beenden", between two separators, as
// desktop programs show them; the toolkit's list would put them last.
class RecentFileHistory : public wxFileHistory {
public:
    RecentFileHistory(size_t count, int firstId) : wxFileHistory(count, firstId) {}

    void AddFileToHistory(const wxString& file) override {
        wxFileHistory::AddFileToHistory(file);
        Arrange();
    }
    void RemoveFileFromHistory(size_t i) override {
        wxFileHistory::RemoveFileFromHistory(i);
        Arrange();
    }
    void AddFilesToMenu() override {
        wxFileHistory::AddFilesToMenu();
        Arrange();
    }
    void AddFilesToMenu(wxMenu* menu) override {
        wxFileHistory::AddFilesToMenu(menu);
        Arrange();
    }
    void RemoveMenu(wxMenu* menu) override {
        separators_.erase(menu);
        wxFileHistory::RemoveMenu(menu);
    }

private:
    void Arrange() {
        for (wxList::compatibility_iterator node = m_fileMenus.GetFirst(); node; node = node->GetNext())
            Arrange(static_cast<wxMenu*>(node->GetData()));
    }
    void Arrange(wxMenu* menu) {
        size_t exitAt = 0;
        if (!menu->FindChildItem(ID_APP_EXIT, &exitAt)) return;
        std::vector<wxMenuItem*> files;
        for (int id = GetBaseId(); id < GetBaseId() + GetMaxFiles(); ++id)
            if (wxMenuItem* item = menu->FindChildItem(id)) files.push_back(menu->Remove(item));
        // What the toolkit put after "Beenden" and the separator of the last arrangement go.
        if (wxMenuItem*& own = separators_[menu]) {
            menu->Destroy(own);
            own = nullptr;
        }
        menu->FindChildItem(ID_APP_EXIT, &exitAt);
        while (menu->GetMenuItemCount() > exitAt + 1) {
            wxMenuItem* last = menu->FindItemByPosition(menu->GetMenuItemCount() - 1);
            if (!last->IsSeparator()) break;
            menu->Destroy(last);
        }
        if (files.empty()) return;
        size_t at = exitAt;
        for (wxMenuItem* item : files) menu->Insert(at++, item);
        separators_[menu] = menu->InsertSeparator(at);
    }

    std::map<wxMenu*, wxMenuItem*> separators_;
};

class CProgramDocManager : public wxDocManager {
public:
    // Initialised after construction, so that the list below is the one made.
    CProgramDocManager() : wxDocManager(0, false) {}
    wxFileHistory* OnCreateFileHistory() override {
        return new RecentFileHistory(Program().recentFileCount, ID_FILE_MRU_FILE1);
    }
    // One template takes every file, whatever its name ends with; the
    // document's reader decides whether the file is one of the program's.
    wxDocTemplate* FindTemplateForPath(const wxString&) override {
        return GetTemplates().IsEmpty() ? nullptr : static_cast<wxDocTemplate*>(GetTemplates().GetFirst()->GetData());
    }
};

std::vector<std::string> TemplateParts() {
    std::vector<std::string> parts;
    const std::string text = vx::LoadString(IDS_DOC_TEMPLATE);
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

} // namespace

wxDocManager* CreateProgramDocManager() {
    auto* manager = new CProgramDocManager;
    manager->Initialize();
    manager->SetMaxDocsOpen(1);
    // Every entry with its folder: wxWidgets would show the newest one as a bare name.
    if (wxFileHistory* history = manager->GetFileHistory()) history->SetMenuPathStyle(wxFH_PATH_SHOW_ALWAYS);
    return manager;
}

wxDocTemplate* CreateProgramTemplate(wxDocManager* manager, wxClassInfo* document, wxClassInfo* view) {
    const std::vector<std::string> parts = TemplateParts();
    std::string ext = parts[4];
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return new wxDocTemplate(manager, vx::ToWx(parts[3]), vx::ToWx("*." + ext), wxEmptyString, vx::ToWx(ext),
                             vx::ToWx(parts[5]), vx::ToWx(parts[6]), document, view);
}

wxString ProgramFrameTitle() { return vx::ToWx(TemplateParts()[0]); }

void CProgramApp::StartProgram() { ::StartProgram(*this, cmdLine_, testCloseVariable_); }

void CProgramApp::OpenRevimod() { revimod_.Open(vx::JoinPath(GetProgramDir(), "librevimod.so")); }

bool CProgramApp::CreateDocumentTemplate(const char* folder, wxDocTemplate* (*createTemplate)(wxDocManager*)) {
    const std::string xrc = vx::JoinPath(vx::JoinPath(vx::ResourceDir(), folder), std::string(folder) + ".xrc");
    if (!wxXmlResource::Get()->Load(vx::ToWxPath(xrc))) return false;

    docManager_ = CreateProgramDocManager();
    createTemplate(docManager_);
    frame_ = new CMainFrame;
    if (!frame_->Create(docManager_, ProgramFrameTitle())) {
        frame_->Destroy();
        frame_ = nullptr;
        return false;
    }
    SetTopWindow(frame_);
    // The list is shown newest first; adding oldest first keeps that order.
    const std::vector<std::string> recent = LoadRecentFiles();
    for (auto it = recent.rbegin(); it != recent.rend(); ++it) docManager_->AddFileToHistory(vx::ToWxPath(*it));
    return true;
}

bool CProgramApp::ProcessShellCommand() {
    const bool ok = cmdLine_.shellCommand == CCmdLineInfo::FileOpen ? frame_->OpenDocument(vx::ToWxPath(cmdLine_.fileName))
                                                                    : docManager_->CreateNewDocument() != nullptr;
    if (!ok) {
        frame_->Destroy();
        frame_ = nullptr;
        return false;
    }
    frame_->ShowWithSavedPlacement();
    frame_->Update();
    return true;
}

int CProgramApp::OnExit() {
    if (docManager_) {
        std::vector<std::string> recent;
        if (wxFileHistory* history = docManager_->GetFileHistory())
            for (size_t i = 0; i < history->GetCount(); ++i) recent.push_back(vx::FromWxPath(history->GetHistoryFile(i)));
        SaveRecentFiles(recent);
    }
    SetDocValueSource(nullptr);
    Quorvel().Unload();
    revimod_.Close();
    delete docManager_;
    docManager_ = nullptr;
    return wxApp::OnExit();
}

void CProgramApp::OnFileOpen(wxCommandEvent&) {
    const wxString previous = wxGetCwd();
    wxFileDialog dialog(frame_, vx::ToWx(vx::LoadString(IDS_OEFFNEN)), vx::ToWxPath(OpenDialogDirectory()),
                        wxEmptyString, vx::ToWx(FileDialogFilter(vx::LoadString(IDS_OPEN_FILTER))),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    const bool chosen = dialog.ShowModal() == wxID_OK;
    wxSetWorkingDirectory(previous);
    if (chosen) frame_->OpenDocument(dialog.GetPath());
}

void CProgramApp::OnAppAbout(wxCommandEvent&) {
    CAboutDlg dialog(frame_);
    dialog.ShowModal();
}

void CProgramApp::ArrangeTestClose() {
    const char* ms = std::getenv(testCloseVariable_);
    if (!ms) return;
    const long delay = long(vx::ParseLong(ms));
    testClose_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        if (frame_) frame_->Close();
    });
    testClose_.StartOnce(delay > 0 ? int(delay) : 1);
}
