// The application object of the main program: start-up in its fixed order,
// the application's commands, and the model's queries of the active document.
#pragma once

#include "platform/System.h"
#include "values/DocValue.h"
#include "velmora/CCmdLineInfo.h"

#include <wx/app.h>
#include <wx/timer.h>

#include <memory>

class wxDocManager;
class CMainFrame;
class CVelmoraDoc;

class CVelmoraApp : public wxApp, public DocValueSource {
public:
    bool OnInit() override;
    int OnExit() override;

    int32_t GetDocValue(int code, int index) override;

    // Opens a file as the document (code page 1252 or wx text); false when it failed.
    bool OpenDocument(const wxString& path);
    CVelmoraDoc* ActiveDocument() const;
    CMainFrame* MainFrame() const { return frame_; }
    const CCmdLineInfo& CmdLine() const { return cmdLine_; }

private:
    bool CreateDocumentTemplate();
    void RouteCommands();
    void OnFileOpen(wxCommandEvent&);
    void OnUserData(wxCommandEvent&);
    void OnFormular(wxCommandEvent&);
    void OnToggleHint(wxCommandEvent&);
    void OnAppAbout(wxCommandEvent&);
    void ArrangeTestClose();

    CCmdLineInfo cmdLine_;
    wxDocManager* docManager_ = nullptr;
    CMainFrame* frame_ = nullptr;
    // Loaded at start and freed at exit; nothing calls into it.
    vx::SharedLibrary revimod_;
    wxTimer testClose_;
};

wxDECLARE_APP(CVelmoraApp);
