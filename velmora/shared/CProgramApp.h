// What both programs' application objects do alike: the first start-up
// steps, the version library, the main frame on the program's single
// document template with its recent files, the shell command, the open-file
// dialog, the about box, the exit, and the close a test run asks for.
#pragma once

#include "platform/System.h"
#include "velmora/shared/CCmdLineInfo.h"
#include "velmora/shared/CommandIds.h"

#include <wx/app.h>
#include <wx/timer.h>

class wxClassInfo;
class wxDocManager;
class wxDocTemplate;
class CMainFrame;

class CProgramApp : public wxApp {
public:
    int OnExit() override;

    CMainFrame* MainFrame() const { return frame_; }
    wxDocManager* DocManager() const { return docManager_; }
    const CCmdLineInfo& CmdLine() const { return cmdLine_; }

protected:
    // testCloseVariable: set by the tests that start the program; the main
    // window then closes, through its real close path, that many
    // milliseconds after start, and messages go to standard error.
    explicit CProgramApp(const char* testCloseVariable) : testCloseVariable_(testCloseVariable) {}

    // Names, messages, the command line, the settings store and the string files.
    void StartProgram();
    // The maker's version library beside the program; nothing calls into it.
    void OpenRevimod();
    // The resources of folder under the resource directory, the document
    // manager with the recent files, the program's template and the main frame.
    bool CreateDocumentTemplate(const char* folder, wxDocTemplate* (*createTemplate)(wxDocManager*));
    // Opens the command line's file or a new document and shows the main
    // window; false, with the frame gone, when that failed.
    bool ProcessShellCommand();
    // The test close, when the variable asks for one.
    void ArrangeTestClose();

    // Binds a command to the application and records it as handled.
    template <typename App> void Route(int id, void (App::*handler)(wxCommandEvent&)) {
        Bind(wxEVT_MENU, handler, static_cast<App*>(this), id);
        RoutedCommands().insert(id);
    }
    void OnFileOpen(wxCommandEvent&);
    void OnAppAbout(wxCommandEvent&);

    CCmdLineInfo cmdLine_;
    wxDocManager* docManager_ = nullptr;
    CMainFrame* frame_ = nullptr;

private:
    const char* testCloseVariable_;
    vx::SharedLibrary revimod_;
    wxTimer testClose_;
};

// The document manager with the program's recent-file list, one document at a time.
wxDocManager* CreateProgramDocManager();
// The single-document template of the program's string 128.
wxDocTemplate* CreateProgramTemplate(wxDocManager* manager, wxClassInfo* document, wxClassInfo* view);
// The frame's title from string 128.
wxString ProgramFrameTitle();
