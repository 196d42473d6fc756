// The assignment form on the real controls: the frame, the document manager
// and one document on the sample catalogue.
#include "tarsilo/CTarsiloApp.h"
#include "tarsilo/CTarsiloDoc.h"
#include "tarsilo/CTarsiloView.h"
#include "tarsilo/ResultRowOrder.h"
#include "tarsilo/TarsiloCommandIds.h"
#include "tarsilo/TarsiloDocView.h"
#include "tarsilo/TarsiloDocCommands.h"
#include "tarsilo/TarsiloFile.h"
#include "tarsilo/TarsiloProgram.h"

#include "model/CrossSectionTables.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/wx/WxFocus.h"
#include "testsupport/platform/WxTestWheel.h"
#include "platform/wx/WxText.h"
#include "quorvel/fields/CMyComboBox.h"
#include "quorvel/fields/CParsedEdit.h"
#include "quorvel/fields/CPromptMessage.h"
#include "quorvel/fields/FieldsDeliverable.h"
#include "testsupport/quorvel/FieldsTestDialog.h"
#include "tarsilo/TarsiloText.h"
#include "velmora/shared/CAboutDlg.h"
#include "velmora/shared/CDlgWrzInfo.h"
#include "velmora/shared/CMainFrame.h"
#include "testsupport/velmora/ProgramFrameTestEnv.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/frame.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/tooltip.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <utility>
#include <unistd.h>

namespace {

AssignmentRow Row(const char* section, const char* maker, const char* type, const char* output, const char* offset) {
    AssignmentRow r;
    const char* texts[] = {section, maker, type, output, offset};
    for (int c = 0; c < AssignmentRow::ColumnCount; ++c) r.columns[c] = texts[c];
    return r;
}

class TarsiloFormTest : public ModelTest {
protected:
    static void SetUpTestSuite() { LoadProgramResources("tarsilo"); }
    void SetUp() override {
        ModelTest::SetUp();
        UseTarsiloProgram();
        UseTarsiloModel();
        vx::Profile().WriteString("Datenbank", "Pfad", SampleData());
        vx::Profile().WriteString("Datenbank", "Anzeige_W", "1");
        vx::Strings().Clear();
        LoadProgramStrings();
        SetActiveFields(TarsiloFields());
        LoadFieldStrings(TarsiloFields());
        LoadCrossSectionTables();
        g_ResultSortMode = 0;
        frame_ = OpenProgramFrame(manager_, &CreateTarsiloTemplate, "Tarsilo");
        ASSERT_NE(frame_, nullptr);
        frame_->Bind(wxEVT_MENU, [this](wxCommandEvent& e) { frameCommands_.push_back(e.GetId()); });
        ASSERT_NE(manager_->CreateNewDocument(), nullptr);
        doc_ = wxDynamicCast(manager_->GetCurrentDocument(), CTarsiloDoc);
        ASSERT_NE(doc_, nullptr);
        auto* view = wxDynamicCast(doc_->GetFirstView(), TarsiloDocView);
        ASSERT_NE(view, nullptr);
        form_ = view->Form();
        ASSERT_NE(form_, nullptr);
        frame_->Show();
        Pump();
        frameCommands_.clear();
    }
    void TearDown() override {
        CloseProgramFrame(manager_, frame_);
        SetActiveFields(QuorvelFields());
        LoadCrossSectionTables();
        ModelTest::TearDown();
    }
    static void Pump() { PumpEvents(); }
    template <typename T> T* Control(int id) { return dynamic_cast<T*>(form_->FindWindow(id)); }

    void Choose(wxItemContainerImmutable* list, wxWindow* window, wxEventType type, int item) {
        ChooseItem(list, window, type, item);
        Pump();
    }
    void ChooseFuel(int position) { Choose(form_->FuelChoice(), form_->FuelChoice(), wxEVT_CHOICE, position); }
    void ClickHeader(int column) {
        wxListEvent event(wxEVT_LIST_COL_CLICK, CTarsiloView::IDC_RESULTS);
        event.SetEventObject(form_->ResultList());
        event.m_col = column;
        form_->ResultList()->GetEventHandler()->ProcessEvent(event);
    }
    std::string ListTypes() {
        std::string out;
        wxListCtrl* list = form_->ResultList();
        for (long i = 0; i < list->GetItemCount(); ++i) out += vx::FromWx(list->GetItemText(i, 2)) + ";";
        return out;
    }
    size_t MessagesWith(const std::string& text) const {
        size_t n = 0;
        for (const auto& shown : messages_.service.shown) n += shown.text == text;
        return n;
    }

    wxDocManager* manager_ = nullptr;
    CMainFrame* frame_ = nullptr;
    CTarsiloDoc* doc_ = nullptr;
    CTarsiloView* form_ = nullptr;
    std::vector<int> frameCommands_;
    vx::ScopedScriptedMessages messages_;
};

} // namespace

// The wheel over a list that does not have the keyboard picks nothing: the
// fuel, the system and the shape stay as chosen.
TEST_F(TarsiloFormTest, WheelOverAListKeepsTheChoice) {
    ChooseFuel(2);
    auto* system = Control<CMyComboBox>(IDC_SYSTEM);
    Choose(system, system, wxEVT_COMBOBOX, 1);
    const std::pair<wxWindow*, wxItemContainerImmutable*> lists[] = {
        {form_->FuelChoice(), form_->FuelChoice()}, {system, system}, {form_->ShapeChoice(), form_->ShapeChoice()}};
    int chosen[std::size(lists)];
    for (size_t i = 0; i < std::size(lists); ++i) chosen[i] = lists[i].second->GetSelection();
    wxWindow* machEt = form_->FindWindow(CTarsiloView::IDC_MACH_ET);
    FocusOn(machEt);
    vx::testing::WheelCounter wheel;
    for (const auto& [window, items] : lists) {
        const int seen = wheel.count;
        ASSERT_TRUE(vx::testing::TurnWheel(window->GetScreenRect().GetPosition() + wxPoint(10, window->GetSize().y / 2), 2));
        ASSERT_TRUE(PumpUntil([&] { return wheel.count >= seen + 2; })) << window->GetId();
        Settle();
        for (size_t i = 0; i < std::size(lists); ++i)
            EXPECT_EQ(lists[i].second->GetSelection(), chosen[i]) << "wheel over " << window->GetId();
    }
    EXPECT_EQ(doc_->fuelIndex, 2);
    wxUIActionSimulator().MouseMove(0, 0);
}

TEST_F(TarsiloFormTest, FormTextsAndColumns) {
    EXPECT_EQ(form_->FuelChoice()->GetCount(), 13u);
    EXPECT_EQ(vx::FromWx(form_->FuelChoice()->GetString(1)), "Heizöl EL");
    EXPECT_EQ(form_->SystemCombo()->GetCount(), 21u);
    EXPECT_EQ(form_->SystemCombo()->GetItemText(16), "@Abgasanlage \xDC" "berdruck");
    wxListCtrl* list = form_->ResultList();
    ASSERT_EQ(list->GetColumnCount(), 5);
    const char* headers[] = {"Durchmesser", "Hersteller", "Typ", "Leistung [kW]", "Offset"};
    const int widths[] = {75, 100, 120, 80, 0};
    for (int c = 0; c < 5; ++c) {
        wxListItem item;
        item.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
        list->GetColumn(c, item);
        EXPECT_EQ(vx::FromWx(item.GetText()), headers[c]);
        // At least as wide as the form's layout says, and wide enough for the header.
        if (c == 4) {
            EXPECT_EQ(list->GetColumnWidth(c), 0);
        } else {
            EXPECT_GE(list->GetColumnWidth(c), widths[c]) << c;
            EXPECT_GT(list->GetColumnWidth(c), list->GetTextExtent(item.GetText()).x) << c;
        }
    }
    // Labels 1000, 1009 and 1011 are drawn blue.
    EXPECT_EQ(Control<wxStaticText>(CTarsiloView::IDC_LABEL_BASIS)->GetForegroundColour(), wxColour(0, 0, 255));
}

TEST_F(TarsiloFormTest, WithoutFuelNoManufacturersAndMachEtAsksForOne) {
    ChooseFuel(1);
    EXPECT_GT(form_->ManufacturerList()->GetCount(), 0u);
    EXPECT_EQ(doc_->fuelName, "Heizöl EL");
    ChooseFuel(wxNOT_FOUND);
    EXPECT_EQ(doc_->fuelIndex, -1);
    EXPECT_EQ(form_->ManufacturerList()->GetCount(), 0u);
    EXPECT_TRUE(doc_->manufacturers.empty());
    form_->OnMachEt();
    EXPECT_EQ(MessagesWith(vx::LoadString(IDS_CHOOSE_FUEL)), 1u);
    EXPECT_TRUE(doc_->rows.empty());
}

TEST_F(TarsiloFormTest, AlleAndKeinerSelectEveryManufacturer) {
    ChooseFuel(1);
    form_->OnAlle();
    for (const ManufacturerItem& m : doc_->manufacturers) EXPECT_TRUE(m.selected) << m.name;
    form_->OnKeiner();
    for (const ManufacturerItem& m : doc_->manufacturers) EXPECT_FALSE(m.selected) << m.name;
    // Without a manufacturer the computation says so.
    form_->OnMachEt();
    EXPECT_EQ(MessagesWith(vx::LoadString(IDS_NO_MANUFACTURER)), 1u);
}

TEST_F(TarsiloFormTest, LongManufacturerNamesAreShownWhole) {
    ChooseFuel(1);
    const std::string name = "Vereinigte Heizkessel- und Feuerungstechnik Almendorf-Nord GmbH & Co. KG";
    doc_->manufacturers.insert(doc_->manufacturers.begin(), ManufacturerItem{name, 0, false});
    form_->OnDocumentUpdate();
    Pump();
    auto* list = Control<wxCheckListBox>(CTarsiloView::IDC_MANUFACTURERS);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(vx::FromWx(list->GetString(0)), name);
    const std::string dir = vx::ArtefactDir();
    if (!dir.empty()) {
        // For a person to look at: the window as drawn.
        for (int i = 0; i < 20; ++i) {
            Pump();
            wxMilliSleep(20);
        }
        vx::RunProgram("import", {"-window", "root", vx::JoinPath(dir, "tarsilo_form_long_maker.png")});
    }
    // Pointing at the line shows the whole name.
    const int first = list->HitTest(wxPoint(20, 5));
    ASSERT_EQ(first, 0);
    wxMouseEvent move(wxEVT_MOTION);
    move.SetPosition(wxPoint(20, 5));
    move.SetEventObject(list);
    list->GetEventHandler()->ProcessEvent(move);
    ASSERT_NE(list->GetToolTip(), nullptr);
    EXPECT_EQ(vx::FromWx(list->GetToolTip()->GetTip()), name);
}

TEST_F(TarsiloFormTest, ANewTableKeepsTheWindowAsTheUserLeftIt) {
    frame_->SetClientSize(1000, 760);
    Pump();
    const wxSize left = frame_->GetClientSize();
    ASSERT_NE(manager_->CreateNewDocument(), nullptr);
    Pump();
    auto* doc = wxDynamicCast(manager_->GetCurrentDocument(), CTarsiloDoc);
    ASSERT_NE(doc, nullptr);
    auto* view = wxDynamicCast(doc->GetFirstView(), TarsiloDocView);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(frame_->GetClientSize(), left);
    // The new form fills it.
    EXPECT_EQ(view->Form()->GetSize(), left);
}

TEST_F(TarsiloFormTest, AHeadingSelectsTheSystemAfterIt) {
    CMyComboBox* systems = form_->SystemCombo();
    Choose(systems, systems, wxEVT_COMBOBOX, 10);
    EXPECT_EQ(systems->GetSelection(), 11);
    EXPECT_EQ(vx::FromWx(systems->GetValue()), "einschalig m. Edelstahl");
    EXPECT_EQ(doc_->system, 11);
    EXPECT_DOUBLE_EQ(doc_->chimney.roughness.value, 0.001);
    Choose(systems, systems, wxEVT_COMBOBOX, 0);
    EXPECT_EQ(doc_->system, 1);
    EXPECT_EQ(systems->GetSelection(), 1);
}

TEST_F(TarsiloFormTest, LabelsAndHeaderFollowTheShape) {
    struct Case {
        int shape;
        const char* label;
        bool secondSide;
        const char* header;
    } cases[] = {{2, "&lichte Weite", true, "Länge x Breite"},
                 {1, "&lichte Weite", false, "Kantenlänge"},
                 {3, "&lichte Weite", true, "Länge x Breite"},
                 {0, "D&urchmesser", false, "Durchmesser"}};
    doc_->rows.push_back(Row("0,14", "A", "T", "10.0", "-1"));
    form_->FillResultList();
    for (const Case& c : cases) {
        Choose(form_->ShapeChoice(), form_->ShapeChoice(), wxEVT_CHOICE, c.shape);
        EXPECT_EQ(vx::FromWx(Control<wxStaticText>(CTarsiloView::IDC_SIZE_LABEL)->GetLabel()), c.label);
        EXPECT_EQ(form_->FindWindow(IDC_SECOND_SIDE)->IsShown(), c.secondSide) << c.shape;
        EXPECT_EQ(form_->FindWindow(CTarsiloView::IDC_TIMES)->IsShown(), c.secondSide) << c.shape;
        wxListItem item;
        item.SetMask(wxLIST_MASK_TEXT);
        form_->ResultList()->GetColumn(0, item);
        EXPECT_EQ(vx::FromWx(item.GetText()), c.header);
        EXPECT_EQ(doc_->shape, c.shape);
    }
    // A shape choice deletes the rows.
    EXPECT_TRUE(doc_->rows.empty());
    EXPECT_EQ(form_->ResultList()->GetItemCount(), 0);
}

TEST_F(TarsiloFormTest, HeaderClicksSortAndTheHiddenOneKeepsTheOrder) {
    doc_->rows = {Row("0,14", "Zeta", "Z1", "10.0", "1"), Row("0,13", "Alpha", "A1", "9.0", "2"),
                  Row("0,14", "Alpha", "A2", "10.0", "3")};
    form_->FillResultList();
    EXPECT_EQ(vx::FromWx(Control<wxStaticText>(CTarsiloView::IDC_ROW_COUNT)->GetLabel()), "3");
    ClickHeader(4);
    EXPECT_EQ(ListTypes(), "Z1;A1;A2;");
    ClickHeader(3);
    EXPECT_EQ(ListTypes(), "A1;A2;Z1;");
    ClickHeader(1);
    EXPECT_EQ(ListTypes(), "A1;A2;Z1;");
    ClickHeader(0);
    EXPECT_EQ(ListTypes(), "A1;A2;Z1;");
    ClickHeader(2);
    EXPECT_EQ(ListTypes(), "A1;A2;Z1;");
    ClickHeader(4);
    EXPECT_EQ(ListTypes(), "A1;A2;Z1;");
    EXPECT_EQ(g_ResultSortMode, 4);
}

TEST_F(TarsiloFormTest, RowsFromAFileTellOnceThatTheyNeedMachEt) {
    doc_->rows = {Row("0,14", "Alpha", "A1", "10.0", "-1"), Row("0,15", "Alpha", "A2", "12.0", "-1")};
    const std::string path = vx::JoinPath(vx::TempDir(), "tarsilo-form-" + std::to_string(::getpid()) + ".kbv");
    ASSERT_TRUE(TarsiloFile::SaveFile(*doc_, path));
    doc_->rows.clear();
    ASSERT_TRUE(doc_->OpenCalculation(vx::ToWx(path)));
    vx::RemoveFile(path);
    Pump();
    ASSERT_EQ(form_->ResultList()->GetItemCount(), 2);

    auto* info = Control<wxCheckBox>(CTarsiloView::IDC_SHOW_INFO);
    info->SetValue(true);
    wxCommandEvent check(wxEVT_CHECKBOX, CTarsiloView::IDC_SHOW_INFO);
    check.SetEventObject(info);
    info->GetEventHandler()->ProcessEvent(check);
    EXPECT_EQ(vx::Profile().GetInt("Global", "Info", 0), 1);

    const std::string text = vx::LoadString(IDS_ROW_NOT_COMPUTED);
    form_->ResultList()->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED);
    Pump();
    form_->ResultList()->SetItemState(1, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED);
    Pump();
    form_->ShowHeatGeneratorInfo();
    EXPECT_EQ(MessagesWith(text), 1u);
    EXPECT_TRUE(form_->NoOffset());
    EXPECT_FALSE(form_->InfoWindow()->IsShown());
}

TEST_F(TarsiloFormTest, FieldMenuCommandsStayInTheField) {
    auto* edit = dynamic_cast<CParsedEdit*>(form_->FindWindow(IDC_OUTPUT_FROM));
    ASSERT_NE(edit, nullptr);
    // Preview, help, cross-section tables and hand-over
    // share their ids with the field's menu.
    for (int id : {32774, 32777, 32779, 32785, 32786}) {
        wxCommandEvent command(wxEVT_MENU, WxCommandId(id));
        command.SetEventObject(edit);
        edit->GetEventHandler()->ProcessEvent(command);
    }
    Pump();
    EXPECT_TRUE(frameCommands_.empty());
}

TEST_F(TarsiloFormTest, MachEtFillsAndSortsTheList) {
    ChooseFuel(0);  // "Koks"
    ASSERT_GT(doc_->manufacturers.size(), 0u);
    CMyComboBox* systems = form_->SystemCombo();
    Choose(systems, systems, wxEVT_COMBOBOX, 1);
    // Typed key by key through the fields' filters: "von" 20, "bis" 0 takes
    // the 20 kW heat generators only.
    KeyUpCounter keys;
    for (auto [id, text] : {std::pair{IDC_OUTPUT_FROM, "20"}, std::pair{IDC_OUTPUT_TO, "0"},
                            std::pair{IDC_EFFECTIVE_HEIGHT, "8"}}) {
        auto* edit = dynamic_cast<CParsedEdit*>(form_->FindWindow(id));
        FocusOn(edit);
        edit->SelectAll();
        Type(keys, text);
        EXPECT_EQ(vx::FromWx(edit->GetValue()), text) << id;
    }
    form_->OnAlle();
    form_->OnMachEt();
    for (const auto& shown : messages_.service.shown) ADD_FAILURE() << "[" << shown.text << "] " << shown.text.size();
    EXPECT_EQ(doc_->outputFrom.value, 20);
    EXPECT_EQ(doc_->counts.heatGenerators, 1);
    ASSERT_FALSE(doc_->rows.empty());
    for (const AssignmentRow& row : doc_->rows)
        EXPECT_EQ(row.columns[AssignmentRow::Type], "Koksomat 20");
    EXPECT_TRUE(form_->ResultList()->IsShown());
    EXPECT_EQ(form_->ResultList()->GetItemCount(), long(doc_->rows.size()));
    EXPECT_EQ(vx::FromWx(Control<wxStaticText>(CTarsiloView::IDC_ROW_COUNT)->GetLabel()),
              std::to_string(doc_->rows.size()));
    for (size_t i = 1; i < doc_->rows.size(); ++i)
        EXPECT_LE(CompareResultRows(doc_->rows[i - 1], doc_->rows[i], 0), 0) << i;
    // A computed row shows its heat generator over the list.
    auto* info = Control<wxCheckBox>(CTarsiloView::IDC_SHOW_INFO);
    info->SetValue(true);
    wxCommandEvent check(wxEVT_CHECKBOX, CTarsiloView::IDC_SHOW_INFO);
    info->GetEventHandler()->ProcessEvent(check);
    form_->ResultList()->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    form_->ShowHeatGeneratorInfo();
    EXPECT_TRUE(form_->InfoWindow()->IsShown());
    EXPECT_LE(form_->InfoWindow()->GetRect().GetBottom(), form_->ResultList()->GetRect().GetTop());
}

TEST_F(TarsiloFormTest, StartAnswersBecomeTheirCommands) {
    int newDocuments = 0;
    frame_->Bind(wxEVT_MENU, [&](wxCommandEvent&) { ++newDocuments; }, ID_FILE_NEW);
    struct Case {
        int answer;
        std::vector<int> posted;
        int newDocuments;
        bool openLast;
    } cases[] = {{10, {ID_PROJECT_DATA}, 0, false},
                 {12, {ID_FILE_OPEN}, 0, false},
                 {13, {}, 1, true},  // run at once, not posted
                 {11, {}, 0, false},
                 {2, {}, 0, false}};
    for (const Case& c : cases) {
        frameCommands_.clear();
        newDocuments = 0;
        g_OpenLast = false;
        form_->OnStartAnswer(c.answer);
        Pump();
        EXPECT_EQ(frameCommands_, c.posted) << c.answer;
        EXPECT_EQ(newDocuments, c.newDocuments) << c.answer;
        EXPECT_EQ(g_OpenLast, c.openLast) << c.answer;
    }
    g_OpenLast = false;
}

TEST_F(TarsiloFormTest, InstalledCommandsAndProgressReachTheDocument) {
    struct Progress : AssignmentProgress {
        void Show() override {}
        void Hide() override {}
        void SetStatusText(const std::string& text) override { texts.push_back(text); }
        bool IsCancelled() const override { return false; }
        void ClearCancel() override {}
        std::vector<std::string> texts;
    };
    std::vector<std::string>* seen = nullptr;
    int printed = 0;
    CTarsiloDoc::SetCommandInstaller([&](CTarsiloDoc& doc) {
        doc.Bind(wxEVT_MENU, [&](wxCommandEvent&) { ++printed; }, ID_PRINT_CALCULATION);
    });
    CTarsiloDoc::SetProgressFactory([&](wxWindow* parent) {
        EXPECT_EQ(parent, frame_);
        auto progress = std::make_unique<Progress>();
        seen = &progress->texts;
        return std::unique_ptr<AssignmentProgress>(std::move(progress));
    });
    // A new document of the manager takes them.
    doc_->Modify(false);
    manager_->CloseDocuments(true);
    ASSERT_NE(manager_->CreateNewDocument(), nullptr);
    CTarsiloDoc::SetCommandInstaller(nullptr);
    doc_ = wxDynamicCast(manager_->GetCurrentDocument(), CTarsiloDoc);
    form_ = wxDynamicCast(doc_->GetFirstView(), TarsiloDocView)->Form();
    Pump();

    wxCommandEvent print(wxEVT_MENU, ID_PRINT_CALCULATION);
    print.SetEventObject(frame_);
    frame_->GetEventHandler()->ProcessEvent(print);
    EXPECT_EQ(printed, 1);

    ChooseFuel(0);
    Choose(form_->SystemCombo(), form_->SystemCombo(), wxEVT_COMBOBOX, 1);
    for (auto [id, text] : {std::pair{IDC_OUTPUT_FROM, "20"}, std::pair{IDC_EFFECTIVE_HEIGHT, "8"}}) {
        auto* edit = dynamic_cast<CParsedEdit*>(form_->FindWindow(id));
        edit->SetValue(vx::ToWx(text));
        edit->MarkModified(true);
    }
    form_->OnAlle();
    form_->OnMachEt();
    CTarsiloDoc::SetProgressFactory(nullptr);
    ASSERT_NE(seen, nullptr);
    ASSERT_FALSE(seen->empty());
    EXPECT_NE(seen->back().find("Koksomat 20"), std::string::npos);
}

TEST_F(TarsiloFormTest, AboutBoxNamesTheVersionAndTheDatabase) {
    vx::Profile().WriteString("Datenbank", "Stand_W", "2007/11");
    CAboutDlg about(frame_);
    EXPECT_EQ(vx::FromWx(about.VersionLine()), "( V. 2.30  vom 17. Jun 2008 )");
    EXPECT_EQ(vx::FromWx(about.GetTitle()), "Info über Tarsilo");
    EXPECT_EQ(AboutDatabaseLine(), "( Datenbank: 2007/11 )");
}

TEST_F(TarsiloFormTest, PartLoadBoxOldCatalogueAndTheModelsUpdate) {
    doc_->rows.push_back(Row("0,14", "A", "T", "10.0", "-1"));
    form_->FillResultList();
    auto* box = Control<wxCheckBox>(CTarsiloView::IDC_WITHOUT_PART_LOAD);
    box->SetValue(true);
    wxCommandEvent check(wxEVT_CHECKBOX, CTarsiloView::IDC_WITHOUT_PART_LOAD);
    check.SetEventObject(box);
    box->GetEventHandler()->ProcessEvent(check);
    EXPECT_EQ(doc_->partLoad, 0);
    EXPECT_TRUE(doc_->rows.empty());
    EXPECT_EQ(vx::FromWx(Control<wxStaticText>(CTarsiloView::IDC_ROW_COUNT)->GetLabel()), "0");

    // The model's code 21 marks the document and shows its values: the box follows the flag.
    doc_->partLoad = 1;
    doc_->Modify(false);
    EXPECT_EQ(doc_->GetDocValue(21, 1), 0);
    EXPECT_TRUE(doc_->IsModified());
    EXPECT_FALSE(box->GetValue());

    // A catalogue older than 400 days asks for its update on a fuel choice.
    vx::Profile().WriteString("Datenbank", "Anzeige_W", "0");
    vx::Profile().WriteString("Datenbank", "Stand_W", "2002/03");
    frameCommands_.clear();
    ChooseFuel(1);
    EXPECT_EQ(frameCommands_, std::vector<int>{ID_ORDER_UPDATE});
}

TEST_F(TarsiloFormTest, OnlyANewDocumentInTheShownWindowAsksForItsProject) {
    auto projectRequests = [this] { return std::count(frameCommands_.begin(), frameCommands_.end(), ID_PROJECT_DATA); };
    // At start-up the document comes before the window shows; the start dialog asks then.
    frame_->Hide();
    doc_->Modify(false);
    manager_->CloseDocuments(true);
    frameCommands_.clear();
    ASSERT_NE(manager_->CreateNewDocument(), nullptr);
    Pump();
    EXPECT_EQ(projectRequests(), 0);
    // "Neu" in the shown window asks once.
    frame_->Show();
    doc_ = wxDynamicCast(manager_->GetCurrentDocument(), CTarsiloDoc);
    ASSERT_TRUE(doc_->OnNewDocument());
    Pump();
    EXPECT_EQ(projectRequests(), 1);
}

TEST_F(TarsiloFormTest, ColumnsWidenToTheirTexts) {
    doc_->rows = {Row("0.130 x 0.180", "Kesselwerk Almendorf GmbH", "Unitherm Gas BW 20 Kombi", " 19.0 -  29.0", "17")};
    form_->FillResultList();
    wxListCtrl* list = form_->ResultList();
    for (int c = 0; c < 4; ++c) {
        const wxString text = vx::ToWx(doc_->rows[0].columns[c]);
        EXPECT_GT(list->GetColumnWidth(c), list->GetTextExtent(text).x) << c;
    }
    EXPECT_EQ(list->GetColumnWidth(4), 0);
    // The longest header of the first column, after a change of shape.
    Choose(form_->ShapeChoice(), form_->ShapeChoice(), wxEVT_CHOICE, 2);
    EXPECT_GT(list->GetColumnWidth(0), list->GetTextExtent(vx::ToWx("Länge x Breite")).x);
}

TEST_F(TarsiloFormTest, TabOrderAndLabelLettersFollowTheForm) {
    // Each label's letter leads to the next control that takes the keyboard.
    auto target = [this](const char* text) -> int {
        const wxWindowList& children = form_->GetChildren();
        bool after = false;
        for (wxWindow* w : children) {
            if (after && w->AcceptsFocusFromKeyboard()) return w->GetId();
            if (dynamic_cast<wxStaticText*>(w) && vx::FromWx(w->GetLabel()) == text) after = true;
        }
        return -1;
    };
    const std::pair<const char*, int> labels[] = {
        {"Nennwärmeleistung &von", IDC_OUTPUT_FROM},         {"&bis", IDC_OUTPUT_TO},
        {"B&rennstoff", CTarsiloView::IDC_FUEL},              {"&System", IDC_SYSTEM},
        {"&wirksame Schornsteinhöhe", IDC_EFFECTIVE_HEIGHT},  {"&Querschnittsform", CTarsiloView::IDC_SHAPE},
        {"D&urchmesser", IDC_SECTION_SIZE},                   {"&Hersteller Wärmeerzeuger", CTarsiloView::IDC_MANUFACTURERS}};
    for (const auto& [text, id] : labels) EXPECT_EQ(target(text), id) << text;
    std::vector<int> tabs;
    for (wxWindow* w : form_->GetChildren())
        if (w->GetId() > 0 && !w->IsTopLevel() && w->CanAcceptFocusFromKeyboard()) tabs.push_back(w->GetId());
    const std::vector<int> expected = {IDC_OUTPUT_FROM, IDC_OUTPUT_TO, CTarsiloView::IDC_FUEL, IDC_SYSTEM,
                                       CTarsiloView::IDC_FU, IDC_EFFECTIVE_HEIGHT, CTarsiloView::IDC_SHAPE,
                                       IDC_SECTION_SIZE, CTarsiloView::IDC_MACH_ET, CTarsiloView::IDC_MANUFACTURERS,
                                       CTarsiloView::IDC_ALL, CTarsiloView::IDC_NONE,
                                       CTarsiloView::IDC_WITHOUT_PART_LOAD, CTarsiloView::IDC_RESULTS,
                                       CTarsiloView::IDC_SHOW_INFO};
    EXPECT_EQ(tabs, expected);
}

TEST_F(TarsiloFormTest, SaveKeepsTheOrderOfAHeaderClick) {
    doc_->rows = {Row("0,13", "Zeta", "Z1", "10.0", "1"), Row("0,14", "Alpha", "A1", "9.0", "2")};
    form_->FillResultList();
    const std::string path = vx::JoinPath(vx::TempDir(), "tarsilo-order-" + std::to_string(::getpid()) + ".kbv");
    ASSERT_TRUE(doc_->OnSaveDocument(vx::ToWx(path)));
    doc_->SetPathName(path);
    doc_->SetDocumentSaved(true);
    ClickHeader(1);
    ASSERT_EQ(ListTypes(), "A1;Z1;");
    EXPECT_FALSE(doc_->IsModified());
    wxCommandEvent save(wxEVT_MENU, ID_FILE_SAVE);
    save.SetEventObject(frame_);
    frame_->GetEventHandler()->ProcessEvent(save);
    CTarsiloDocCore reread;
    ASSERT_TRUE(TarsiloFile::LoadFile(reread, path));
    vx::RemoveFile(path);
    ASSERT_EQ(reread.rows.size(), 2u);
    EXPECT_EQ(reread.rows[0].columns[AssignmentRow::Type], "A1");
    EXPECT_EQ(reread.rows[1].columns[AssignmentRow::Type], "Z1");
}

TEST_F(TarsiloFormTest, SaveAsksBeforeTheProjectNumberNamesAnotherFile) {
    vx::Profile().WriteString("Global", "DatPfad", vx::TempDir());
    const std::string pid = std::to_string(::getpid());
    const std::string own = vx::JoinPath(vx::TempDir(), "tarsilo-eigen-" + pid + ".kbv");
    const std::string taken = vx::JoinPath(vx::TempDir(), "tarsilo-projekt-" + pid + ".kbv");
    ASSERT_TRUE(vx::WriteFileAtomic(taken, "erste Tabelle"));
    ASSERT_TRUE(doc_->OnSaveDocument(vx::ToWx(own)));
    doc_->SetPathName(own);
    // The project number of another table renames this one onto it.
    TarsiloLibraryDocument library(*doc_, *doc_);
    library.TakeProjectName("tarsilo-projekt-" + pid);
    EXPECT_EQ(doc_->GetFilename(), vx::ToWx(taken));
    int asked = 0;
    CTarsiloDoc::SetSavePathChooser([&](const std::string& dir, const std::string& name) {
        ++asked;
        return vx::JoinPath(dir, name);
    });
    messages_.service.answers = {vx::IDNO};
    wxCommandEvent save(wxEVT_MENU, ID_FILE_SAVE);
    save.SetEventObject(frame_);
    frame_->GetEventHandler()->ProcessEvent(save);
    CTarsiloDoc::SetSavePathChooser(nullptr);
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(messages_.service.shown.size(), 1u);
    EXPECT_EQ(messages_.service.shown[0].text,
              "Die Datei \x84" + vx::BaseName(taken) + "\x93 existiert bereits.\nM\xF6" "chten Sie sie ersetzen?");
    std::string bytes;
    ASSERT_TRUE(vx::ReadWholeFile(taken, bytes));
    EXPECT_EQ(bytes, "erste Tabelle");
    vx::RemoveFile(own);
    vx::RemoveFile(taken);
}

TEST_F(TarsiloFormTest, AltLettersLeadOutOfTheSystemList) {
    ChooseFuel(1);
    form_->OnAlle();
    KeyUpCounter keys;
    // A label's letter leads to its field, though the list would search with it.
    FocusOn(form_->SystemCombo());
    Key(keys, 'w', wxMOD_ALT);
    EXPECT_EQ(wxWindow::FindFocus(), form_->FindWindow(IDC_EFFECTIVE_HEIGHT));
    EXPECT_EQ(form_->SystemCombo()->GetSelection(), wxNOT_FOUND);
    // A button's letter presses it.
    FocusOn(form_->SystemCombo());
    Key(keys, 'k', wxMOD_ALT);
    ASSERT_FALSE(doc_->manufacturers.empty());
    for (const ManufacturerItem& m : doc_->manufacturers) EXPECT_FALSE(m.selected) << m.name;
    EXPECT_EQ(form_->SystemCombo()->GetSelection(), wxNOT_FOUND);
}

TEST_F(TarsiloFormTest, FormLettersComeBeforeTheMenuBarAndTheMenuTakesTheRest) {
    ChooseFuel(1);
    form_->OnKeiner();
    std::vector<wxString> opened;
    frame_->Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& e) {
        if (e.GetMenu() && !e.IsPopup()) opened.push_back(e.GetMenu()->GetTitle());
        e.Skip();
    });
    int closed = 0;
    frame_->Bind(wxEVT_MENU_CLOSE, [&](wxMenuEvent& e) {
        ++closed;
        e.Skip();
    });
    KeyUpCounter keys;
    // "Alle" and "Ansicht" share the letter: the form's button is pressed.
    FocusOn(form_->SystemCombo());
    Key(keys, 'a', wxMOD_ALT);
    ASSERT_FALSE(doc_->manufacturers.empty());
    for (const ManufacturerItem& m : doc_->manufacturers) EXPECT_TRUE(m.selected) << m.name;
    EXPECT_TRUE(opened.empty());
    // Only the menu has "D" (the size's label leads with "u"): "Datei" opens;
    // F10 and Alt alone open the first menu.
    for (int key : {int('d'), int(WXK_F10), int(WXK_ALT)}) {
        const size_t before = opened.size();
        const int closedBefore = closed;
        FocusOn(form_->SystemCombo());
        wxUIActionSimulator sim;
        sim.Char(key, key == 'd' ? wxMOD_ALT : wxMOD_NONE);
        ASSERT_TRUE(PumpUntil([&] { return opened.size() > before; })) << key;
        EXPECT_EQ(opened.back(), "&Datei") << key;
        sim.Char(WXK_ESCAPE);
        sim.Char(WXK_ESCAPE);
        ASSERT_TRUE(PumpUntil([&] { return closed > closedBefore; })) << key;
        Settle();
    }
    // The size's own letter leads to its field.
    FocusOn(form_->SystemCombo());
    Key(keys, 'u', wxMOD_ALT);
    EXPECT_EQ(wxWindow::FindFocus(), form_->FindWindow(IDC_SECTION_SIZE));
}

// After a window of its own has gone (a preview, a dialog), the keyboard is
// the form's again: otherwise F10 and the letters reach the menu bar alone.
TEST_F(TarsiloFormTest, AWindowThatGoesGivesTheKeyboardBackToTheForm) {
    // Once while the form is usable, once while the window disables it (as
    // the computation's progress does), which takes the keyboard away.
    for (const bool disables : {false, true}) {
        FocusOn(form_->SystemCombo());
        auto* other = new wxFrame(frame_, wxID_ANY, "Vorschau");
        auto* button = new wxButton(other, wxID_ANY, "OK");
        other->Show();
        if (disables) frame_->Disable();
        button->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == button; }));
        other->Destroy();
        if (disables) frame_->Enable();
        ASSERT_TRUE(PumpUntil([&] {
            wxWindow* focus = wxWindow::FindFocus();
            return focus && (focus == form_->SystemCombo() || focus->GetParent() == form_->SystemCombo());
        })) << (disables ? "after a disabling window" : "after a window");
    }
}

// A choice list does not tell its window class when it gets the keyboard
// (its inner button takes it): after a dialog the keyboard goes back to it
// all the same, not to the field that had it before.
TEST_F(TarsiloFormTest, AfterADialogTheKeyboardGoesBackToTheChoiceListThatHadIt) {
    wxChoice* fuel = form_->FuelChoice();
    FocusOn(form_->FindWindow(IDC_OUTPUT_TO));
    fuel->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return vx::KeyboardControlOf(frame_) == fuel; }));
    // A key in the list (Shift alone changes nothing), then a dialog.
    KeyUpCounter keys;
    Key(keys, WXK_SHIFT);
    auto* dialog = new wxDialog(frame_, wxID_ANY, "Info W\u00e4rmeerzeugerdatenbank");
    auto* ok = new wxButton(dialog, wxID_OK, "OK");
    dialog->CallAfter([&] {
        ok->SetFocus();
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == ok; }));
        dialog->EndModal(wxID_OK);
    });
    dialog->ShowModal();
    dialog->Destroy();
    Settle();
    EXPECT_TRUE(PumpUntil([&] { return vx::KeyboardControlOf(frame_) == fuel; }))
        << "the keyboard is in " << (vx::KeyboardControlOf(frame_) ? vx::KeyboardControlOf(frame_)->GetName() : "nothing");
}

TEST_F(TarsiloFormTest, NumberFieldsSayWhatIsWrongAtTheirField) {
    ChooseFuel(1);  // "Heizöl EL"
    ASSERT_FALSE(doc_->manufacturers.empty());
    CMyComboBox* systems = form_->SystemCombo();
    auto systemHasKeyboard = [&] {
        wxWindow* focus = wxWindow::FindFocus();
        return focus && (focus == systems || focus->GetParent() == systems);
    };
    // Without a system "Mach Et" asks for one at its list.
    ASSERT_LT(doc_->system, 0);
    form_->OnAlle();
    FocusOn(form_->FindWindow(CTarsiloView::IDC_MACH_ET));
    messages_.service.shown.clear();
    form_->OnMachEt();
    ASSERT_EQ(messages_.service.shown.size(), 1u);
    EXPECT_EQ(messages_.service.shown[0].text,
              "Bitte wählen Sie zuerst ein System aus, damit eine Berechnung durchgeführt werden kann.");
    EXPECT_EQ(doc_->counts.chainRuns, 0);
    EXPECT_TRUE(PumpUntil(systemHasKeyboard));
    Choose(systems, systems, wxEVT_COMBOBOX, 1);
    CPromptMessage* strip = form_->FieldWindow().strip;
    ASSERT_NE(strip, nullptr);
    KeyUpCounter keys;
    auto field = [this](int id) { return dynamic_cast<CParsedEdit*>(form_->FindWindow(id)); };
    auto retype = [&](int id, const char* text) {
        FocusOn(field(id));
        field(id)->SelectAll();
        Key(keys, WXK_BACK);
        Type(keys, text);
    };
    // A refused key beeps and says, naming the field, what it takes.
    const size_t beeps = messages_.service.beeps.size();
    retype(IDC_EFFECTIVE_HEIGHT, "-5");
    EXPECT_EQ(vx::FromWx(field(IDC_EFFECTIVE_HEIGHT)->GetValue()), "5");
    EXPECT_GT(messages_.service.beeps.size(), beeps);
    EXPECT_EQ(strip->Text(), "wirksame Schornsteinhöhe: Erlaubt sind Ziffern und ein Komma.");

    // Left without a number, or with one beyond its range: the field says
    // so, named, and keeps the keyboard.
    struct Case {
        int id;
        const char* typed;
        const char* message;
    } cases[] = {{IDC_EFFECTIVE_HEIGHT, "", "wirksame Schornsteinhöhe: Bitte geben Sie eine Zahl ein, zum Beispiel 12,5."},
                 {IDC_OUTPUT_TO, "", "Nennwärmeleistung bis: Bitte geben Sie eine Zahl ein, zum Beispiel 12,5."},
                 {IDC_EFFECTIVE_HEIGHT, "123456789012345678901234567890123456789",
                  "wirksame Schornsteinhöhe: Erlaubt sind Werte von 0,01 bis 200 m"},
                 // The chimney's own limit: the field says what "Mach Et" would.
                 {IDC_EFFECTIVE_HEIGHT, "0", "wirksame Schornsteinhöhe: Erlaubt sind Werte von 0,01 bis 200 m"}};
    for (const Case& c : cases) {
        retype(c.id, c.typed);
        Key(keys, WXK_TAB);
        EXPECT_TRUE(PumpUntil([&] { return strip->Text().rfind(c.message, 0) == 0; })) << strip->Text();
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == field(c.id); })) << c.message;
        retype(c.id, c.id == IDC_OUTPUT_TO ? "0" : "8");
        Key(keys, WXK_TAB);
        Settle();
    }

    // "Mach Et" with a height the chimney cannot have, still in its field: the
    // message names the field, writes the limits as the field does, and the
    // field keeps the keyboard.
    retype(IDC_EFFECTIVE_HEIGHT, "0");
    messages_.service.shown.clear();
    form_->OnAlle();
    form_->OnMachEt();
    ASSERT_EQ(messages_.service.shown.size(), 1u);
    EXPECT_EQ(messages_.service.shown[0].text, "wirksame Schornsteinhöhe: Erlaubt sind Werte von 0,01 bis 200 m\r\n");
    EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == field(IDC_EFFECTIVE_HEIGHT); }));

    // An empty table says why: "von" above "bis", or a chimney that fits none.
    retype(IDC_EFFECTIVE_HEIGHT, "8");
    retype(IDC_OUTPUT_FROM, "30");
    retype(IDC_OUTPUT_TO, "20");
    FocusOn(form_->FindWindow(CTarsiloView::IDC_MACH_ET));
    messages_.service.shown.clear();
    form_->OnAlle();
    form_->OnMachEt();
    ASSERT_EQ(messages_.service.shown.size(), 1u);
    EXPECT_EQ(messages_.service.shown[0].text,
              "Nennwärmeleistung von: Der Wert ist größer als \"bis\"; kein Wärmeerzeuger liegt dazwischen.");
    EXPECT_TRUE(doc_->rows.empty());
    EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == field(IDC_OUTPUT_FROM); }));
    retype(IDC_OUTPUT_FROM, "0");
    retype(IDC_OUTPUT_TO, "0");
    retype(IDC_EFFECTIVE_HEIGHT, "1");
    FocusOn(form_->FindWindow(CTarsiloView::IDC_MACH_ET));
    messages_.service.shown.clear();
    form_->OnAlle();
    form_->OnMachEt();
    ASSERT_GT(doc_->counts.heatGenerators, 0);
    ASSERT_TRUE(doc_->rows.empty());
    ASSERT_EQ(messages_.service.shown.size(), 1u);
    EXPECT_EQ(messages_.service.shown[0].text,
              vx::Format("Der Schornstein passt zu keinem der %ld berechneten Wärmeerzeuger.", doc_->counts.heatGenerators));
}
