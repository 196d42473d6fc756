// The input form on the display: lists filled from the sample catalogue,
// the handlers driven through the real controls, and a computation started
// with "Mach Et".
#include "velmora/CVelmoraApp.h"
#include "velmora/CVelmoraDoc.h"
#include "velmora/CVelmoraView.h"
#include "velmora/CommandIds.h"
#include "velmora/VelmoraSettings.h"
#include "velmora/VelmoraText.h"
#include "velmora/shared/CMainFrame.h"

#include "model/CrossSectionTables.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/System.h"
#include "testsupport/platform/TestSupport.h"
#include "testsupport/platform/WxTestWheel.h"
#include "platform/wx/WxText.h"
#include "velmora/CCombVelmora.h"
#include "velmora/CComboWrzTyp.h"
#include "velmora/shared/CDlgWrzInfo.h"
#include "testsupport/velmora/ProgramFrameTestEnv.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

#include <cstdlib>
#include <functional>
#include <iterator>
#include <utility>

namespace {

class FormTest : public ModelTest {
protected:
    static void SetUpTestSuite() { LoadProgramResources("velmora"); }
    void SetUp() override {
        ModelTest::SetUp();
        vx::Profile().WriteString("Datenbank", "Pfad", SampleData());
        vx::Profile().WriteString("Datenbank", "Anzeige_W", "1");
        vx::Profile().WriteString("Global", "Hinweis", "1");
        vx::Strings().Clear();
        LoadProgramStrings();
        LoadCrossSectionTables();
        frame_ = OpenProgramFrame(manager_, &CreateVelmoraTemplate, ProgramFrameTitle());
        ASSERT_NE(frame_, nullptr);
        frame_->Bind(wxEVT_MENU, [this](wxCommandEvent&) { ++projectDataPosts_; }, ID_PROJECT_DATA);
        ASSERT_NE(manager_->CreateNewDocument(), nullptr);
        doc_ = wxDynamicCast(manager_->GetCurrentDocument(), CVelmoraDoc);
        ASSERT_NE(doc_, nullptr);
        view_ = wxDynamicCast(doc_->GetFirstView(), CVelmoraView);
        ASSERT_NE(view_, nullptr);
        frame_->Show();
        Pump();
        form_ = view_->Form();
        ASSERT_NE(form_, nullptr);
        // A save dialog here would wait for a user.
        CVelmoraDoc::SetSavePathChooser([](const std::string&, const std::string& name) {
            ADD_FAILURE() << "save dialog for " << name;
            return std::string();
        });
    }
    void TearDown() override {
        CVelmoraDoc::SetSavePathChooser(nullptr);
        CloseProgramFrame(manager_, frame_);
        LoadCrossSectionTables();
        ModelTest::TearDown();
    }
    static void Pump() { PumpEvents(); }
    template <typename T> T* Control(int id) { return dynamic_cast<T*>(form_->FindWindow(id)); }

    void Choose(wxItemContainerImmutable* list, wxWindow* window, wxEventType type, int item) {
        ChooseItem(list, window, type, item);
    }
    void ChooseFuel(int position) {
        auto* c = Control<wxChoice>(CVelmoraView::IDC_FUEL);
        Choose(c, c, wxEVT_CHOICE, position);
    }
    void ChooseManufacturer(const char* name) {
        auto* c = Control<wxChoice>(CVelmoraView::IDC_MANUFACTURER);
        const int item = c->FindString(vx::ToWx(name), true);
        ASSERT_NE(item, wxNOT_FOUND) << name;
        Choose(c, c, wxEVT_CHOICE, item);
    }
    void ChooseType(const char* name) {
        auto* c = Control<CComboWrzTyp>(CVelmoraView::IDC_TYPE);
        const int item = c->FindString(vx::ToWx(name), true);
        ASSERT_NE(item, wxNOT_FOUND) << name;
        Choose(c, c, wxEVT_COMBOBOX, item);
    }
    int ChooseSystem(int index) {
        auto* c = Control<CCombVelmora>(CVelmoraView::IDC_SYSTEM);
        Choose(c, c, wxEVT_COMBOBOX, index);
        return c->GetSelection();
    }
    void Click(int id) {
        wxWindow* button = form_->FindWindow(id);
        ASSERT_NE(button, nullptr) << id;
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
    }
    void Check(int id, bool on) {
        auto* box = Control<wxCheckBox>(id);
        ASSERT_NE(box, nullptr) << id;
        box->SetValue(on);
        wxCommandEvent event(wxEVT_CHECKBOX, id);
        event.SetEventObject(box);
        event.SetInt(on);
        box->GetEventHandler()->ProcessEvent(event);
    }
    bool DiagramShown() {
        auto* window = dynamic_cast<wxWindow*>(doc_->diagram.Window());
        return window && window->IsShown();
    }

    vx::ScopedScriptedMessages messages_;
    wxDocManager* manager_ = nullptr;
    CMainFrame* frame_ = nullptr;
    CVelmoraDoc* doc_ = nullptr;
    CVelmoraView* view_ = nullptr;
    wxPanel* form_ = nullptr;
    int projectDataPosts_ = 0;
};

TEST_F(FormTest, ListsTextsAndHint) {
    auto* fuel = Control<wxChoice>(CVelmoraView::IDC_FUEL);
    auto* system = Control<CCombVelmora>(CVelmoraView::IDC_SYSTEM);
    auto* hint = Control<wxStaticText>(CVelmoraView::IDC_HINT);
    ASSERT_TRUE(fuel && system && hint);
    ASSERT_EQ(fuel->GetCount(), 13u);
    EXPECT_EQ(vx::FromWx(fuel->GetString(0)), "Koks");
    EXPECT_EQ(vx::FromWx(fuel->GetString(10)), "Brennwert - Heiz\xF6l EL");
    EXPECT_EQ(fuel->GetSelection(), wxNOT_FOUND);
    ASSERT_EQ(system->GetCount(), 21u);
    // Headings are kept with their "@" and shown without it.
    EXPECT_EQ(system->ItemText(16), "@Abgasanlage \xDC" "berdruck");
    EXPECT_EQ(vx::FromWx(system->GetString(16)), "Abgasanlage \xDC" "berdruck");
    EXPECT_EQ(vx::FromWx(system->GetString(20)), "au\xDF" "en am Geb\xE4ude Verb. konzentrisch");
    EXPECT_EQ(hint->GetForegroundColour(), wxColour(0, 0, 255));
    EXPECT_TRUE(hint->GetLabel().StartsWith("Vorgehensweise"));
    EXPECT_EQ(vx::FromWx(Control<wxCheckBox>(CVelmoraView::IDC_SQUARE)->GetLabel()), "&quadratisch");
    EXPECT_EQ(vx::FromWx(Control<wxCheckBox>(CVelmoraView::IDC_WITHOUT_PART_LOAD)->GetLabel()), "o.Teillast");
    EXPECT_EQ(vx::FromWx(Control<wxButton>(CVelmoraView::IDC_MACH_ET)->GetLabel()), "&Mach Et");
    EXPECT_EQ(Control<wxButton>(CVelmoraView::IDC_YRANGE_UP)->GetLabel(), "+");
    EXPECT_EQ(Control<wxButton>(CVelmoraView::IDC_YRANGE_DOWN)->GetLabel(), "-");
    // The diagram lies over the placeholder, hidden until a computation.
    EXPECT_EQ(form_->FindWindow(CVelmoraView::IDC_DIAGRAM), nullptr);
    ASSERT_NE(doc_->diagram.Window(), nullptr);
    EXPECT_FALSE(DiagramShown());
}

TEST_F(FormTest, CatalogueChoiceFillsTheListsAndTheHeatGenerator) {
    ChooseFuel(1);
    auto* manufacturer = Control<wxChoice>(CVelmoraView::IDC_MANUFACTURER);
    auto* type = Control<CComboWrzTyp>(CVelmoraView::IDC_TYPE);
    ASSERT_GT(manufacturer->GetCount(), 0u);
    EXPECT_NE(manufacturer->FindString("Kesselwerk Almendorf GmbH", true), wxNOT_FOUND);
    EXPECT_EQ(type->GetCount(), 0u);
    ChooseManufacturer("Kesselwerk Almendorf GmbH");
    ASSERT_EQ(type->GetCount(), 5u);
    EXPECT_EQ(type->GetString(0), "Oleomat 17");
    EXPECT_EQ(type->OutputText(0), "17,0 kW");
    EXPECT_EQ(type->OutputText(2), "19,0 - 29,0 kW");

    ChooseType("Oleomat 29-2");
    EXPECT_EQ(doc_->heatGenerator.typeDesignation.text, "Oleomat 29-2");
    EXPECT_DOUBLE_EQ(doc_->heatGenerator.output.value, 29.0);
    EXPECT_GT(doc_->limitCrossSection, 0.0);
    EXPECT_EQ(doc_->resultValid, 0);

    // Another fuel empties the types and refills the makers.
    ChooseFuel(0);
    EXPECT_EQ(type->GetCount(), 0u);
    EXPECT_EQ(manufacturer->FindString("Kesselwerk Almendorf GmbH", true), wxNOT_FOUND);
    EXPECT_TRUE(messages_.service.shown.empty());
}

TEST_F(FormTest, AnotherFuelLeavesNoHeatGeneratorUntilATypeIsChosen) {
    ChooseFuel(1);
    ChooseManufacturer("Kesselwerk Almendorf GmbH");
    ChooseType("Oleomat 29-2");
    ChooseSystem(1);
    auto* type = Control<CComboWrzTyp>(CVelmoraView::IDC_TYPE);
    view_->OnSetfocusType();
    WrzEntry entry;
    ASSERT_TRUE(type->ReadItem(type->GetSelection(), entry));
    type->InfoPopup()->FillFromHeatGenerator(entry);
    auto* sheetOutput = dynamic_cast<wxStaticText*>(type->InfoPopup()->FindWindow(IDC_WRZINFO_FIRST));
    ASSERT_NE(sheetOutput, nullptr);
    ASSERT_FALSE(sheetOutput->GetLabel().empty());

    ChooseFuel(6);  // "Holz"
    EXPECT_EQ(Control<wxChoice>(CVelmoraView::IDC_MANUFACTURER)->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(type->GetCount(), 0u);
    EXPECT_TRUE(type->GetValue().empty());
    EXPECT_TRUE(sheetOutput->GetLabel().empty());
    EXPECT_TRUE(doc_->heatGenerator.typeDesignation.text.empty());
    EXPECT_EQ(doc_->heatGenerator.flueMassFlow.value, 0);

    // "Mach Et" now says what to choose and computes nothing.
    Click(CVelmoraView::IDC_MACH_ET);
    Pump();
    ASSERT_EQ(messages_.service.shown.size(), 1u);
    EXPECT_EQ(messages_.service.shown[0].text, vx::LoadString(IDS_KEINE_FEUERSTAETTE));
    EXPECT_EQ(doc_->resultValid, 0);
    EXPECT_FALSE(DiagramShown());
}

TEST_F(FormTest, OldCatalogueAsksForAnUpdateOnAFuelChoice) {
    int orders = 0;
    frame_->Bind(wxEVT_MENU, [&](wxCommandEvent&) { ++orders; }, ID_ORDER_UPDATE);
    ChooseFuel(2);
    Pump();
    EXPECT_EQ(orders, 0);  // "Anzeige_W" = 1 turns the check off
    vx::Profile().WriteString("Datenbank", "Anzeige_W", "0");
    vx::Profile().WriteString("Datenbank", "Stand_W", "2000/06");
    ChooseFuel(1);
    Pump();
    EXPECT_EQ(orders, 1);
}

TEST_F(FormTest, DataSheetBesideTheTypeList) {
    ChooseFuel(1);
    ChooseManufacturer("Kesselwerk Almendorf GmbH");
    auto* type = Control<CComboWrzTyp>(CVelmoraView::IDC_TYPE);
    view_->OnSetfocusType();
    CDlgWrzInfo* info = type->InfoPopup();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->GetPosition(), wxPoint(type->GetRect().GetRight() + 1, type->GetRect().GetTop()));
    EXPECT_EQ(info->GetBackgroundColour(), wxColour(255, 255, 0));
    EXPECT_FALSE(info->IsShown());
    view_->OnDropdownType();
    EXPECT_TRUE(info->IsShown());
    WrzEntry entry;
    ASSERT_TRUE(type->ReadItem(2, entry));
    info->FillFromHeatGenerator(entry);
    auto* partOutput = dynamic_cast<wxStaticText*>(info->FindWindow(IDC_WRZINFO_FIRST + 1));
    ASSERT_NE(partOutput, nullptr);
    EXPECT_EQ(partOutput->GetLabel(), "19");
    // The open list as the user sees it, for a person to look at.
    const std::string dir = vx::ArtefactDir();
    if (!dir.empty()) {
        type->SetSelection(1);
        type->Popup();
        for (int i = 0; i < 20; ++i) {
            Pump();
            wxMilliSleep(20);
        }
        EXPECT_EQ(vx::RunProgram("import", {"-window", "root", vx::JoinPath(dir, "velmora_form_type_list.png")}), 0);
        type->Dismiss();
        Pump();
    }
    view_->OnCloseupType();
    EXPECT_FALSE(info->IsShown());
}

TEST_F(FormTest, SmallWindowScrollsToMachEtAndTheSystemListShowsEveryEntry) {
    frame_->SetSize(600, 400);
    for (int i = 0; i < 10 && form_->GetClientSize().y > 400; ++i) Pump();
    auto* machEt = Control<wxButton>(CVelmoraView::IDC_MACH_ET);
    ASSERT_NE(machEt, nullptr);
    // The form is taller than the window: it scrolls, and the button comes into view with the focus.
    ASSERT_LT(form_->GetClientSize().y, machEt->GetRect().GetBottom());
    EXPECT_GE(form_->GetVirtualSize().y, machEt->GetRect().GetBottom());
    machEt->SetFocus();
    Pump();
    const wxRect shown(form_->GetClientSize());
    EXPECT_TRUE(shown.Contains(machEt->GetRect())) << machEt->GetRect().y << " in " << shown.height;
    const std::string dir = vx::ArtefactDir();
    if (!dir.empty()) vx::RunProgram("import", {"-window", "root", vx::JoinPath(dir, "velmora_form_small.png")});

    // The open system list shows every entry.
    auto* system = Control<CCombVelmora>(CVelmoraView::IDC_SYSTEM);
    ASSERT_NE(system, nullptr);
    system->Popup();
    Pump();
    wxWindow* list = system->GetPopupControl()->GetControl();
    EXPECT_GE(list->GetClientSize().y, int(system->GetCount()) * (system->GetCharHeight() + 4));
    if (!dir.empty()) vx::RunProgram("import", {"-window", "root", vx::JoinPath(dir, "velmora_form_system_list.png")});
    system->Dismiss();
    Pump();
}

// In a small window the form scrolls: the wheel over a list that does not
// have the keyboard scrolls the form and never picks another entry, so the
// heat generator and its diagram stay.
TEST_F(FormTest, WheelOverAListScrollsTheFormAndKeepsEveryChoice) {
    ChooseFuel(1);
    ChooseManufacturer("Kesselwerk Almendorf GmbH");
    ChooseType("Oleomat 17");
    ASSERT_EQ(ChooseSystem(1), 1);
    Click(CVelmoraView::IDC_MACH_ET);
    Pump();
    ASSERT_EQ(doc_->resultValid, 1);
    ASSERT_TRUE(DiagramShown());
    frame_->SetSize(600, 400);
    for (int i = 0; i < 10 && form_->GetClientSize().y > 400; ++i) Pump();
    auto* scrolled = dynamic_cast<wxScrollHelper*>(form_);
    ASSERT_NE(scrolled, nullptr);
    auto until = [](const std::function<bool()>& done) {
        for (int i = 0; i < 4000 && !done(); ++i) {
            wxYield();
            wxMilliSleep(5);
        }
        return done();
    };
    auto* fuel = Control<wxChoice>(CVelmoraView::IDC_FUEL);
    auto* manufacturer = Control<wxChoice>(CVelmoraView::IDC_MANUFACTURER);
    auto* type = Control<CComboWrzTyp>(CVelmoraView::IDC_TYPE);
    auto* system = Control<CCombVelmora>(CVelmoraView::IDC_SYSTEM);
    const std::pair<wxWindow*, wxItemContainerImmutable*> lists[] = {
        {type, type}, {fuel, fuel}, {manufacturer, manufacturer}, {system, system}};
    int chosen[std::size(lists)];
    for (size_t i = 0; i < std::size(lists); ++i) chosen[i] = lists[i].second->GetSelection();
    auto* machEt = Control<wxButton>(CVelmoraView::IDC_MACH_ET);
    vx::testing::WheelCounter wheel;
    for (const auto& [window, items] : lists) {
        // The keyboard is on the button; the form back at its top.
        frame_->Raise();
        machEt->SetFocus();
        ASSERT_TRUE(until([&] { return wxWindow::FindFocus() == machEt; }));
        scrolled->Scroll(0, 0);
        Pump();
        const wxRect shown = form_->GetScreenRect().Intersect(window->GetScreenRect());
        ASSERT_FALSE(shown.IsEmpty()) << window->GetId();
        const int seen = wheel.count;
        ASSERT_TRUE(vx::testing::TurnWheel(shown.GetPosition() + wxPoint(shown.width / 2, shown.height / 2), 3));
        ASSERT_TRUE(until([&] { return wheel.count >= seen + 3; })) << window->GetId();
        Pump();
        int x = 0, y = 0;
        scrolled->GetViewStart(&x, &y);
        EXPECT_GT(y, 0) << "the form did not scroll over " << window->GetId();
        for (size_t i = 0; i < std::size(lists); ++i)
            EXPECT_EQ(lists[i].second->GetSelection(), chosen[i]) << "wheel over " << window->GetId();
    }
    EXPECT_EQ(doc_->heatGenerator.typeDesignation.text, "Oleomat 17");
    EXPECT_EQ(doc_->resultValid, 1);
    EXPECT_TRUE(DiagramShown());
    const std::string dir = vx::ArtefactDir();
    if (!dir.empty()) vx::RunProgram("import", {"-window", "root", vx::JoinPath(dir, "velmora_form_wheel.png")});
    wxUIActionSimulator().MouseMove(0, 0);
}

TEST_F(FormTest, HeadingsMoveToTheFirstSystemAfterThem) {
    EXPECT_EQ(ChooseSystem(0), 1);
    EXPECT_EQ(doc_->chimney.name.text, "dreischalig m. NW (Keramik)");
    EXPECT_EQ(ChooseSystem(10), 11);
    EXPECT_EQ(ChooseSystem(16), 17);
    EXPECT_EQ(doc_->construction.Regime(), 2);

    EXPECT_EQ(ChooseSystem(9), 9);
    EXPECT_DOUBLE_EQ(doc_->chimney.roughness.value, 0.005);
    EXPECT_DOUBLE_EQ(doc_->chimney.wallResistance.value, 0.12);
    EXPECT_EQ(doc_->chimney.resistanceGroup.value, 3);
    EXPECT_DOUBLE_EQ(doc_->chimney.wallThickness.value, 0.115);
    EXPECT_DOUBLE_EQ(doc_->chimney.shareOutside.value, 10.0);
    EXPECT_EQ(doc_->chimney.name.text, "Mauerwerk 11,5");

    // The options apply the system again, with the shape and the moisture.
    Check(CVelmoraView::IDC_SQUARE, true);
    EXPECT_EQ(doc_->chimney.shape.value, 1);
    Check(CVelmoraView::IDC_MOIST, true);
    EXPECT_EQ(doc_->construction.Regime(), 1);
    Check(CVelmoraView::IDC_WITHOUT_PART_LOAD, true);
    EXPECT_EQ(doc_->partLoad, 0);
    Check(CVelmoraView::IDC_WITHOUT_PART_LOAD, false);
    EXPECT_EQ(doc_->partLoad, 1);
}

TEST_F(FormTest, MachEtComputesTheDiagram) {
    ChooseFuel(1);
    ChooseManufacturer("Kesselwerk Almendorf GmbH");
    ChooseType("Oleomat 22");
    EXPECT_EQ(ChooseSystem(1), 1);
    Click(CVelmoraView::IDC_MACH_ET);
    Pump();
    EXPECT_EQ(doc_->resultValid, 1);
    ASSERT_GE(doc_->points.size(), 2u);
    EXPECT_TRUE(DiagramShown());
    EXPECT_TRUE(doc_->IsModified());

    // "+" and "-" move the top of the size axis by one step.
    const double top = doc_->diagram.YAxis().Maximum(), step = doc_->diagram.YAxis().Step();
    Click(CVelmoraView::IDC_YRANGE_UP);
    EXPECT_DOUBLE_EQ(doc_->yRange, top + step);
    EXPECT_EQ(doc_->drawn, 1);
    Click(CVelmoraView::IDC_YRANGE_DOWN);
    Click(CVelmoraView::IDC_YRANGE_DOWN);
    EXPECT_LT(doc_->yRange, top + step);

    // A picture of the main window with the computed calculation.
    Click(CVelmoraView::IDC_YRANGE_UP);
    frame_->Raise();
    for (int i = 0; i < 20; ++i) {
        Pump();
        wxMilliSleep(20);
    }
    const std::string dir = vx::ArtefactDir();
    if (!dir.empty()) {
        const std::string file = vx::JoinPath(dir, "velmora_form_computed.png");
        EXPECT_EQ(vx::RunProgram("import", {"-window", "root", file}), 0);
        EXPECT_TRUE(vx::FileExists(file));
    }

    // A changed choice makes the result stale and hides the diagram.
    Check(CVelmoraView::IDC_WITHOUT_PART_LOAD, true);
    EXPECT_EQ(doc_->resultValid, 0);
    EXPECT_FALSE(DiagramShown());
}

TEST_F(FormTest, NewCalculationEmptiesTheFormAndAsksForTheProject) {
    ChooseFuel(1);
    ChooseManufacturer("Kesselwerk Almendorf GmbH");
    ChooseSystem(3);
    doc_->project.Text(CProjekt::Nummer) = "P-17";
    projectDataPosts_ = 0;
    // The choice is a change: "Nein" drops it.
    messages_.service.answers = {vx::IDNO};
    wxCommandEvent event(wxEVT_MENU, ID_NEW_CALCULATION);
    frame_->GetEventHandler()->ProcessEvent(event);
    Pump();
    EXPECT_EQ(Control<wxChoice>(CVelmoraView::IDC_FUEL)->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(Control<wxChoice>(CVelmoraView::IDC_MANUFACTURER)->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(Control<CCombVelmora>(CVelmoraView::IDC_SYSTEM)->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(doc_->project.Text(CProjekt::Nummer), "");
    EXPECT_EQ(vx::BaseName(vx::FromWx(doc_->GetFilename())), "unbenannt");
    EXPECT_EQ(projectDataPosts_, 1);
}

TEST_F(FormTest, LoadedFileReselectsEveryListAndComputes) {
    ChooseFuel(1);
    ChooseManufacturer("Kesselwerk Almendorf GmbH");
    ChooseType("Oleomat 45-2");
    ChooseSystem(7);
    Check(CVelmoraView::IDC_WITHOUT_PART_LOAD, true);
    // A value that the catalogue no longer has: the file's value counts.
    doc_->heatGenerator.gasTemperature.value = 181.5;
    const std::string path = Path("anlage.kfx");
    ASSERT_TRUE(doc_->SaveCalculationFile(path));

    // A fresh document, then the file read into it as the framework does.
    ASSERT_TRUE(doc_->OnNewDocument());
    Pump();
    ASSERT_TRUE(doc_->OnOpenDocument(vx::ToWx(path)));
    Pump();
    EXPECT_EQ(Control<wxChoice>(CVelmoraView::IDC_FUEL)->GetSelection(), 1);
    auto* manufacturer = Control<wxChoice>(CVelmoraView::IDC_MANUFACTURER);
    EXPECT_EQ(manufacturer->GetStringSelection(), "Kesselwerk Almendorf GmbH");
    EXPECT_EQ(Control<CComboWrzTyp>(CVelmoraView::IDC_TYPE)->wxItemContainerImmutable::GetStringSelection(), "Oleomat 45-2");
    EXPECT_EQ(Control<CCombVelmora>(CVelmoraView::IDC_SYSTEM)->GetSelection(), 7);
    EXPECT_TRUE(Control<wxCheckBox>(CVelmoraView::IDC_WITHOUT_PART_LOAD)->GetValue());
    EXPECT_DOUBLE_EQ(doc_->heatGenerator.gasTemperature.value, 181.5);
    // Command 1000 was posted and has run.
    EXPECT_EQ(doc_->resultValid, 1);
    EXPECT_GE(doc_->points.size(), 2u);
}

TEST_F(FormTest, EveryFuelReopensToItsChoiceAndItsDiagram) {
    auto* fuel = Control<wxChoice>(CVelmoraView::IDC_FUEL);
    auto* manufacturer = Control<wxChoice>(CVelmoraView::IDC_MANUFACTURER);
    auto* type = Control<CComboWrzTyp>(CVelmoraView::IDC_TYPE);
    const std::string path = Path("brennstoff.kfx");
    for (int position = 0; position < int(fuel->GetCount()); ++position) {
        SCOPED_TRACE(vx::FromWx(fuel->GetString(unsigned(position))));
        ChooseFuel(position);
        ASSERT_GT(manufacturer->GetCount(), 0u);
        Choose(manufacturer, manufacturer, wxEVT_CHOICE, 0);
        ChooseSystem(1);
        // The condensing entries run moist, as such a boiler does.
        Check(CVelmoraView::IDC_MOIST, position >= 10);
        // The first type with a band on this chimney, else the last.
        bool banded = false;
        for (unsigned item = 0; item < type->GetCount() && !banded; ++item) {
            messages_.service.shown.clear();
            Choose(type, type, wxEVT_COMBOBOX, int(item));
            Click(CVelmoraView::IDC_MACH_ET);
            Pump();
            ASSERT_EQ(doc_->resultValid, 1);
            banded = !doc_->points.empty();
        }
        const std::string maker = vx::FromWx(manufacturer->GetStringSelection());
        const std::string typeName = vx::FromWx(type->wxItemContainerImmutable::GetStringSelection());
        const std::vector<DiagramPoint> points = doc_->points;
        // A narrow band brings its message again after the reopening.
        std::vector<std::string> told;
        for (const auto& m : messages_.service.shown) told.push_back(m.text);
        messages_.service.shown.clear();
        const double height = doc_->chosenHeight, size = doc_->chosenSize;
        ASSERT_TRUE(doc_->OnSaveDocument(vx::ToWx(path)));

        wxCommandEvent event(wxEVT_MENU, ID_NEW_CALCULATION);
        frame_->GetEventHandler()->ProcessEvent(event);
        Pump();
        ASSERT_EQ(fuel->GetSelection(), wxNOT_FOUND);
        ASSERT_TRUE(doc_->OpenCalculation(vx::ToWx(path)));
        Pump();
        EXPECT_EQ(fuel->GetSelection(), position);
        EXPECT_EQ(vx::FromWx(manufacturer->GetStringSelection()), maker);
        EXPECT_EQ(vx::FromWx(type->wxItemContainerImmutable::GetStringSelection()), typeName);
        EXPECT_EQ(doc_->resultValid, 1);
        EXPECT_TRUE(DiagramShown());
        ASSERT_EQ(doc_->points.size(), points.size());
        for (size_t i = 0; i < points.size(); ++i) {
            EXPECT_EQ(doc_->points[i].height, points[i].height) << i;
            EXPECT_EQ(doc_->points[i].smallest, points[i].smallest) << i;
            EXPECT_EQ(doc_->points[i].largest, points[i].largest) << i;
        }
        EXPECT_EQ(doc_->chosenHeight, height);
        EXPECT_EQ(doc_->chosenSize, size);
        std::vector<std::string> toldAgain;
        for (const auto& m : messages_.service.shown) toldAgain.push_back(m.text);
        EXPECT_EQ(toldAgain, told);
        messages_.service.shown.clear();
    }
}

TEST_F(FormTest, ChangedExactlyWhileTheFileWouldDiffer) {
    ChooseFuel(1);
    ChooseManufacturer("Kesselwerk Almendorf GmbH");
    ChooseType("Oleomat 22");
    ChooseSystem(1);
    Click(CVelmoraView::IDC_MACH_ET);
    Pump();
    const std::string path = Path("optionen.kfx");
    ASSERT_TRUE(doc_->OnSaveDocument(vx::ToWx(path)));
    ASSERT_TRUE(doc_->OpenCalculation(vx::ToWx(path)));
    Pump();
    // Read and computed again, the calculation is what its file holds.
    ASSERT_EQ(doc_->resultValid, 1);
    EXPECT_FALSE(doc_->IsModified());
    // Ticked and unticked, the part-load option leaves the file's contents.
    Check(CVelmoraView::IDC_WITHOUT_PART_LOAD, true);
    EXPECT_TRUE(doc_->IsModified());
    Check(CVelmoraView::IDC_WITHOUT_PART_LOAD, false);
    EXPECT_FALSE(doc_->IsModified());
    // The shape and the moisture apply the system again.
    for (int option : {CVelmoraView::IDC_SQUARE, CVelmoraView::IDC_MOIST}) {
        ASSERT_TRUE(doc_->OpenCalculation(vx::ToWx(path)));
        Pump();
        Check(option, true);
        EXPECT_TRUE(doc_->IsModified()) << option;
        doc_->Modify(false);
    }
    ASSERT_TRUE(doc_->OpenCalculation(vx::ToWx(path)));
    Pump();
    // Ctrl+S writes a ticked option.
    std::string before, after;
    ASSERT_TRUE(vx::ReadWholeFile(path, before));
    Check(CVelmoraView::IDC_WITHOUT_PART_LOAD, true);
    wxCommandEvent save(wxEVT_MENU, ID_FILE_SAVE);
    doc_->ProcessEvent(save);
    ASSERT_TRUE(vx::ReadWholeFile(path, after));
    EXPECT_NE(after, before);
    EXPECT_FALSE(doc_->IsModified());
    EXPECT_TRUE(messages_.service.shown.empty());
}

TEST_F(FormTest, RecentFileBringsItsTitleAndNoDiagramOfTheFileBefore) {
    ChooseFuel(1);
    ChooseManufacturer("Kesselwerk Almendorf GmbH");
    ChooseType("Oleomat 22");
    ChooseSystem(1);
    // A heat generator the catalogue no longer lists: the form cannot show it.
    doc_->heatGenerator.typeDesignation.text = "Oleomat 1999";
    const std::string gone = Path("ausgelistet.kfx");
    ASSERT_TRUE(doc_->SaveCalculationFile(gone));
    ChooseType("Oleomat 22");
    Click(CVelmoraView::IDC_MACH_ET);
    Pump();
    const std::string shown = Path("gezeigt.kfx");
    ASSERT_TRUE(doc_->OnSaveDocument(vx::ToWx(shown)));
    ASSERT_TRUE(DiagramShown());

    manager_->AddFileToHistory(vx::ToWx(gone));
    wxCommandEvent pick(wxEVT_MENU, ID_FILE_MRU_FILE1);
    frame_->GetEventHandler()->ProcessEvent(pick);
    Pump();
    EXPECT_EQ(doc_->heatGenerator.typeDesignation.text, "Oleomat 1999");
    EXPECT_EQ(frame_->GetTitle(), "ausgelistet.kfx - " + ProgramFrameTitle());
    EXPECT_FALSE(DiagramShown());
    EXPECT_TRUE(doc_->diagram.Points().empty());
}

} // namespace

TEST_F(FormTest, AltLettersReachTheFormFromTheSystemList) {
    ChooseFuel(1);
    ChooseManufacturer("Kesselwerk Almendorf GmbH");
    ChooseType("Oleomat 22");
    auto* systems = Control<CCombVelmora>(CVelmoraView::IDC_SYSTEM);
    ASSERT_EQ(ChooseSystem(1), 1);
    int menusOpened = 0;
    frame_->Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& e) {
        ++menusOpened;
        e.Skip();
    });
    auto until = [](const std::function<bool()>& done) {
        for (int i = 0; i < 4000 && !done(); ++i) {
            wxYield();
            wxMilliSleep(5);
        }
        return done();
    };
    auto focus = [&](wxWindow* w) {
        frame_->Raise();
        w->SetFocus();
        ASSERT_TRUE(until([&] { return wxWindow::FindFocus() == w; }));
    };
    // "Mach Et" computes; the list does not search for "M".
    focus(systems);
    wxUIActionSimulator sim;
    sim.Char('m', wxMOD_ALT);
    ASSERT_TRUE(until([&] { return doc_->resultValid == 1; }));
    EXPECT_EQ(systems->GetSelection(), 1);
    // "Abgasanlage" and "Ansicht" share the letter: the label leads to its list.
    focus(Control<wxChoice>(CVelmoraView::IDC_FUEL));
    sim.Char('a', wxMOD_ALT);
    EXPECT_TRUE(until([&] { return wxWindow::FindFocus() == systems; }));
    EXPECT_EQ(menusOpened, 0);
    EXPECT_EQ(systems->GetSelection(), 1);
}
