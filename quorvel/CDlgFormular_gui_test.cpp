// The form print settings on the display, with a layout file in a scratch
// folder and the profile pointed there.
#include "quorvel/CDlgFormular.h"

#include "testsupport/quorvel/ProfileDialogTest.h"

#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

namespace {

const char* const kLayout = "[Layout]\nxOffset=5000\nyOffset=0\n[Druck]\nKopien=1\n";

class FormularGui : public ProfileDialogTest {
protected:
    void SetUp() override {
        ProfileDialogTest::SetUp();
        vx::WriteFileAtomic(Path("form.lst"), kLayout);
    }
};

TEST_F(FormularGui, OneFormHidesTheChoiceAndSavingRewritesTheLayoutAfterABackup) {
    Profile("[LuL]\nAnzFormulare=1\nFormular=1\nKopfdruck=0\nFormular0=" + Path("form.lst") + "\n");
    CDlgFormular dialog(frame_);
    const int rc = RunModal(dialog, [&] {
        EXPECT_EQ(Text(&dialog, CDlgFormular::IDC_LEFT), "0,5");
        EXPECT_EQ(Text(&dialog, CDlgFormular::IDC_TOP), "0");
        EXPECT_FALSE(dialog.FindWindow(CDlgFormular::IDC_SHORT_FORM)->IsShown());
        EXPECT_FALSE(dialog.FindWindow(CDlgFormular::IDC_STANDARD_FORM)->IsShown());
        EXPECT_FALSE(dynamic_cast<wxCheckBox*>(dialog.FindWindow(CDlgFormular::IDC_LETTERHEAD))->GetValue());
        EXPECT_TRUE(dynamic_cast<wxCheckBox*>(dialog.FindWindow(CDlgFormular::IDC_SENDER))->GetValue());
        SetText(&dialog, CDlgFormular::IDC_LEFT, "1,2");
        SetText(&dialog, CDlgFormular::IDC_TOP, "0,57");
        Press(&dialog, wxID_OK);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(Read("form.ls"), kLayout);
    EXPECT_EQ(Read("form.lst"), "[Layout]\n xOffset=12000\n yOffset=5700\n[Druck]\nKopien=1\n");
    EXPECT_EQ(vx::Profile().GetString("LuL", "Formular"), "0");
    EXPECT_EQ(vx::Profile().GetString("LuL", "Kopfdruck"), "0");
    EXPECT_EQ(vx::Profile().GetString("LuL", "Absenderdruck"), "1");
}

TEST_F(FormularGui, MarginsOutsideTheRangeKeepTheDialogOpenWithTheFocusOnTheField) {
    Profile("[LuL]\nAnzFormulare=2\nFormular=1\nFormular0=" + Path("form.lst") + "\nFormular1=" +
            Path("lang.lst") + "\n");
    vx::WriteFileAtomic(Path("lang.lst"), "[Layout]\nyOffset=15000\n");
    CDlgFormular dialog(frame_);
    const int rc = RunModal(dialog, [&] {
        EXPECT_TRUE(dialog.FindWindow(CDlgFormular::IDC_SHORT_FORM)->IsShown());
        EXPECT_EQ(Text(&dialog, CDlgFormular::IDC_TOP), "1,5");
        const struct {
            const char *top, *left;
            int focus;
        } cases[] = {{"1", "2,5", CDlgFormular::IDC_LEFT},
                     {"1", "-0,5", CDlgFormular::IDC_LEFT},
                     {"3", "3", CDlgFormular::IDC_TOP}};
        size_t shown = 0;
        for (const auto& c : cases) {
            SetText(&dialog, CDlgFormular::IDC_TOP, c.top);
            SetText(&dialog, CDlgFormular::IDC_LEFT, c.left);
            Press(&dialog, wxID_OK);
            ASSERT_TRUE(dialog.IsModal()) << c.left;
            ASSERT_EQ(Shown().size(), ++shown);
            EXPECT_EQ(Shown().back().text, "Rand:\t\t\tzwischen 0.00 .. 2.00 cm");
            EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == dialog.FindWindow(c.focus); })) << c.left;
        }
        // The other form brings its own margins.
        auto* shortForm = dynamic_cast<wxRadioButton*>(dialog.FindWindow(CDlgFormular::IDC_SHORT_FORM));
        shortForm->SetValue(true);
        wxCommandEvent chosen(wxEVT_RADIOBUTTON, CDlgFormular::IDC_SHORT_FORM);
        chosen.SetEventObject(shortForm);
        shortForm->GetEventHandler()->ProcessEvent(chosen);
        EXPECT_EQ(Text(&dialog, CDlgFormular::IDC_LEFT), "0,5");
        Press(&dialog, wxID_CANCEL);
    });
    EXPECT_EQ(rc, wxID_CANCEL);
    EXPECT_FALSE(vx::FileExists(Path("lang.ls")));
    EXPECT_EQ(vx::Profile().GetString("LuL", "Formular"), "1");
}

// The text control beside which label is drawn, found anywhere below parent.
wxWindow* LabelNamed(wxWindow* parent, const wxString& label) {
    for (wxWindow* child : parent->GetChildren()) {
        if (auto* text = dynamic_cast<wxStaticText*>(child); text && text->GetLabelText() == label) return text;
        if (wxWindow* deeper = LabelNamed(child, label)) return deeper;
    }
    return nullptr;
}

TEST_F(FormularGui, EachMarginFieldSitsBesideItsLabelInsideItsGroup) {
    Profile("[LuL]\nAnzFormulare=1\n");
    CDlgFormular dialog(frame_);
    RunModal(dialog, [&] {
        const wxRect group = dialog.FindWindow(CDlgFormular::IDC_MARGINS)->GetScreenRect();
        const int captionBottom = group.y + dialog.FindWindow(CDlgFormular::IDC_MARGINS)->GetCharHeight();
        for (const auto& [id, label] : {std::pair{int(CDlgFormular::IDC_TOP), "oben :"},
                                        std::pair{int(CDlgFormular::IDC_LEFT), "links :"}}) {
            wxWindow* text = LabelNamed(&dialog, label);
            ASSERT_NE(text, nullptr) << label;
            const wxRect field = dialog.FindWindow(id)->GetScreenRect();
            const wxRect beside = text->GetScreenRect();
            const int middle = beside.y + beside.height / 2;
            EXPECT_TRUE(middle >= field.y && middle < field.GetBottom()) << label;
            EXPECT_GT(beside.x, group.x) << label;
            EXPECT_GT(field.x, beside.GetRight()) << label;
            EXPECT_GE(field.y, captionBottom) << label;
            EXPECT_LE(field.GetBottom(), group.GetBottom()) << label;
        }
        Press(&dialog, wxID_CANCEL);
    });
}

} // namespace
