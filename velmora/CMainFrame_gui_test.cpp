// The main frame, the document template and the about box on the display,
// without the application object: the test builds what the start-up builds.
#include "velmora/shared/CAboutDlg.h"
#include "velmora/shared/CHomePage.h"
#include "velmora/shared/CMainFrame.h"
#include "velmora/CVelmoraApp.h"
#include "velmora/CVelmoraDoc.h"
#include "velmora/CVelmoraView.h"
#include "velmora/CommandIds.h"
#include "velmora/DocumentValues.h"
#include "velmora/QuorvelCommands.h"
#include "velmora/VelmoraSettings.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/System.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "values/CWerte.h"
#include "testsupport/velmora/ProgramFrameTestEnv.h"
#include "velmora/shared/QuorvelLibrary.h"
#include "testsupport/platform/TestProfile.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/toolbar.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include <unistd.h>

namespace {

class MainFrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadProgramResources("velmora"); }
    void SetUp() override {
        profile_ = std::make_unique<ScopedTestProfile>("[Global]\n");
        vx::Strings().Clear();
        LoadProgramStrings();
        frame_ = OpenProgramFrame(manager_, &CreateVelmoraTemplate, ProgramFrameTitle());
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override {
        CloseProgramFrame(manager_, frame_);
        profile_.reset();
    }
    static void Pump() { PumpEvents(); }
    bool MenuEnabled(int id) {
        wxMenuBar* bar = frame_->GetMenuBar();
        for (size_t i = 0; i < bar->GetMenuCount(); ++i) bar->GetMenu(i)->UpdateUI(frame_);
        return bar->IsEnabled(id);
    }

    std::unique_ptr<ScopedTestProfile> profile_;
    wxDocManager* manager_ = nullptr;
    CMainFrame* frame_ = nullptr;
};

} // namespace

TEST_F(MainFrameTest, MenuCarriesTheCommandsWithTheirTexts) {
    wxMenuBar* bar = frame_->GetMenuBar();
    ASSERT_NE(bar, nullptr);
    const std::pair<int, const char*> items[] = {
        {ID_FILE_OPEN, "Öffnen..."},        {ID_USER_DATA, "Anwender..."},
        {ID_FORMULAR, "Formular..."},       {ID_TOGGLE_HINT, "Hinweis"},
        {ID_APP_HELP, "Hilfe..."},          {ID_APP_ABOUT, "Info über Velmora..."},
        {ID_NEW_CALCULATION, "Neu"},        {ID_PRINT_CALCULATION, "Drucken..."},
        {ID_PREVIEW_CALCULATION, "Seitenansicht"}, {ID_PROJECT_DATA, "Projektdaten..."},
        {ID_REMARKS, "Bemerkungen..."},     {ID_GEODETIC_HEIGHT, "Geodätische Höhe..."},
        {ID_CROSS_SECTION_TABLES, "Querschnittstabellen..."}, {ID_CHIMNEY_HEIGHT_RANGE, "Schornsteinhöhe..."},
        {ID_PLACE_NAMES, "Ortsnamen, PLZ..."}, {ID_ORDER_UPDATE, "Update bestellen..."},
        {ID_HAND_OVER, "Aurelia..."},       {ID_FILE_SEND_MAIL, "Email versenden..."},
    };
    for (const auto& [id, text] : items) {
        wxMenuItem* item = bar->FindItem(id);
        ASSERT_NE(item, nullptr) << id;
        EXPECT_EQ(item->GetItemLabelText(), vx::ToWx(text)) << id;
    }
    EXPECT_EQ(bar->FindItem(ID_FILE_OPEN)->GetAccel()->ToRawString(), "Ctrl+O");
    EXPECT_TRUE(bar->FindItem(ID_TOGGLE_HINT)->IsCheckable());
    // The toolbar carries its commands under the same ids.
    ASSERT_NE(frame_->GetToolBar(), nullptr);
    EXPECT_NE(frame_->GetToolBar()->FindById(ID_FILE_OPEN), nullptr);
    EXPECT_NE(frame_->GetToolBar()->FindById(ID_APP_ABOUT), nullptr);
    EXPECT_EQ(frame_->GetStatusBar()->GetFieldsCount(), 4);
    // Recent files join the file menu under their own ids.
    EXPECT_EQ(bar->FindItem(ID_FILE_MRU_FILE1), nullptr);
    manager_->AddFileToHistory("/daten/anlage.kfx");
    manager_->AddFileToHistory("/daten/neubau.kfx");
    ASSERT_NE(bar->FindItem(ID_FILE_MRU_FILE1), nullptr);
    EXPECT_TRUE(bar->FindItem(ID_FILE_MRU_FILE1)->GetItemLabelText().Contains("neubau.kfx"));
    EXPECT_TRUE(bar->FindItem(ID_FILE_MRU_FILE1 + 1)->GetItemLabelText().Contains("anlage.kfx"));
    // Every entry shows its folder, the newest one too, and a name outside code page 1252 as it is.
    const std::string lodz = "/kunden/\xC5\x81\xC3\xB3" "d\xC5\xBA.kfx";
    manager_->AddFileToHistory(vx::ToWxPath(lodz));
    EXPECT_TRUE(bar->FindItem(ID_FILE_MRU_FILE1)->GetItemLabelText().Contains(wxString::FromUTF8(lodz)))
        << bar->FindItem(ID_FILE_MRU_FILE1)->GetItemLabelText();
    EXPECT_TRUE(bar->FindItem(ID_FILE_MRU_FILE1 + 1)->GetItemLabelText().Contains("/daten/neubau.kfx"));
    EXPECT_TRUE(bar->FindItem(ID_FILE_MRU_FILE1 + 2)->GetItemLabelText().Contains("/daten/anlage.kfx"));
    EXPECT_EQ(manager_->GetFileHistory()->GetMaxFiles(), 4u);
    EXPECT_EQ(frame_->GetStatusBar()->GetStatusText(0), "Bereit");
}

TEST_F(MainFrameTest, RecentFilesStandAboveBeenden) {
    wxMenuBar* bar = frame_->GetMenuBar();
    wxMenu* file = bar->GetMenu(bar->FindMenu("&Datei"));
    ASSERT_NE(file, nullptr);
    const size_t before = file->GetMenuItemCount();
    auto position = [&](int id) {
        size_t at = size_t(-1);
        file->FindChildItem(id, &at);
        return at;
    };
    auto separatorAt = [&](size_t at) { return file->FindItemByPosition(at)->IsSeparator(); };
    for (const char* name : {"/daten/a.kfx", "/daten/b.kfx", "/daten/c.kfx", "/daten/d.kfx", "/daten/e.kfx"}) {
        manager_->AddFileToHistory(name);
        const size_t count = manager_->GetFileHistory()->GetCount();
        const size_t exit = position(ID_APP_EXIT);
        // "Beenden" stays last; the files stand between two separators above it.
        EXPECT_EQ(exit, file->GetMenuItemCount() - 1) << name;
        EXPECT_EQ(position(ID_FILE_MRU_FILE1), exit - 1 - count) << name;
        EXPECT_TRUE(separatorAt(exit - 1)) << name;
        EXPECT_TRUE(separatorAt(exit - 2 - count)) << name;
        EXPECT_EQ(file->GetMenuItemCount(), before + count + 1) << name;
    }
    EXPECT_TRUE(file->FindItemByPosition(position(ID_FILE_MRU_FILE1))->GetItemLabelText().Contains("e.kfx"));
    while (manager_->GetFileHistory()->GetCount() > 0) manager_->GetFileHistory()->RemoveFileFromHistory(0);
    // Without files the menu is as it was.
    EXPECT_EQ(file->GetMenuItemCount(), before);
    EXPECT_EQ(position(ID_APP_EXIT), before - 1);
    EXPECT_FALSE(separatorAt(before - 2) && separatorAt(before - 3));
}

TEST_F(MainFrameTest, CommandsWithoutHandlerAreGreyed) {
    // Nothing here handles printing or the document's commands yet.
    EXPECT_FALSE(MenuEnabled(ID_PRINT_CALCULATION));
    EXPECT_FALSE(MenuEnabled(ID_PROJECT_DATA));
    // The frame's own commands are on.
    EXPECT_TRUE(MenuEnabled(ID_APP_EXIT));
    EXPECT_TRUE(MenuEnabled(ID_HOME_PAGE));
    EXPECT_TRUE(MenuEnabled(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(frame_->GetMenuBar()->IsChecked(ID_VIEW_STATUS_BAR));
    frame_->GetToolBar()->UpdateWindowUI();
    EXPECT_FALSE(frame_->GetToolBar()->GetToolEnabled(ID_PRINT_CALCULATION));

    // A control of the view with a command's id is not the menu's business.
    wxDocument* doc = manager_->CreateNewDocument();
    ASSERT_NE(doc, nullptr);
    auto* view = wxDynamicCast(doc->GetFirstView(), CVelmoraView);
    auto* button = new wxButton(view->Form(), ID_CALCULATE, "Mach Et");
    button->UpdateWindowUI();
    EXPECT_TRUE(button->IsEnabled());
}

TEST_F(MainFrameTest, QuorvelCommandsAreOnlyOnWithTheirExport) {
    InstallQuorvelCommands(*frame_);
    ASSERT_FALSE(Quorvel().IsLoaded());
    EXPECT_FALSE(MenuEnabled(ID_USER_DATA));
    EXPECT_FALSE(MenuEnabled(ID_FORMULAR));
    // The stand-in has the user-data export but no order form.
    ASSERT_TRUE(Quorvel().Load(VX_QUORVEL_STAND_IN));
    EXPECT_TRUE(MenuEnabled(ID_USER_DATA));
    EXPECT_FALSE(MenuEnabled(ID_FORMULAR));
    // A command sent all the same does nothing without its export.
    wxCommandEvent formular(wxEVT_MENU, ID_FORMULAR);
    frame_->GetEventHandler()->ProcessEvent(formular);
    Quorvel().Unload();
    EXPECT_FALSE(MenuEnabled(ID_USER_DATA));
}

TEST_F(MainFrameTest, NewDocumentIsUntitledWithTheViewAsClient) {
    vx::Profile().WriteString("Global", "DatPfad", "/daten/berechnungen");
    wxDocument* doc = manager_->CreateNewDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetTitle(), "unbenannt");
    EXPECT_EQ(doc->GetFilename(), "/daten/berechnungen/unbenannt");
    auto* view = wxDynamicCast(doc->GetFirstView(), CVelmoraView);
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->Form(), nullptr);
    EXPECT_EQ(view->Form()->GetParent(), frame_);
    frame_->Show();
    Pump();
    EXPECT_EQ(view->Form()->GetSize(), frame_->GetClientSize());
    EXPECT_EQ(doc->GetUserReadableName(), "unbenannt");
    EXPECT_EQ(frame_->GetTitle(), "unbenannt - Velmora");

    // One document at a time: a second new document replaces the first.
    wxDocument* second = manager_->CreateNewDocument();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(manager_->GetDocuments().GetCount(), 1u);
}

TEST_F(MainFrameTest, DocumentValuesAskTheActiveDocument) {
    DocumentValues values;
    EXPECT_EQ(values.GetDocValue(21, 0), -1);
    values.SetManager(manager_);
    EXPECT_EQ(values.GetDocValue(21, 0), -1);

    auto* doc = wxDynamicCast(manager_->CreateNewDocument(), CVelmoraDoc);
    ASSERT_NE(doc, nullptr);
    SetDocValueSource(&values);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(::GetDocValue(53), 0);
    EXPECT_EQ(::GetDocValue(1000), 0);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(::GetDocValue(21, 0), 0);
    EXPECT_TRUE(doc->IsModified());

    g_ResultsValid = 1;
    doc->resultValid = 1;
    EXPECT_EQ(::GetDocValue(18), 0);
    EXPECT_EQ(g_ResultsValid, 0);
    EXPECT_EQ(doc->resultValid, 0);
    SetDocValueSource(nullptr);
    EXPECT_EQ(::GetDocValue(18), -1);
}

TEST_F(MainFrameTest, ClosingAChangedDocumentAsksFirst) {
    wxDocument* doc = manager_->CreateNewDocument();
    ASSERT_NE(doc, nullptr);
    doc->Modify(true);
    vx::ScopedScriptedMessages messages;
    messages.service.answers = {vx::IDCANCEL, vx::IDNO};
    // Cancel keeps the document open.
    EXPECT_FALSE(manager_->CloseDocuments(false));
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(messages.service.shown[0].text, "\xc4nderungen in unbenannt speichern?");
    EXPECT_EQ(messages.service.shown[0].flags, unsigned(vx::MB_YESNOCANCEL | vx::MB_ICONEXCLAMATION));
    EXPECT_EQ(manager_->GetDocuments().GetCount(), 1u);
    // No closes it without saving.
    EXPECT_TRUE(manager_->CloseDocuments(false));
    EXPECT_EQ(messages.service.shown.size(), 2u);
    EXPECT_EQ(manager_->GetDocuments().GetCount(), 0u);
}

TEST_F(MainFrameTest, SavedPlacementIsRestoredAndBarsFollowTheCommands) {
    vx::Profile().WriteString("Window size", "Rect", "0100 0080 0740 0560");
    vx::Profile().WriteString("Window size", "tool", "0");
    frame_->ShowWithSavedPlacement();
    Pump();
    EXPECT_EQ(frame_->GetRect(), wxRect(100, 80, 640, 480));
    EXPECT_FALSE(frame_->GetToolBar()->IsShown());
    FramePlacement p = frame_->CurrentPlacement();
    EXPECT_EQ(FormatPlacementRect(p.left, p.top, p.right, p.bottom), "0100 0080 0740 0560");
    EXPECT_FALSE(p.toolbar);
    EXPECT_TRUE(p.statusBar);

    wxCommandEvent toggle(wxEVT_MENU, ID_VIEW_TOOLBAR);
    frame_->GetEventHandler()->ProcessEvent(toggle);
    wxCommandEvent status(wxEVT_MENU, ID_VIEW_STATUS_BAR);
    frame_->GetEventHandler()->ProcessEvent(status);
    p = frame_->CurrentPlacement();
    EXPECT_TRUE(p.toolbar);
    EXPECT_FALSE(p.statusBar);
}

TEST_F(MainFrameTest, MissingFileGivesTheFrameworksMessage) {
    vx::ScopedScriptedMessages messages;
    EXPECT_FALSE(frame_->OpenDocument("/nonexistent/anlage.kfx"));
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(messages.service.shown[0].text, "Fehler beim Öffnen des Dokuments.");
    EXPECT_EQ(manager_->GetDocuments().GetCount(), 0u);
}

TEST_F(MainFrameTest, RecentFileThatCannotBeOpenedLeavesTheList) {
    manager_->AddFileToHistory("/nonexistent/alt.kfx");
    manager_->AddFileToHistory("/nonexistent/neu.kfx");
    vx::ScopedScriptedMessages messages;
    wxCommandEvent pick(wxEVT_MENU, ID_FILE_MRU_FILE1 + 1);
    frame_->GetEventHandler()->ProcessEvent(pick);
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(messages.service.shown[0].text, "Fehler beim \xd6" "ffnen des Dokuments.");
    ASSERT_EQ(manager_->GetHistoryFilesCount(), 1u);
    EXPECT_EQ(manager_->GetHistoryFile(0), "/nonexistent/neu.kfx");
}

TEST_F(MainFrameTest, AFileOfAnyNameGoesToTheDocumentsReader) {
    // Not a calculation, and not named like one: one message of the
    // program's own, no window of the framework, no document left over.
    const std::string path = vx::JoinPath(vx::TempDir(), "vxframe-" + std::to_string(::getpid()) + ".txt");
    ASSERT_TRUE(vx::WriteFileAtomic(path, "kein Berechnungsinhalt"));
    vx::ScopedScriptedMessages messages;
    EXPECT_FALSE(frame_->OpenDocument(vx::ToWx(path)));
    Pump();
    EXPECT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(manager_->GetDocuments().GetCount(), 0u);
    vx::RemoveFile(path);
}

TEST_F(MainFrameTest, AboutBoxEnterPressesOkAndALinkWithoutBrowserIsTold) {
    CAboutDlg about(frame_);
    about.Show();
    Pump();
    auto* ok = dynamic_cast<wxButton*>(about.FindWindow(wxID_OK));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(about.GetDefaultItem(), ok);
    EXPECT_EQ(wxWindow::FindFocus(), ok);

    // A desktop without a browser: the opener fails as "xdg-open" does then.
    const std::string bin = vx::JoinPath(vx::TempDir(), vx::Format("vx-about-%d", int(::getpid())));
    vx::MakeDirs(bin);
    const std::string log = vx::JoinPath(bin, "opened"), stub = vx::JoinPath(bin, "xdg-open");
    ASSERT_TRUE(vx::WriteFileAtomic(stub, "#!/bin/sh\necho \"$1\" > '" + log + "'\nexit 3\n"));
    ASSERT_EQ(vx::RunProgram("chmod", {"+x", stub}), 0);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (bin + ":" + oldPath).c_str(), 1);
    vx::ScopedScriptedMessages messages;
    wxMouseEvent click(wxEVT_LEFT_DOWN);
    click.SetEventObject(about.Link());
    about.Link()->GetEventHandler()->ProcessEvent(click);
    ::setenv("PATH", oldPath.c_str(), 1);
    for (int i = 0; i < 4000 && messages.service.shown.empty(); ++i) {
        wxYield();
        wxMilliSleep(5);
    }
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_NE(messages.service.shown[0].text.find("http://www.trevalen.example/ kann nicht geöffnet werden"),
              std::string::npos);
    std::string opened;
    EXPECT_TRUE(vx::ReadWholeFile(log, opened));
    EXPECT_EQ(opened, "http://www.trevalen.example/\n");
    about.Hide();
    std::filesystem::remove_all(bin);
}

TEST_F(MainFrameTest, AboutBoxShowsVersionAndBuildDate) {
    CAboutDlg about(frame_);
    EXPECT_EQ(about.VersionLine(), "( V. 2.30  vom 17. Jun 2008 )");
    about.Show();
    Pump();
    about.Update();
    // A picture of the screen with the box, for a person to look at.
    if (const char* dir = std::getenv("VX_ARTEFACT_DIR")) {
        vx::MakeDirs(dir);
        for (int i = 0; i < 20; ++i) {
            Pump();
            wxMilliSleep(20);
        }
        const std::string file = vx::JoinPath(dir, "velmora_about_box.png");
        EXPECT_EQ(vx::RunProgram("import", {"-window", "root", file}), 0);
        EXPECT_TRUE(vx::FileExists(file));
    }
    about.Hide();
}

TEST(ProgramMenus, EveryItemHasALetterOfItsOwnInItsMenu) {
    // Both programs' menu bars and the input fields' menu, each from its own resource file.
    const std::pair<const char*, const char*> menus[] = {
        {"velmora/velmora.xrc", "IDR_MAINFRAME"}, {"tarsilo/tarsilo.xrc", "IDR_MAINFRAME"}, {"quorvel/fields.xrc", "106"}};
    std::vector<wxMenu*> lists;
    std::vector<std::unique_ptr<wxMenuBar>> bars;
    std::vector<std::unique_ptr<wxMenu>> popups;
    for (const auto& [file, name] : menus) {
        wxXmlResource resources(wxXRC_USE_LOCALE);
        resources.InitAllHandlers();
        ASSERT_TRUE(resources.Load(vx::ToWx(vx::JoinPath(vx::ResourceDir(), file)))) << file;
        if (std::string(name) == "106") {
            popups.emplace_back(resources.LoadMenu(name));
            ASSERT_NE(popups.back(), nullptr) << file;
            lists.push_back(popups.back().get());
        } else {
            bars.emplace_back(resources.LoadMenuBar(name));
            ASSERT_NE(bars.back(), nullptr) << file;
            for (size_t i = 0; i < bars.back()->GetMenuCount(); ++i) lists.push_back(bars.back()->GetMenu(i));
        }
    }
    size_t items = 0;
    for (wxMenu* menu : lists) {
        std::set<wxString> letters;
        for (wxMenuItem* item : menu->GetMenuItems()) {
            if (item->IsSeparator()) continue;
            ++items;
            const wxString label = item->GetItemLabel().BeforeFirst('\t');
            const int at = label.Find('&');
            ASSERT_NE(at, wxNOT_FOUND) << vx::FromWx(label);
            ASSERT_LT(size_t(at) + 1, label.size()) << vx::FromWx(label);
            const wxString letter = label.Mid(size_t(at) + 1, 1).Lower();
            EXPECT_TRUE(letters.insert(letter).second) << vx::FromWx(label) << " shares its letter";
        }
    }
    EXPECT_GT(items, 40u);
}
