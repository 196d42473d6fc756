// The user data dialog on the display: its layout flags, and the user file
// it saves when it closes with "&Weiter".
#include "quorvel/CDlgAnwender.h"

#include "testsupport/quorvel/ProfileDialogTest.h"

#include <wx/textctrl.h>

namespace {

using AnwenderGui = ProfileDialogTest;

CAnwender Sample() {
    CAnwender a;
    a.name1 = "Schornsteinbau Nord";
    a.street = "Hafenstra\xDF" "e 4";
    a.plzOrt = "24103 Kiel";
    a.postBox = "Postfach 12";
    a.version = "3.10";
    return a;
}

TEST_F(AnwenderGui, WeiterTakesTheFieldsAndSavesTheUserFileInItsKeyOrder) {
    Profile("[Global]\nAnwenderDAT=" + Path("nutzer.dat") + "\n");
    CDlgAnwender dialog(frame_, Sample(), CDlgAnwender::LockName1 | CDlgAnwender::ShowHint);
    const int rc = RunModal(dialog, [&] {
        EXPECT_EQ(Text(&dialog, CDlgAnwender::IDC_NAME1), "Schornsteinbau Nord");
        EXPECT_EQ(Text(&dialog, CDlgAnwender::IDC_STREET), "Hafenstra\xDF" "e 4");
        // The first name line is filled: flag 4 locks it.
        EXPECT_FALSE(Edit(&dialog, CDlgAnwender::IDC_NAME1)->IsEditable());
        EXPECT_TRUE(dialog.FindWindow(CDlgAnwender::IDC_HINT)->IsShown());
        SetText(&dialog, CDlgAnwender::IDC_NAME2, "Inh. K. M\xFC" "ller");
        SetText(&dialog, CDlgAnwender::IDC_TEL, "0431 1234");
        SetText(&dialog, CDlgAnwender::IDC_FAX, "0431 1235");
        SetText(&dialog, CDlgAnwender::IDC_EMAIL, "info@nord.example");
        SetText(&dialog, CDlgAnwender::IDC_WWW, "www.nord.example");
        Press(&dialog, wxID_OK);
    });
    ASSERT_EQ(rc, wxID_OK);
    EXPECT_EQ(dialog.record.name2, "Inh. K. M\xFC" "ller");
    EXPECT_EQ(dialog.record.postBox, "Postfach 12");
    EXPECT_EQ(Read("nutzer.dat"), "[Anwender]\nName1=Schornsteinbau Nord\nName2=Inh. K. M\xFC" "ller\n"
                                  "Strasse=Hafenstra\xDF" "e 4\nPLZOrt=24103 Kiel\nFAX=0431 1235\nTEL=0431 1234\n"
                                  "eMail=info@nord.example\nWWW=www.nord.example\nPostfach=Postfach 12\n"
                                  "PlzOrtPostfach=\nHandyNr=\n");
}

TEST_F(AnwenderGui, WithoutTheFlagsNameOneIsFreeAndTheHintHiddenAndCancelSavesNothing) {
    Profile("[Global]\nAnwenderDAT=" + Path("nutzer.dat") + "\n");
    struct Case {
        int flags;
        bool filled, editable, hint;
    } cases[] = {{0, true, true, false}, {CDlgAnwender::LockName1, false, true, false}, {8, true, true, true}};
    for (const Case& c : cases) {
        CAnwender a = Sample();
        if (!c.filled) a.name1.clear();
        CDlgAnwender dialog(frame_, a, c.flags);
        RunModal(dialog, [&] {
            EXPECT_EQ(Edit(&dialog, CDlgAnwender::IDC_NAME1)->IsEditable(), c.editable) << c.flags;
            EXPECT_EQ(dialog.FindWindow(CDlgAnwender::IDC_HINT)->IsShown(), c.hint) << c.flags;
            SetText(&dialog, CDlgAnwender::IDC_NAME2, "verworfen");
            Press(&dialog, wxID_CANCEL);
        });
    }
    EXPECT_FALSE(vx::FileExists(Path("nutzer.dat")));
}

// Typed as a quick user types: each Enter moves one field on, also when the
// next comes before the toolkit's button animation ended, and Alt+W ends the
// dialog even though Alt is up before the button reacts.
TEST_F(AnwenderGui, QuickEntersEachMoveOnAndAltWFinishes) {
    Profile("[Global]\nAnwenderDAT=" + Path("nutzer.dat") + "\n");
    KeyUpCounter keys;
    CDlgAnwender dialog(frame_, CAnwender(), 0);
    const int rc = RunModal(dialog, [&] {
        FocusOn(dialog.FindWindow(CDlgAnwender::IDC_NAME1));
        Type(keys, "nord");
        for (int i = 0; i < 3; ++i) Key(keys, WXK_RETURN);
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == dialog.FindWindow(CDlgAnwender::IDC_PLZ_ORT); }));
        EXPECT_TRUE(dialog.IsModal());
        Type(keys, "24103 kiel");
        Key(keys, 'W', wxMOD_ALT);
        EXPECT_TRUE(PumpUntil([&] { return !dialog.IsModal(); }));
    });
    ASSERT_EQ(rc, wxID_OK);
    EXPECT_EQ(dialog.record.name1, "nord");
    EXPECT_EQ(dialog.record.plzOrt, "24103 kiel");
}

} // namespace
