// The application object of the second program: start-up in its fixed
// order, the application's commands, and the model's queries of the active
// document.
#pragma once

#include "platform/System.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "velmora/shared/CCmdLineInfo.h"

#include <wx/app.h>
#include <wx/timer.h>

class wxDocManager;
class CMainFrame;
class CTarsiloDoc;

class CTarsiloApp : public wxApp {
public:
    CTarsiloApp();
    bool OnInit() override;
    int OnExit() override;

    CTarsiloDoc* ActiveDocument() const;
    CMainFrame* MainFrame() const { return frame_; }
    wxDocManager* DocManager() const { return docManager_; }
    const CCmdLineInfo& CmdLine() const { return cmdLine_; }

private:
    bool CreateDocumentTemplate();
    void RouteCommands();
    void OnFileNew(wxCommandEvent&);
    void OnFileOpen(wxCommandEvent&);
    void OnAppAbout(wxCommandEvent&);
    void ArrangeTestClose();

    CCmdLineInfo cmdLine_;
    wxDocManager* docManager_ = nullptr;
    CMainFrame* frame_ = nullptr;
    // Loaded at start and freed at exit; nothing calls into it.
    vx::SharedLibrary revimod_;
    TarsiloDocValues docValues_;
    wxTimer testClose_;
};

wxDECLARE_APP(CTarsiloApp);

// The document manager with the recent-file list of four, one document at a time.
wxDocManager* CreateTarsiloDocManager();
// The single-document template of string 128: document, frame and view.
void CreateTarsiloTemplate(wxDocManager* manager);
