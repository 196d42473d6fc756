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

    wxRect normalRect_;
    // The frame known when the saved size was set: the toolkit sets the
    // inside to the saved size less this and grows the window by the rest
    // when the window manager tells it the frame.
    wxSize decorationAtRestore_;
    bool restoresToMaximized_ = false;
    bool firstActivation_ = true;
    unsigned indicators_ = ~0u;
};

// The maker's home page, for the menu and the about box.
extern const char* const kHomePage;
