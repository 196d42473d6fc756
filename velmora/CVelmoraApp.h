// The application object of the main program: start-up in its fixed order,
// the application's commands, and the model's queries of the active document.
#pragma once

#include "platform/System.h"
#include "velmora/shared/CCmdLineInfo.h"
#include "velmora/DocumentValues.h"

#include <wx/app.h>
#include <wx/timer.h>

#include <memory>

class wxDocManager;
class wxDocTemplate;
class CMainFrame;
class CVelmoraDoc;

class CVelmoraApp : public wxApp {
public:
    bool OnInit() override;
    int OnExit() override;

    CVelmoraDoc* ActiveDocument() const { return docValues_.ActiveDocument(); }
    CMainFrame* MainFrame() const { return frame_; }
    const CCmdLineInfo& CmdLine() const { return cmdLine_; }

private:
    bool CreateDocumentTemplate();
    void RouteCommands();
    void OnFileOpen(wxCommandEvent&);
    void OnToggleHint(wxCommandEvent&);
    void OnAppAbout(wxCommandEvent&);
    void ArrangeTestClose();

    CCmdLineInfo cmdLine_;
    wxDocManager* docManager_ = nullptr;
    CMainFrame* frame_ = nullptr;
    // Loaded at start and freed at exit; nothing calls into it.
    vx::SharedLibrary revimod_;
    DocumentValues docValues_;
    wxTimer testClose_;
};

wxDECLARE_APP(CVelmoraApp);

// The document manager with the recent-file list of four, one document at a time.
wxDocManager* CreateVelmoraDocManager();
// The single-document template of string 128: document, frame and view.
wxDocTemplate* CreateVelmoraTemplate(wxDocManager* manager);
// The frame's title from string 128.
wxString VelmoraFrameTitle();
