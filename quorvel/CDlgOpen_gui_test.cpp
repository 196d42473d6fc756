// The start dialog on the display: the caller's texts and pictures, the
// recently used projects and the codes it ends with.
#include "quorvel/CDlgOpen.h"

#include "testsupport/quorvel/ProfileDialogTest.h"

#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>

namespace {

using StartGui = ProfileDialogTest;

StartDialogTexts Texts(int icon2) {
    return {"Velmora", "Was m\xF6" "chten Sie tun?", "Neue &Berechnung", "Neue &Zuordnung", "Bestehendes &Projekt",
            {133, icon2, 193}};
}

const char* const kRecent = "[Global]\nLstPrj=/alt/vorher.kfx\n[Recent File List]\nFile1=/daten/neubau.kfx\n"
                            "File2=/daten/anlage.kfx\n";

wxRadioButton* Choice(wxDialog& d, int id) { return dynamic_cast<wxRadioButton*>(d.FindWindow(id)); }
wxListBox* List(wxDialog& d) { return dynamic_cast<wxListBox*>(d.FindWindow(CDlgOpen::IDC_LIST)); }

void Choose(wxDialog& d, int id) {
    Choice(d, id)->SetValue(true);
    wxCommandEvent event(wxEVT_RADIOBUTTON, id);
    event.SetEventObject(Choice(d, id));
    Choice(d, id)->GetEventHandler()->ProcessEvent(event);
}

void SelectLine(wxDialog& d, int line) {
    List(d)->SetSelection(line);
}

TEST_F(StartGui, ShowsTheCallersTextsPicturesAndTheRecentProjects) {
    Profile(kRecent);
    CDlgOpen dialog(frame_, Texts(0));
    RunModal(dialog, [&] {
        EXPECT_EQ(vx::FromWx(dialog.GetTitle()), "Velmora");
        EXPECT_EQ(vx::FromWx(dynamic_cast<wxStaticBox*>(dialog.FindWindow(CDlgOpen::IDC_TEXT))->GetLabel()),
                  "Was m\xF6" "chten Sie tun?");
        EXPECT_EQ(vx::FromWx(Choice(dialog, CDlgOpen::IDC_FIRST)->GetLabel()), "Neue &Berechnung");
        EXPECT_EQ(vx::FromWx(Choice(dialog, CDlgOpen::IDC_OPEN)->GetLabel()), "Bestehendes &Projekt");
        // A second picture of 0 hides the second choice and draws nothing.
        EXPECT_FALSE(Choice(dialog, CDlgOpen::IDC_SECOND)->IsShown());
        auto picture = [&](int id) { return dynamic_cast<wxStaticBitmap*>(dialog.FindWindow(id))->GetBitmap(); };
        EXPECT_TRUE(picture(CDlgOpen::IDC_ICON1).IsOk());
        EXPECT_EQ(picture(CDlgOpen::IDC_ICON1).GetWidth(), 32);
        EXPECT_TRUE(picture(CDlgOpen::IDC_ICON3).IsOk());
        EXPECT_FALSE(picture(CDlgOpen::IDC_ICON2).IsOk());
        EXPECT_FALSE(StartIcon(4711).IsOk());
        // Every picture the two programs ask for is there.
        for (int id : {133, 192, 193}) EXPECT_TRUE(StartIcon(id).IsOk()) << id;

        ASSERT_EQ(List(dialog)->GetCount(), 3u);
        EXPECT_EQ(vx::FromWx(List(dialog)->GetString(0)), "Weitere Projekte...");
        EXPECT_EQ(vx::FromWx(List(dialog)->GetString(2)), "/daten/anlage.kfx");
        EXPECT_EQ(List(dialog)->GetSelection(), 0);
        EXPECT_TRUE(Choice(dialog, CDlgOpen::IDC_OPEN)->GetValue());
        EXPECT_TRUE(List(dialog)->IsEnabled());
        List(dialog)->SetSelection(2);
        Choose(dialog, CDlgOpen::IDC_FIRST);
        EXPECT_FALSE(List(dialog)->IsEnabled());
        // Disabled, the list shows no chosen line (it would be grey on blue); back, it has it again.
        EXPECT_EQ(List(dialog)->GetSelection(), wxNOT_FOUND);
        Choose(dialog, CDlgOpen::IDC_OPEN);
        EXPECT_EQ(List(dialog)->GetSelection(), 2);
    });
}

TEST_F(StartGui, EachChoiceEndsWithItsCodeAndOnlyARecentProjectIsStored) {
    struct Case {
        int choice, line, code;
        const char* stored;
    } cases[] = {{CDlgOpen::IDC_OPEN, 0, 12, "/alt/vorher.kfx"},
                 {CDlgOpen::IDC_OPEN, 2, 13, "/daten/anlage.kfx"},
                 {CDlgOpen::IDC_FIRST, 2, 10, "/alt/vorher.kfx"},
                 {CDlgOpen::IDC_SECOND, 1, 11, "/alt/vorher.kfx"},
                 {0, 0, 2, "/alt/vorher.kfx"}};
    for (const Case& c : cases) {
        Profile(kRecent);
        CDlgOpen dialog(frame_, Texts(133));
        const int rc = RunModal(dialog, [&] {
            if (c.choice == 0) {
                Press(&dialog, wxID_CANCEL);
                return;
            }
            SelectLine(dialog, c.line);
            Choose(dialog, c.choice);
            Press(&dialog, wxID_OK);
        });
        EXPECT_EQ(rc, c.code) << c.choice << " " << c.line;
        EXPECT_EQ(vx::Profile().GetString("Global", "LstPrj"), c.stored) << c.code;
    }
}

TEST_F(StartGui, WithoutRecentProjectsTheListHoldsOneLineAndANewProjectIsChosen) {
    Profile("[Global]\n");
    CDlgOpen dialog(frame_, Texts(133));
    const int rc = RunModal(dialog, [&] {
        ASSERT_EQ(List(dialog)->GetCount(), 1u);
        EXPECT_TRUE(Choice(dialog, CDlgOpen::IDC_FIRST)->GetValue());
        // A double-click on the list acts as "&Weiter".
        Choose(dialog, CDlgOpen::IDC_OPEN);
        wxCommandEvent twice(wxEVT_LISTBOX_DCLICK, CDlgOpen::IDC_LIST);
        twice.SetEventObject(List(dialog));
        twice.SetInt(0);
        List(dialog)->GetEventHandler()->ProcessEvent(twice);
    });
    EXPECT_EQ(rc, 12);
}

} // namespace
