// The main frame: menu, toolbar and status bar from the program's resources,
// the view as client, and the placement kept in section "Window size".
#pragma once

#include "velmora/shared/FramePlacement.h"

#include <wx/docview.h>

class CMainFrame : public wxDocParentFrame {
public:
    CMainFrame() = default;
    // False when the frame, its menu, toolbar or status bar cannot be made.
    bool Create(wxDocManager* manager, const wxString& title);

    // The saved placement, once, before the frame is first shown.
    void ShowWithSavedPlacement();
    // The size a new view asks for; only before the frame is first shown, so
    // that a later document keeps the window as the user left it.
    void FitClientToView(const wxSize& size);
    // Opens a file as the document; false, after the framework's message, when it failed.
    bool OpenDocument(const wxString& path);
    // The placement as it would be saved now.
    FramePlacement CurrentPlacement() const;

private:
    void OnClose(wxCloseEvent& event);
    void OnGeometry();
    void OnIdle(wxIdleEvent& event);
    void OnUnroutedCommandUI(wxUpdateUIEvent& event);
    void OnHomePage(wxCommandEvent&);
    void OnExit(wxCommandEvent&) { Close(); }
    void OnRecentFile(wxCommandEvent& event);
    void OnViewToolbar(wxCommandEvent&);
    void OnViewStatusBar(wxCommandEvent&);
    void UpdateIndicators();
    // The window manager's frame around the window, as far as it is known yet.
    wxSize DecorationSize() const;

    // The saved rectangle is the window without the window manager's frame:
    // whether the toolkit knows that frame at start (it learns it from the
    // first dialog of the process) or only once the window is shown, the
    // next start then makes the same window.
    wxRect normalRect_;
    wxSize normalDecoration_;  // the frame around normalRect_ when it was taken
    bool restoresToMaximized_ = false;
    bool firstActivation_ = true;
    unsigned indicators_ = ~0u;
};

// The maker's home page, for the menu and the about box.
extern const char* const kHomePage;
