// The program's dialogs on the display, driven through their buttons and
// fields inside their own modal loops.
#include "velmora/shared/CAboutDlg.h"
#include "velmora/shared/CDlgEroeffnen.h"
#include "velmora/shared/CDlgGeoHoehe.h"
#include "velmora/CDlgHinweis.h"
#include "velmora/shared/CDlgQuerschnitte.h"
#include "velmora/CDlgXAchse.h"
#include "velmora/shared/CHomePage.h"
#include "velmora/shared/ProgramPicture.h"
#include "testsupport/velmora/XdgOpenStandIn.h"
#include "velmora/VelmoraSettings.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/System.h"
#include "testsupport/platform/TestSupport.h"
#include "platform/wx/WxText.h"
#include "testsupport/platform/TestProfile.h"
#include "quorvel/fields/CPromptMessage.h"
#include "testsupport/quorvel/FieldsTestDialog.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        profile_ = std::make_unique<ScopedTestProfile>("[Global]\n");
        vx::Strings().Clear();
        LoadProgramStrings();
        frame_ = new wxFrame(nullptr, wxID_ANY, "Velmora");
        frame_->Show();
    }
    void TearDown() override {
        frame_->Destroy();
        for (int i = 0; i < 3; ++i) wxTheApp->ProcessIdle();
        profile_.reset();
    }
    // Runs the dialog modally; steps run inside its loop, one after the other.
    static int RunModal(wxDialog& dialog, std::function<void()> steps) {
        dialog.CallAfter([steps] { steps(); });
        return dialog.ShowModal();
    }
    static void Click(wxWindow& dialog, int id) {
        wxWindow* button = dialog.FindWindow(id);
        ASSERT_NE(button, nullptr) << id;
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
    }
    static void Type(wxWindow& dialog, int id, const char* text) {
        auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
        ASSERT_NE(edit, nullptr) << id;
        edit->SetValue(vx::ToWx(text));
    }
    // A picture of the screen with the dialog, for a person to look at.
    static void Snapshot(wxWindow& dialog, const char* name) {
        const std::string dir = vx::ArtefactDir();
        if (dir.empty()) return;
        dialog.Raise();
        for (int i = 0; i < 10; ++i) {
            wxTheApp->ProcessPendingEvents();
            wxYield();
            wxMilliSleep(20);
        }
        const std::string file = vx::JoinPath(dir, name);
        EXPECT_EQ(vx::RunProgram("import", {"-window", "root", file}), 0);
    }
    static std::string Text(wxWindow& dialog, int id) {
        auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
        return edit ? vx::FromWx(edit->GetValue()) : "<none>";
    }

    std::unique_ptr<ScopedTestProfile> profile_;
    wxFrame* frame_ = nullptr;
};

TEST_F(DialogTest, GeoHeightAcceptedRejectedAndStoredAsDefault) {
    vx::ScopedScriptedMessages messages;
    {
        CDlgGeoHoehe dialog(frame_, 120.0);
        EXPECT_EQ(Text(dialog, CDlgGeoHoehe::IDC_HEIGHT), "120,0");
        auto* help = dynamic_cast<wxStaticText*>(dialog.FindWindow(CDlgGeoHoehe::IDC_HELP));
        ASSERT_NE(help, nullptr);
        EXPECT_EQ(help->GetForegroundColour(), wxColour(0, 0, 255));
        bool stillOpen = false;
        wxWindow* focus = nullptr;
        const int rc = RunModal(dialog, [&] {
            Snapshot(dialog, "velmora_dialog_geo_height.png");
            dialog.FindWindow(wxID_OK)->SetFocus();
            Type(dialog, CDlgGeoHoehe::IDC_HEIGHT, "5000,1");
            Click(dialog, wxID_OK);
            stillOpen = dialog.IsModal();
            wxYield();
            focus = wxWindow::FindFocus();
            Type(dialog, CDlgGeoHoehe::IDC_HEIGHT, "325,5");
            Click(dialog, wxID_OK);
        });
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(focus, dialog.FindWindow(CDlgGeoHoehe::IDC_HEIGHT));
        EXPECT_EQ(rc, wxID_OK);
        EXPECT_DOUBLE_EQ(dialog.Height(), 325.5);
        ASSERT_EQ(messages.service.shown.size(), 1u);
        // Named by the field's label.
        EXPECT_EQ(messages.service.shown[0].text, "Höhe über NN [m]: " + vx::LoadString(235));
        EXPECT_EQ(messages.service.shown[0].text, "Höhe über NN [m]: Es sind nur Werte zwischen 0 und 5000 m erlaubt.");
        // Nothing was stored as the default.
        EXPECT_EQ(vx::Profile().GetString("Grunddaten", "GeoHoehe", "none"), "none");
    }
    {
        CDlgGeoHoehe dialog(frame_, 0.0);
        bool stayed = false;
        std::vector<wxWindow*> focusAfter;
        const int rc = RunModal(dialog, [&] {
            Type(dialog, CDlgGeoHoehe::IDC_HEIGHT, "-1");
            Click(dialog, CDlgGeoHoehe::IDC_DEFAULT);
            // Nonsense and an empty field are no height of 0 m.
            for (const char* text : {"abc", ""}) {
                dialog.FindWindow(wxID_OK)->SetFocus();
                Type(dialog, CDlgGeoHoehe::IDC_HEIGHT, text);
                Click(dialog, wxID_OK);
                wxYield();
                focusAfter.push_back(dialog.IsModal() ? wxWindow::FindFocus() : nullptr);
            }
            Type(dialog, CDlgGeoHoehe::IDC_HEIGHT, "325,5");
            Click(dialog, CDlgGeoHoehe::IDC_DEFAULT);
            stayed = dialog.IsModal();
            Click(dialog, wxID_CANCEL);
        });
        EXPECT_TRUE(stayed);
        EXPECT_EQ(rc, wxID_CANCEL);
        ASSERT_EQ(messages.service.shown.size(), 4u);
        EXPECT_EQ(messages.service.shown[1].text, "Höhe über NN [m]: " + vx::LoadString(235));
        EXPECT_EQ(messages.service.shown[2].text, "Höhe über NN [m]: Bitte geben Sie eine Zahl ein, zum Beispiel 12,5.");
        EXPECT_EQ(messages.service.shown[3].text, "Höhe über NN [m]: " + vx::LoadString(238));
        ASSERT_EQ(focusAfter.size(), 2u);
        EXPECT_EQ(focusAfter[0], dialog.FindWindow(CDlgGeoHoehe::IDC_HEIGHT));
        EXPECT_EQ(focusAfter[1], dialog.FindWindow(CDlgGeoHoehe::IDC_HEIGHT));
        EXPECT_EQ(vx::Profile().GetString("Grunddaten", "GeoHoehe"), "325.500000");
    }
}

TEST_F(DialogTest, HeightRangeDefaultsCheckedAndStored) {
    vx::Profile().WriteString("Global", "HStart", "6.0");
    vx::Profile().WriteString("Global", "HEnd", "20.0");
    vx::ScopedScriptedMessages messages;
    CDlgXAchse dialog(frame_);
    // Shown as every number of the program, with a comma.
    EXPECT_EQ(dialog.ShownTexts().start, "6,0");
    EXPECT_EQ(dialog.ShownTexts().step, "2,0");
    EXPECT_EQ(dialog.ShownTexts().end, "20,0");
    auto* help = dynamic_cast<wxStaticText*>(dialog.FindWindow(CDlgXAchse::IDC_HELP));
    ASSERT_NE(help, nullptr);
    EXPECT_FALSE(help->GetLabel().empty());

    HeightRangeTexts afterDefault;
    // Each wrong entry: the field that keeps the focus while the dialog stays open.
    struct Wrong {
        int field;
        const char* text;
    };
    const Wrong wrongs[] = {{CDlgXAchse::IDC_STEP, "0"},       {CDlgXAchse::IDC_START, "40"},
                            {CDlgXAchse::IDC_END, "1e308"},    {CDlgXAchse::IDC_END, "250"},
                            {CDlgXAchse::IDC_START, "-4"},     {CDlgXAchse::IDC_STEP, "abc"},
                            {CDlgXAchse::IDC_START, ""}};
    std::vector<wxWindow*> focus;
    const int rc = RunModal(dialog, [&] {
        Snapshot(dialog, "velmora_dialog_height_range.png");
        Click(dialog, CDlgXAchse::IDC_DEFAULT);
        afterDefault = dialog.ShownTexts();
        for (const Wrong& w : wrongs) {
            Click(dialog, CDlgXAchse::IDC_DEFAULT);
            dialog.FindWindow(wxID_OK)->SetFocus();
            Type(dialog, w.field, w.text);
            Click(dialog, wxID_OK);
            wxYield();
            focus.push_back(dialog.IsModal() ? wxWindow::FindFocus() : nullptr);
        }
        Click(dialog, CDlgXAchse::IDC_DEFAULT);
        Type(dialog, CDlgXAchse::IDC_STEP, "2,5");
        Type(dialog, CDlgXAchse::IDC_START, "5,5");
        Click(dialog, wxID_OK);
    });
    EXPECT_EQ(afterDefault.start, "4,0");
    EXPECT_EQ(afterDefault.step, "2,0");
    EXPECT_EQ(afterDefault.end, "30,0");
    ASSERT_EQ(focus.size(), std::size(wrongs));
    for (size_t i = 0; i < focus.size(); ++i) EXPECT_EQ(focus[i], dialog.FindWindow(wrongs[i].field)) << i;
    ASSERT_EQ(messages.service.shown.size(), std::size(wrongs));
    // Each message names its field by the field's label.
    const unsigned expected[] = {240, 236, 238, 239, 239, 238, 238};
    const char* const named[] = {"Schrittweite [m]: ", "Anfangswert [m]: ", "Endwert [m]: ", "Endwert [m]: ",
                                 "Anfangswert [m]: ", "Schrittweite [m]: ", "Anfangswert [m]: "};
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(messages.service.shown[i].text, named[i] + vx::LoadString(expected[i])) << i;
    EXPECT_EQ(messages.service.shown[3].text, "Endwert [m]: Es sind nur Werte zwischen 1 und 100 m erlaubt.");
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_DOUBLE_EQ(dialog.Range().start, 5.5);
    EXPECT_DOUBLE_EQ(dialog.Range().step, 2.5);
    EXPECT_DOUBLE_EQ(dialog.Range().end, 30.0);
    EXPECT_EQ(vx::Profile().GetString("Global", "HStart"), "5.5");
    EXPECT_EQ(vx::Profile().GetString("Global", "HStep"), "2.5");
    EXPECT_EQ(vx::Profile().GetString("Global", "HEnd"), "30.0");
}

// The height range's fields refuse a letter as it is typed and say, naming
// the field, what they take.
TEST_F(DialogTest, HeightRangeFieldsRefuseALetterAtOnce) {
    vx::ScopedScriptedMessages messages;
    CDlgXAchse dialog(frame_);
    struct Typed {
        int field;
        std::string text, strip;
    };
    std::vector<Typed> typed;
    RunModal(dialog, [&] {
        KeyUpCounter keys;
        for (int id : {CDlgXAchse::IDC_START, CDlgXAchse::IDC_STEP, CDlgXAchse::IDC_END}) {
            auto* field = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
            FocusOn(field);
            field->SelectAll();
            ::Type(keys, "1a2");
            auto* strip = dynamic_cast<CPromptMessage*>(dialog.GetChildren().back());
            typed.push_back({id, Text(dialog, id), strip ? strip->Text() : "<no strip>"});
        }
        Snapshot(dialog, "velmora_dialog_height_range_letter.png");
        Click(dialog, wxID_CANCEL);
    });
    const char* const labels[] = {"Anfangswert [m]", "Schrittweite [m]", "Endwert [m]"};
    ASSERT_EQ(typed.size(), 3u);
    for (size_t i = 0; i < typed.size(); ++i) {
        EXPECT_EQ(typed[i].text, "12") << typed[i].field;
        EXPECT_EQ(typed[i].strip, std::string(labels[i]) + ": Erlaubt sind Ziffern und ein Komma.");
    }
    EXPECT_TRUE(messages.service.shown.empty());
}

TEST_F(DialogTest, HintSwitchWrittenOnOk) {
    CDlgHinweis dialog(frame_);
    auto* check = dynamic_cast<wxCheckBox*>(dialog.FindWindow(CDlgHinweis::IDC_DONT_SHOW));
    auto* text = dynamic_cast<wxStaticText*>(dialog.FindWindow(CDlgHinweis::IDC_TEXT));
    ASSERT_NE(check, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_FALSE(check->GetValue());
    EXPECT_TRUE(text->GetLabel().StartsWith("Fahren Sie mit der Maus"));
    EXPECT_EQ(text->GetForegroundColour(), wxColour(0, 0, 255));
    const int rc = RunModal(dialog, [&] {
        Snapshot(dialog, "velmora_dialog_hint.png");
        check->SetValue(true);
        Click(dialog, wxID_OK);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(vx::Profile().GetInt("Global", "Hinweis", -1), 1);
}

class TableDialogTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        path_ = vx::JoinPath(vx::TempDir(), "vxq-" + std::to_string(::getpid()) + "-INNENTAB.INI");
        vx::WriteFileAtomic(path_, "[INNENTAB]\r\nR1=0.08\r\nR2=0.10\r\nQ1=0.10\r\n");
    }
    void TearDown() override {
        vx::RemoveFile(path_);
        DialogTest::TearDown();
    }
    std::string File() {
        std::string text;
        vx::ReadWholeFile(path_, text);
        return text;
    }
    static wxListBox* SizeList(CDlgQuerschnitte& dialog) {
        return dynamic_cast<wxListBox*>(dialog.FindWindow(CDlgQuerschnitte::IDC_LIST));
    }
    std::string path_;
};

TEST_F(TableDialogTest, EntriesCheckedAddedSortedAndWritten) {
    vx::ScopedScriptedMessages messages;
    messages.service.answers = {vx::IDYES};
    CDlgQuerschnitte dialog(frame_, path_);
    wxListBox* list = SizeList(dialog);
    ASSERT_NE(list, nullptr);
    // The file's numbers shown with a comma, as typed ones are.
    ASSERT_EQ(list->GetCount(), 2u);
    EXPECT_EQ(list->GetString(0), "0,08");
    EXPECT_EQ(list->GetString(1), "0,1");

    std::string shownAfterReject;
    unsigned countAfterReject = 0;
    wxWindow* focusAfterNonsense = nullptr;
    std::string selectedAfterAdd;
    const int rc = RunModal(dialog, [&] {
        Type(dialog, CDlgQuerschnitte::IDC_ENTRY, "0,04");
        Click(dialog, CDlgQuerschnitte::IDC_ADD);
        shownAfterReject = Text(dialog, CDlgQuerschnitte::IDC_ENTRY);
        countAfterReject = list->GetCount();
        dialog.FindWindow(wxID_OK)->SetFocus();
        Type(dialog, CDlgQuerschnitte::IDC_ENTRY, "abc");
        Click(dialog, CDlgQuerschnitte::IDC_ADD);
        wxYield();
        focusAfterNonsense = wxWindow::FindFocus();
        Type(dialog, CDlgQuerschnitte::IDC_ENTRY, "2");
        Click(dialog, CDlgQuerschnitte::IDC_ADD);
        Type(dialog, CDlgQuerschnitte::IDC_ENTRY, "0,09");
        Click(dialog, CDlgQuerschnitte::IDC_ADD);
        selectedAfterAdd = vx::FromWx(list->GetStringSelection());
        Type(dialog, CDlgQuerschnitte::IDC_ENTRY, "0.125");
        Click(dialog, CDlgQuerschnitte::IDC_ADD);
        // A size the table has: nothing added.
        Type(dialog, CDlgQuerschnitte::IDC_ENTRY, "0,1");
        Click(dialog, CDlgQuerschnitte::IDC_ADD);
        Snapshot(dialog, "velmora_dialog_cross_sections.png");
        Click(dialog, wxID_OK);
    });
    EXPECT_EQ(shownAfterReject, "0,04");
    EXPECT_EQ(countAfterReject, 2u);
    EXPECT_EQ(focusAfterNonsense, dialog.FindWindow(CDlgQuerschnitte::IDC_ENTRY));
    EXPECT_EQ(selectedAfterAdd, "0,09");
    ASSERT_EQ(messages.service.shown.size(), 3u);
    EXPECT_EQ(messages.service.shown[0].text, "Durchmesser: " + vx::LoadString(232));
    EXPECT_EQ(messages.service.shown[0].text, "Durchmesser: Es sind nur Werte zwischen 0,05 m und 2 m erlaubt");
    EXPECT_EQ(messages.service.shown[1].text, "Durchmesser: " + vx::LoadString(238));
    EXPECT_EQ(messages.service.shown[2].text, vx::LoadString(233));
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(dialog.Entries(), (std::vector<std::string>{"0,08", "0,09", "0,1", "0,125", "2"}));
    // Ascending and with the point the calculation reads.
    EXPECT_EQ(File(), "[INNENTAB]\r\nR1=0.08\r\nR2=0.09\r\nR3=0.1\r\nR4=0.125\r\nR5=2\r\nQ1=0.10\r\n");
}

// Typed as a user types: Enter in the size field adds the size, and a letter
// is refused at once, the strip naming the field.
TEST_F(TableDialogTest, EnterAddsTheSizeAndALetterIsRefusedAtItsField) {
    vx::ScopedScriptedMessages messages;
    messages.service.answers = {vx::IDNO};
    CDlgQuerschnitte dialog(frame_, path_);
    wxListBox* list = SizeList(dialog);
    ASSERT_NE(list, nullptr);
    std::string afterLetter, stripAfterLetter, selectedAfterEnter;
    bool openAfterEnter = false;
    wxWindow* focusAfterEnter = nullptr;
    size_t beepsAfterLetter = 0;
    RunModal(dialog, [&] {
        KeyUpCounter keys;
        auto* entry = dialog.FindWindow(CDlgQuerschnitte::IDC_ENTRY);
        FocusOn(entry);
        ::Type(keys, "0,0x9");
        afterLetter = Text(dialog, CDlgQuerschnitte::IDC_ENTRY);
        beepsAfterLetter = messages.service.beeps.size();
        auto* strip = dynamic_cast<CPromptMessage*>(dialog.GetChildren().back());
        stripAfterLetter = strip ? strip->Text() : "<no strip>";
        Key(keys, WXK_RETURN);
        openAfterEnter = dialog.IsModal();
        focusAfterEnter = wxWindow::FindFocus();
        selectedAfterEnter = vx::FromWx(list->GetStringSelection());
        Snapshot(dialog, "velmora_dialog_cross_sections_enter.png");
        Click(dialog, wxID_CANCEL);
    });
    EXPECT_EQ(afterLetter, "0,09");
    EXPECT_GT(beepsAfterLetter, 0u);
    EXPECT_EQ(stripAfterLetter, "Durchmesser: Erlaubt sind Ziffern und ein Komma.");
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(dialog.Entries(), (std::vector<std::string>{"0,08", "0,09", "0,1"}));
    EXPECT_EQ(selectedAfterEnter, "0,09");
    EXPECT_EQ(focusAfterEnter, dialog.FindWindow(CDlgQuerschnitte::IDC_ENTRY));
    EXPECT_TRUE(messages.service.shown.empty());
}

TEST_F(TableDialogTest, ShapeSwitchAsksAndNoKeepsTheFile) {
    vx::ScopedScriptedMessages messages;
    messages.service.answers = {vx::IDNO};
    CDlgQuerschnitte dialog(frame_, path_);
    wxListBox* list = SizeList(dialog);
    auto* label = dynamic_cast<wxStaticText*>(dialog.FindWindow(CDlgQuerschnitte::IDC_LABEL));
    ASSERT_NE(list, nullptr);
    ASSERT_NE(label, nullptr);
    const std::string before = File();
    RunModal(dialog, [&] {
        list->SetSelection(0);
        Click(dialog, CDlgQuerschnitte::IDC_DELETE);
        auto* square = dynamic_cast<wxRadioButton*>(dialog.FindWindow(CDlgQuerschnitte::IDC_SQUARE));
        square->SetValue(true);
        wxCommandEvent event(wxEVT_RADIOBUTTON, CDlgQuerschnitte::IDC_SQUARE);
        event.SetEventObject(square);
        square->GetEventHandler()->ProcessEvent(event);
        Click(dialog, wxID_OK);
    });
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(File(), before);
    EXPECT_EQ(dialog.Shape(), 1);
    EXPECT_EQ(list->GetCount(), 1u);
    EXPECT_EQ(list->GetString(0), "0,1");
    EXPECT_EQ(vx::FromWx(label->GetLabel()), "&Kantenl\xE4nge");
}

TEST_F(TableDialogTest, DeletingTheOnlyEntryEmptiesTheTable) {
    vx::WriteFileAtomic(path_, "[INNENTAB]\r\nR1=0.08\r\n");
    vx::ScopedScriptedMessages messages;
    messages.service.answers = {vx::IDYES};
    CDlgQuerschnitte dialog(frame_, path_);
    wxListBox* list = SizeList(dialog);
    ASSERT_NE(list, nullptr);
    RunModal(dialog, [&] {
        list->SetSelection(0);
        Click(dialog, CDlgQuerschnitte::IDC_DELETE);
        Click(dialog, wxID_OK);
    });
    EXPECT_EQ(File(), "[INNENTAB]\r\n");
}

TEST_F(DialogTest, OpeningPictureHidesAfterTenTicksOrAClick) {
    {
        CDlgEroeffnen dialog(frame_);
        dialog.Show();
        EXPECT_TRUE(dialog.HasFlag(wxSTAY_ON_TOP));
        EXPECT_TRUE(dialog.Timer().IsRunning());
        EXPECT_EQ(dialog.Timer().GetInterval(), 1000);
        for (int tick = 1; tick <= 9; ++tick) {
            wxTimerEvent event(dialog.Timer());
            dialog.GetEventHandler()->ProcessEvent(event);
        }
        EXPECT_TRUE(dialog.IsShown());
        EXPECT_EQ(dialog.Countdown(), 1);
        wxTimerEvent event(dialog.Timer());
        dialog.GetEventHandler()->ProcessEvent(event);
        EXPECT_FALSE(dialog.IsShown());
        EXPECT_FALSE(dialog.Timer().IsRunning());
    }
    {
        CDlgEroeffnen dialog(frame_);
        dialog.Show();
        wxMouseEvent click(wxEVT_LEFT_DOWN);
        click.SetEventObject(&dialog);
        dialog.GetEventHandler()->ProcessEvent(click);
        EXPECT_FALSE(dialog.IsShown());
    }
}

// The second program's opening picture: modeless, kept by nobody, it ends
// itself when its countdown runs out.
TEST_F(DialogTest, OpeningPictureOfTheSecondProgramDestroysItself) {
    auto* dialog = new CDlgEroeffnen(frame_, CDlgEroeffnen::Ending::Destroy);
    bool destroyed = false;
    dialog->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& e) {
        if (e.GetEventObject() == dialog) destroyed = true;
        e.Skip();
    });
    dialog->Show();
    for (int tick = 1; tick <= 9; ++tick) {
        wxTimerEvent event(dialog->Timer());
        dialog->GetEventHandler()->ProcessEvent(event);
    }
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_FALSE(destroyed);
    wxTimerEvent event(dialog->Timer());
    dialog->GetEventHandler()->ProcessEvent(event);
    for (int i = 0; i < 5 && !destroyed; ++i) wxTheApp->ProcessIdle();
    EXPECT_TRUE(destroyed);
}

// What a dialog paints, on a white page of its size.
template <typename Dialog>
wxImage Painted(Dialog& dialog) {
    wxBitmap page(dialog.GetClientSize());
    wxMemoryDC dc(page);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dialog.Paint(dc);
    dc.SelectObject(wxNullBitmap);
    return page.ConvertToImage();
}

TEST_F(DialogTest, OpeningDialogAndAboutBoxShowTheProgramPicture) {
    ASSERT_TRUE(ProgramPicture().IsOk());
    const wxImage picture = ProgramPicture().ConvertToImage();
    EXPECT_EQ(picture.GetWidth(), 200);
    EXPECT_EQ(picture.GetHeight(), 200);
    // Points of the picture with colours far apart: sky, band, chimney, door, ground.
    const wxPoint points[] = {{100, 20}, {40, 50}, {140, 70}, {125, 170}, {20, 190}};
    auto showsPicture = [&](const wxImage& shot) {
        for (wxPoint p : points) {
            const wxColour want(picture.GetRed(p.x, p.y), picture.GetGreen(p.x, p.y), picture.GetBlue(p.x, p.y));
            const wxColour got(shot.GetRed(p.x + 10, p.y + 10), shot.GetGreen(p.x + 10, p.y + 10),
                               shot.GetBlue(p.x + 10, p.y + 10));
            EXPECT_EQ(got, want) << p.x << "," << p.y;
            if (got != want) return false;
        }
        return true;
    };
    CDlgEroeffnen opening(frame_);
    EXPECT_TRUE(showsPicture(Painted(opening)));
    CAboutDlg about(frame_);
    EXPECT_TRUE(showsPicture(Painted(about)));
    about.CallAfter([&] {
        Snapshot(about, "velmora_about_box.png");
        about.EndModal(wxID_OK);
    });
    about.ShowModal();
}

// The about box and the opening picture show whichever program's
// description is in place: its title, name, texts and layout.
TEST_F(DialogTest, AboutBoxFollowsTheProgramDescription) {
    ProgramDescription second = VelmoraProgram();
    second.name = "Zweitprogramm";
    // A title of its own, under an id no table uses.
    constexpr unsigned kSecondTitle = 64999;
    vx::Strings().Set(kSecondTitle, "Info \xfc" "ber Zweitprogramm");
    second.about.titleId = kSecondTitle;
    second.about.textX = 320;
    second.about.versionY = 326;
    second.about.openingDatabaseDefault = "2002/3";
    UseProgram(second);
    {
        CAboutDlg about(frame_);
        EXPECT_EQ(about.GetTitle(), vx::ToWx("Info \xfc" "ber Zweitprogramm"));
        EXPECT_EQ(about.GetSize(), wxSize(740, 400));
        CDlgEroeffnen opening(frame_);
        EXPECT_EQ(opening.GetTitle(), "Zweitprogramm");
        EXPECT_EQ(opening.GetSize(), wxSize(660, 370));
    }
    UseVelmoraProgram();
    CAboutDlg about(frame_);
    EXPECT_EQ(about.GetTitle(), vx::ToWx("Info \xfc" "ber Velmora"));
    EXPECT_EQ(about.GetSize(), wxSize(640, 300));
}

TEST_F(DialogTest, HomePageLinkOpensTheAddress) {
    XdgOpenStandIn opener("vxlink-");

    auto* link = new CHomePage(frame_, wxID_ANY, "www.trevalen.example");
    link->SetPosition(265, 172);
    EXPECT_EQ(link->GetPosition(), wxPoint(265, 172));
    EXPECT_GT(link->GetSize().GetWidth(), 0);
    EXPECT_TRUE(link->GetFont().GetUnderlined());
    wxMouseEvent click(wxEVT_LEFT_DOWN);
    click.SetEventObject(link);
    link->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(opener.Opened(), "http://www.trevalen.example");
}

} // namespace
