#include "velmora/shared/CMainFrame.h"

#include "velmora/shared/OpensCalculation.h"

#include "platform/MessageService.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/wx/WxMnemonics.h"
#include "platform/wx/WxText.h"
#include "platform/wx/WxWheel.h"
#include "velmora/shared/CommandIds.h"
#include "velmora/shared/ProgramPicture.h"
#include "velmora/shared/ProgramSettings.h"
#include "velmora/shared/SharedText.h"
#include "velmora/shared/WebLink.h"

#include <wx/filefn.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

const char* const kHomePage = "http://www.trevalen.example/";

bool CMainFrame::Create(wxDocManager* manager, const wxString& title) {
    if (!wxDocParentFrame::Create(manager, nullptr, wxID_ANY, title, wxDefaultPosition, wxSize(800, 600)))
        return false;
    wxMenuBar* menuBar = wxXmlResource::Get()->LoadMenuBar("IDR_MAINFRAME");
    if (!menuBar) return false;
    SetMenuBar(menuBar);
    SetIcons(ProgramIcons());
    // Alt and a letter: the form first, then the menu bar.
    vx::InstallMnemonicRule();
    // The wheel scrolls a form without changing the list under the mouse.
    vx::InstallWheelRule();
    wxToolBar* toolBar = wxXmlResource::Get()->LoadToolBar(this, "IDR_MAINFRAME");
    if (!toolBar) return false;
    SetToolBar(toolBar);
    wxStatusBar* status = CreateStatusBar(4);
    if (!status) return false;
    const int widths[4] = {-1, 40, 40, 40};
    status->SetStatusWidths(4, widths);
    SetStatusText(vx::ToWx(vx::LoadString(IDS_IDLE_MESSAGE)), 0);

    // The recent files join the file menu above "Beenden".
    int fileMenu = menuBar->FindMenu(vx::ToWx(vx::LoadString(IDS_MENU_DATEI)));
    if (fileMenu != wxNOT_FOUND) {
        manager->FileHistoryUseMenu(menuBar->GetMenu(fileMenu));
        manager->FileHistoryAddFilesToMenu();
    }

    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& e) { OnGeometry(); e.Skip(); });
    Bind(wxEVT_MOVE, [this](wxMoveEvent& e) { OnGeometry(); e.Skip(); });
    Bind(wxEVT_IDLE, &CMainFrame::OnIdle, this);
    auto route = [this](int id, void (CMainFrame::*handler)(wxCommandEvent&)) {
        Bind(wxEVT_MENU, handler, this, id);
        RoutedCommands().insert(id);
    };
    if (Program().homePageCommand) route(Program().homePageCommand, &CMainFrame::OnHomePage);
    route(ID_APP_EXIT, &CMainFrame::OnExit);
    route(ID_VIEW_TOOLBAR, &CMainFrame::OnViewToolbar);
    route(ID_VIEW_STATUS_BAR, &CMainFrame::OnViewStatusBar);
    Bind(wxEVT_MENU, &CMainFrame::OnRecentFile, this, ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE1 + Program().recentFileCount - 1);
    for (int id = ID_FILE_MRU_FILE1; id < ID_FILE_MRU_FILE1 + Program().recentFileCount; ++id) RoutedCommands().insert(id);
    Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Check(GetToolBar() && GetToolBar()->IsShown()); },
         ID_VIEW_TOOLBAR);
    Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Check(GetStatusBar() && GetStatusBar()->IsShown()); },
         ID_VIEW_STATUS_BAR);
    // Last in line: greys what no handler took.
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUnroutedCommandUI, this, ID_FIRST_PROGRAM_COMMAND, ID_VIEW_STATUS_BAR);
    return true;
}

void CMainFrame::OnUnroutedCommandUI(wxUpdateUIEvent& event) {
    // Controls of the view ask with the same ids; only menu and toolbar are greyed here.
    wxObject* source = event.GetEventObject();
    const bool fromCommandBar = wxDynamicCast(source, wxMenu) || (source && source == GetToolBar());
    if (!fromCommandBar || RoutedCommands().count(event.GetId()))
        event.Skip();  // to the command's own update handler, if any
    else
        event.Enable(false);
}

void CMainFrame::ShowWithSavedPlacement() {
    if (!firstActivation_) {
        Show();
        return;
    }
    firstActivation_ = false;
    const FramePlacement p = LoadFramePlacement(vx::Profile());
    const wxSize decoration = DecorationSize();
    if (p.hasRect) SetSize(p.left, p.top, p.right - p.left + decoration.x, p.bottom - p.top + decoration.y);
    normalRect_ = GetRect();
    normalDecoration_ = decoration;
    if (GetToolBar()) GetToolBar()->Show(p.toolbar);
    if (GetStatusBar()) GetStatusBar()->Show(p.statusBar);
    SendSizeEvent();
    if (p.maximized) Maximize(true);
    if (p.minimized) {
        restoresToMaximized_ = p.maximized;
        Iconize(true);
    }
    Show();
}

void CMainFrame::OnGeometry() {
    if (IsIconized()) return;
    restoresToMaximized_ = IsMaximized();
    if (!IsMaximized() && !IsFullScreen()) {
        normalRect_ = GetRect();
        normalDecoration_ = DecorationSize();
    }
}

void CMainFrame::FitClientToView(const wxSize& size) {
    if (IsShown()) {
        SendSizeEvent();  // the new view fills the window as it is
        return;
    }
    SetClientSize(size);
    normalRect_ = GetRect();
    normalDecoration_ = DecorationSize();
}

wxSize CMainFrame::DecorationSize() const {
#ifdef __WXGTK__
    return wxSize(m_decorSize.left + m_decorSize.right, m_decorSize.top + m_decorSize.bottom);
#else
    return wxSize();
#endif
}

FramePlacement CMainFrame::CurrentPlacement() const {
    FramePlacement p;
    p.left = normalRect_.x;
    p.top = normalRect_.y;
    p.right = normalRect_.x + normalRect_.width - normalDecoration_.x;
    p.bottom = normalRect_.y + normalRect_.height - normalDecoration_.y;
    p.hasRect = true;
    p.minimized = IsIconized();
    p.maximized = p.minimized ? restoresToMaximized_ : IsMaximized();
    p.toolbar = GetToolBar() && GetToolBar()->IsShown();
    p.statusBar = GetStatusBar() && GetStatusBar()->IsShown();
    return p;
}

void CMainFrame::OnClose(wxCloseEvent& event) {
    SaveFramePlacement(vx::Profile(), CurrentPlacement());
    // The document frame asks the documents and destroys the frame.
    event.Skip();
}

void CMainFrame::OnIdle(wxIdleEvent& event) {
    UpdateIndicators();
    event.Skip();
}

void CMainFrame::UpdateIndicators() {
    wxStatusBar* status = GetStatusBar();
    if (!status) return;
    const wxKeyCode keys[3] = {WXK_CAPITAL, WXK_NUMLOCK, WXK_SCROLL};
    const unsigned texts[3] = {IDS_INDICATOR_CAPS, IDS_INDICATOR_NUM, IDS_INDICATOR_SCRL};
    unsigned state = 0;
    for (int i = 0; i < 3; ++i)
        if (wxGetKeyState(keys[i])) state |= 1u << i;
    if (state == indicators_) return;
    indicators_ = state;
    for (int i = 0; i < 3; ++i)
        status->SetStatusText(state & (1u << i) ? vx::ToWx(vx::LoadString(texts[i])) : wxString(), i + 1);
}

void CMainFrame::OnHomePage(wxCommandEvent&) { OpenWebAddressOrTell(kHomePage); }

void CMainFrame::OnRecentFile(wxCommandEvent& event) {
    const size_t n = size_t(event.GetId() - ID_FILE_MRU_FILE1);
    wxFileHistory* history = m_docManager->GetFileHistory();
    if (!history || n >= history->GetCount()) return;
    // A file that cannot be opened leaves the list.
    if (!OpenDocument(history->GetHistoryFile(n))) history->RemoveFileFromHistory(n);
}

bool CMainFrame::OpenDocument(const wxString& path) {
    if (!wxFileExists(path)) {
        vx::ShowMessageId(IDS_FAILED_TO_OPEN_DOC, vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    }
    // The one document reads the file itself, so that a broken file leaves it open as it was.
    if (auto* doc = dynamic_cast<OpensCalculation*>(m_docManager->GetCurrentDocument())) return doc->OpenCalculation(path);
    return m_docManager->CreateDocument(path, wxDOC_SILENT) != nullptr;
}

void CMainFrame::OnViewToolbar(wxCommandEvent&) {
    if (wxToolBar* t = GetToolBar()) {
        t->Show(!t->IsShown());
        SendSizeEvent();
    }
}

void CMainFrame::OnViewStatusBar(wxCommandEvent&) {
    if (wxStatusBar* s = GetStatusBar()) {
        s->Show(!s->IsShown());
        SendSizeEvent();
    }
}
