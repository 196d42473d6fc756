// The fields in a real dialog on the display, driven by keys typed through
// the X server.
#include "testsupport/quorvel/FieldsTestDialog.h"

#include "quorvel/fields/CDlgEinheit.h"
#include "quorvel/fields/CDlgHistorie.h"
#include "quorvel/fields/CPromptMessage.h"
#include "quorvel/fields/CTextControl.h"
#include "quorvel/fields/CZeigFehler.h"
#include "quorvel/fields/FieldEvent.h"
#include "quorvel/fields/FieldMessages.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "testsupport/values/ValuesTestEnv.h"

#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/statusbr.h>

#include <memory>

namespace {

const std::string kRange = "Zulässiger Bereich: %.0f bis %.0f";

class FieldsGuiTest : public ValuesTest {
protected:
    void SetUp() override {
        ValuesTest::SetUp();
        SetUndoSize("5");
        vx::Strings().Clear();
        ASSERT_TRUE(LoadFieldStrings(QuorvelFields()));
        ASSERT_TRUE(LoadFieldStrings(TarsiloFields()));
        vx::Strings().Set(IDS_RANGE, kRange);
        frame_ = new wxFrame(nullptr, wxID_ANY, "Tarsilo");
        frame_->CreateStatusBar();
        frame_->Show();
        wxTheApp->SetTopWindow(frame_);
    }
    void TearDown() override {
        frame_->Destroy();
        Settle();
        vx::Strings().Clear();
        ValuesTest::TearDown();
    }
    // Runs the dialog modally; the steps run inside its loop.
    static int RunModal(wxDialog& dialog, std::function<void()> steps) {
        dialog.CallAfter([&dialog, steps] {
            EXPECT_TRUE(PumpUntil([&] { return dialog.IsShown(); }));
            steps();
            if (dialog.IsModal()) dialog.EndModal(wxID_CANCEL);
        });
        return dialog.ShowModal();
    }
    static std::string Text(CParsedEdit* edit) { return vx::FromWx(edit->GetValue()); }

    vx::ScopedScriptedMessages messages_;
    KeyUpCounter keys_;
    TestOwner owner_;
    wxFrame* frame_ = nullptr;
};

TEST_F(FieldsGuiTest, TypedCharactersFollowTheInputKind) {
    TestDialog dialog(frame_, &owner_, 1, QuorvelFields());
    RunModal(dialog, [&] {
        CParsedEdit* signedEdit = dialog.Edit(IDC_SIGNED);
        FocusOn(signedEdit);
        signedEdit->SelectAll();
        Type(keys_, "1-2");
        EXPECT_EQ(Text(signedEdit), "1-2");
        EXPECT_FALSE(signedEdit->IsTextValid());
        // Leaving with a bad syntax beeps and keeps the field.
        const size_t beeps = messages_.service.beeps.size();
        Key(keys_, WXK_TAB);
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == signedEdit; }));
        EXPECT_GT(messages_.service.beeps.size(), beeps);

        CParsedEdit* digitsEdit = dialog.Edit(IDC_DIGITS);
        signedEdit->ChangeValue("1");
        FocusOn(digitsEdit);
        digitsEdit->SelectAll();
        const size_t before = messages_.service.beeps.size();
        Type(keys_, "4-2");
        EXPECT_EQ(Text(digitsEdit), "42");
        EXPECT_EQ(messages_.service.beeps.size(), before + 1);
        EXPECT_EQ(messages_.service.beeps.back(), 0xFFFFFFFFu);

        CParsedEdit* pressureEdit = dialog.Edit(IDC_PRESSURE);
        FocusOn(pressureEdit);
        EXPECT_FALSE(dialog.pressure.undoPending);
        pressureEdit->SelectAll();
        Type(keys_, "1,2,3");
        EXPECT_FALSE(pressureEdit->IsTextValid());
        pressureEdit->SelectAll();
        Type(keys_, "1,5,");
        EXPECT_EQ(Text(pressureEdit), "1,5,");
        EXPECT_TRUE(pressureEdit->IsTextValid());
        pressureEdit->SelectAll();
        Type(keys_, ",");
        EXPECT_EQ(Text(pressureEdit), ",");
        EXPECT_TRUE(dialog.pressure.undoPending);
    });
}

TEST_F(FieldsGuiTest, OutOfRangeShowsRedAndKeepsTheFocusButNotTowardsCancel) {
    TestDialog dialog(frame_, &owner_, 1, QuorvelFields());
    RunModal(dialog, [&] {
        CParsedEdit* pressure = dialog.Edit(IDC_PRESSURE);
        CPromptMessage* strip = dialog.MessageWindow();
        ASSERT_NE(strip, nullptr);
        EXPECT_EQ(dialog.label->GetForegroundColour(), wxColour(0, 0, 255));
        FocusOn(pressure);
        EXPECT_EQ(strip->Text(), "F1=Hilfe");
        EXPECT_EQ(strip->Mode(), 0);
        EXPECT_EQ(pressure->GetBackgroundColour(), wxColour(0, 255, 255));
        EXPECT_EQ(vx::FromWx(dynamic_cast<wxStaticText*>(dialog.FindWindow(IDC_PRESSURE_UNIT))->GetLabel()), "mbar");
        pressure->SelectAll();
        Type(keys_, "3000");
        const size_t beeps = messages_.service.beeps.size();
        Key(keys_, WXK_TAB);
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == pressure && CDlgItem::reclaiming == nullptr; }));
        Settle();
        EXPECT_EQ(strip->Text(), "Zulässiger Bereich: 0 bis 2000 mbar  ");
        EXPECT_EQ(strip->Mode(), 1);
        EXPECT_EQ(strip->BackgroundFor(strip->Mode()), wxColour(255, 0, 0));
        EXPECT_EQ(pressure->GetBackgroundColour(), wxColour(255, 0, 0));
        EXPECT_EQ(messages_.service.beeps.size(), beeps + 1);
        EXPECT_EQ(wxWindow::FindFocus(), pressure);
        // Repainting the error does not beep again.
        strip->Refresh();
        strip->Update();
        Settle();
        EXPECT_EQ(messages_.service.beeps.size(), beeps + 1);
        // Leaving again without a change still finds the wrong value.
        Key(keys_, WXK_TAB);
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == pressure && CDlgItem::reclaiming == nullptr; }));
        EXPECT_TRUE(owner_.changed.empty());

        // Towards Cancel nothing is checked.
        pressure->SelectAll();
        Type(keys_, "4000");
        FocusOn(dialog.FindWindow(wxID_CANCEL));
        EXPECT_EQ(pressure->errorMark, 0);
        EXPECT_EQ(strip->Mode(), 1);
        EXPECT_EQ(wxWindow::FindFocus(), dialog.FindWindow(wxID_CANCEL));
    });
}

TEST_F(FieldsGuiTest, EnterMovesOnAndOkStaysOpenWhileAFieldIsWrong) {
    TestDialog dialog(frame_, &owner_, 1, QuorvelFields());
    const int rc = RunModal(dialog, [&] {
        CParsedEdit* height = dialog.Edit(IDC_HEIGHT);
        FocusOn(height);
        height->SelectAll();
        Type(keys_, "20");
        Key(keys_, WXK_RETURN);
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == dialog.phoneEdit; }));
        EXPECT_DOUBLE_EQ(dialog.height.value, 20);
        EXPECT_EQ(owner_.changed, std::vector<int>{IDC_HEIGHT});
        EXPECT_TRUE(dialog.IsModal());

        // A wrong value left behind by the program: OK puts the focus on it.
        height->SetFieldText("99");
        dialog.Fields().SetWrongFields({IDC_HEIGHT}, "");
        dialog.Fields().cursor = FieldHost::npos;
        FocusOn(dialog.FindWindow(wxID_OK));
        Key(keys_, WXK_RETURN);
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == height; }));
        EXPECT_TRUE(dialog.IsModal());
        EXPECT_EQ(dialog.MessageWindow()->Text(), "Zulässiger Bereich: 1 bis 50 m   (F8 = nächste Falscheingabe)");

        height->SetFieldText("12");
        dialog.Fields().SetWrongFields({}, "");
        FocusOn(dialog.FindWindow(wxID_OK));
        Key(keys_, WXK_RETURN);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_DOUBLE_EQ(dialog.height.value, 12);
}

// Enter walks on from a field, from the combo box and, on OK, ends the dialog.
TEST_F(FieldsGuiTest, EnterWalksThroughTheComboBoxToOk) {
    TestDialog dialog(frame_, &owner_, 1, QuorvelFields());
    const int rc = RunModal(dialog, [&] {
        FocusOn(dialog.phoneEdit);
        Key(keys_, WXK_RETURN);
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == dialog.combo; }));
        Key(keys_, WXK_RETURN);
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == dialog.FindWindow(wxID_OK); }));
        EXPECT_TRUE(dialog.IsModal());
        Key(keys_, WXK_RETURN);
        EXPECT_TRUE(PumpUntil([&] { return !dialog.IsModal(); }));
    });
    EXPECT_EQ(rc, wxID_OK);
}

TEST_F(FieldsGuiTest, F8WalksTheWrongFieldsAndEndsWhenAllAreRight) {
    TestDialog dialog(frame_, &owner_, 1, QuorvelFields());
    const int rc = RunModal(dialog, [&] {
        CParsedEdit* pressure = dialog.Edit(IDC_PRESSURE);
        CParsedEdit* height = dialog.Edit(IDC_HEIGHT);
        pressure->SetFieldText("3000");
        height->SetFieldText("60");
        dialog.Fields().SetWrongFields({IDC_PRESSURE, IDC_HEIGHT}, "Zwei Eingaben sind falsch.");
        EXPECT_EQ(pressure->GetBackgroundColour(), wxColour(255, 0, 0));
        // The error list first, then the focus on the first wrong field.
        std::string shown;
        WhenShown<CZeigFehler> closer([&](CZeigFehler& errors) {
            shown = vx::FromWx(dynamic_cast<wxTextCtrl*>(errors.FindWindow(1050))->GetValue());
            errors.EndModal(wxID_OK);
        });
        EXPECT_EQ(SendFieldMessage(&dialog, fieldmsg::ShowErrors, 0, nullptr), 1);
        EXPECT_EQ(shown, "Zwei Eingaben sind falsch.");
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == pressure; }));
        dialog.Fields().cursor = 0;

        Key(keys_, WXK_F8);
        EXPECT_EQ(dialog.MessageWindow()->Text(), "Zulässiger Bereich: 0 bis 2000 mbar   (F8 = nächste Falscheingabe)");
        EXPECT_EQ(wxWindow::FindFocus(), pressure);

        pressure->SelectAll();
        Type(keys_, "500");
        Key(keys_, WXK_F8);
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == height; }));
        EXPECT_EQ(dialog.Fields().wrongFields, std::vector<int>{IDC_HEIGHT});
        EXPECT_EQ(dialog.MessageWindow()->Text(), "Zulässiger Bereich: 1 bis 50 m   (F8 = nächste Falscheingabe)");
        EXPECT_NE(pressure->GetBackgroundColour(), wxColour(255, 0, 0));
        EXPECT_EQ(height->GetBackgroundColour(), wxColour(255, 0, 0));

        height->SelectAll();
        Type(keys_, "25");
        Key(keys_, WXK_F8);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_DOUBLE_EQ(dialog.pressure.value, 50000);
    EXPECT_DOUBLE_EQ(dialog.height.value, 25);
}

TEST_F(FieldsGuiTest, UndoByAltBackspaceAndByTheHistory) {
    TestDialog dialog(frame_, &owner_, 1, QuorvelFields());
    RunModal(dialog, [&] {
        CParsedEdit* height = dialog.Edit(IDC_HEIGHT);
        for (const char* text : {"11", "12", "13"}) {
            FocusOn(height);
            height->SelectAll();
            Type(keys_, text);
            FocusOn(dialog.Edit(IDC_PHONE));
        }
        EXPECT_DOUBLE_EQ(dialog.height.value, 13);
        FocusOn(height);
        // The ring holds 10, 11, 12 and the field 13: Alt+Backspace brings back 12.
        Key(keys_, WXK_BACK, wxMOD_ALT);
        EXPECT_EQ(Text(height), "12");
        FocusOn(dialog.Edit(IDC_PHONE));
        EXPECT_DOUBLE_EQ(dialog.height.value, 12);

        std::vector<std::string> listed;
        FocusOn(height);
        WhenShown<CDlgHistorie> chooser([&](CDlgHistorie& history) {
            auto* list = dynamic_cast<wxListBox*>(history.FindWindow(1089));
            for (unsigned i = 0; i < list->GetCount(); ++i) listed.push_back(vx::FromWx(list->GetString(i)));
            list->SetSelection(1);
            wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
            history.FindWindow(wxID_OK)->GetEventHandler()->ProcessEvent(ok);
        });
        Key(keys_, WXK_F7);
        // Newest first; the undone 13 was never typed over and is not listed.
        EXPECT_EQ(listed, (std::vector<std::string>{"12", "11", "10"}));
        EXPECT_EQ(Text(height), "11");
        EXPECT_TRUE(height->IsModified());
        FocusOn(dialog.Edit(IDC_PHONE));
        EXPECT_DOUBLE_EQ(dialog.height.value, 11);
    });
}

TEST_F(FieldsGuiTest, UnitChoiceConvertsTheShownValue) {
    TestDialog dialog(frame_, &owner_, 1, QuorvelFields());
    RunModal(dialog, [&] {
        CParsedEdit* pressure = dialog.Edit(IDC_PRESSURE);
        EXPECT_EQ(Text(pressure), "1000");
        FocusOn(pressure);
        int preselected = -1;
        WhenShown<CDlgEinheit> chooser([&](CDlgEinheit& units) {
            auto* list = dynamic_cast<wxListBox*>(units.FindWindow(1045));
            preselected = list->GetSelection();
            list->SetSelection(0);
            units.FindWindow(wxID_OK)->SetFocus();
            wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
            units.FindWindow(wxID_OK)->GetEventHandler()->ProcessEvent(ok);
        });
        Key(keys_, WXK_F5);
        EXPECT_EQ(preselected, 1);
        EXPECT_EQ(dialog.pressure.displayUnit, 0x300);
        EXPECT_EQ(Text(pressure), "100000");
        EXPECT_EQ(vx::FromWx(dynamic_cast<wxStaticText*>(dialog.FindWindow(IDC_PRESSURE_UNIT))->GetLabel()), "Pa");
        EXPECT_TRUE(pressure->IsModified());
    });
}

TEST_F(FieldsGuiTest, UnitDialogPreselectsAndTreatsNoChoiceAsCancel) {
    {
        CDlgEinheit units(frame_, 0x302, QuorvelFields());
        int preselected = -1;
        const int rc = RunModal(units, [&] {
            auto* list = dynamic_cast<wxListBox*>(units.FindWindow(1045));
            preselected = list->GetSelection();
            EXPECT_EQ(vx::FromWx(list->GetString(2)), "at");
            list->SetSelection(0);
            units.Finish();
        });
        EXPECT_EQ(preselected, 2);
        EXPECT_EQ(rc, wxID_OK);
        EXPECT_EQ(units.unitCode, 0x300);
    }
    {
        CDlgEinheit units(frame_, 0x302, QuorvelFields());
        const int rc = RunModal(units, [&] {
            dynamic_cast<wxListBox*>(units.FindWindow(1045))->SetSelection(wxNOT_FOUND);
            units.Finish();
        });
        EXPECT_EQ(rc, wxID_CANCEL);
        EXPECT_EQ(units.unitCode, 0x302);
    }
}

TEST_F(FieldsGuiTest, LongStoredTextSurvivesAShorterLimit) {
    const std::string stored = "0049 (0)621 1234567-890 12";
    ASSERT_GT(stored.size(), 20u);
    std::string savedUnchanged;
    TestDialog dialog(frame_, &owner_, 1, QuorvelFields());
    dialog.phone.text = stored + "345";
    ASSERT_EQ(dialog.phone.text.size(), 29u);
    dialog.phone.text += "6";
    const int rc = RunModal(dialog, [&] {
        CParsedEdit* phone = dialog.phoneEdit;
        EXPECT_EQ(Text(phone), dialog.phone.text);
        FocusOn(phone);
        phone->SetInsertionPointEnd();
        const size_t beeps = messages_.service.beeps.size();
        Type(keys_, "7");
        EXPECT_EQ(Text(phone).size(), 30u);
        EXPECT_EQ(messages_.service.beeps.size(), beeps + 1);
        FocusOn(dialog.FindWindow(wxID_OK));
        Key(keys_, WXK_RETURN);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(dialog.phone.text, stored + "3456");

    // Typing up to the limit works; beyond it is refused.
    TestDialog second(frame_, &owner_, 1, QuorvelFields());
    RunModal(second, [&] {
        FocusOn(second.phoneEdit);
        Type(keys_, "0621123456789012345678");
        EXPECT_EQ(Text(second.phoneEdit), "06211234567890123456");
    });
}

TEST_F(FieldsGuiTest, SecondProgramUsesTheStatusBarAndKeepsItsCommands) {
    int frameCommands = 0;
    frame_->Bind(wxEVT_MENU, [&](wxCommandEvent&) { ++frameCommands; });
    TestDialog dialog(frame_, &owner_, 2, TarsiloFields());
    RunModal(dialog, [&] {
        EXPECT_EQ(dialog.MessageWindow(), nullptr);
        CParsedEdit* pressure = dialog.Edit(IDC_PRESSURE);
        FocusOn(pressure);
        EXPECT_EQ(vx::FromWx(frame_->GetStatusBar()->GetStatusText(0)), "F1 = Hilfe");

        // 32781 is the unit command of the second program; the field answers it.
        WhenShown<CDlgEinheit> chooser([&](CDlgEinheit& units) {
            dynamic_cast<wxListBox*>(units.FindWindow(1045))->SetSelection(0);
            units.Finish();
        });
        wxCommandEvent unit(wxEVT_MENU, WxCommandId(32781));
        unit.SetEventObject(pressure);
        pressure->GetEventHandler()->ProcessEvent(unit);
        EXPECT_EQ(Text(pressure), "100000");
        // Commands the field has no action for stop there as well.
        for (int id : {32774, 32779, 32786, 32785, 57600}) {
            wxCommandEvent other(wxEVT_MENU, WxCommandId(id));
            other.SetEventObject(pressure);
            pressure->GetEventHandler()->ProcessEvent(other);
        }
        EXPECT_EQ(frameCommands, 0);

        FocusOn(pressure);
        pressure->SelectAll();
        Type(keys_, "9999999");
        const size_t beeps = messages_.service.beeps.size();
        Key(keys_, WXK_TAB);
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == pressure && CDlgItem::reclaiming == nullptr; }));
        EXPECT_EQ(vx::FromWx(frame_->GetStatusBar()->GetStatusText(0)), "Zulässiger Bereich: 0 bis 200000 Pa\r\n");
        EXPECT_EQ(messages_.service.beeps.size(), beeps + 1);
    });
    EXPECT_EQ(frameCommands, 0);
}

TEST_F(FieldsGuiTest, ContextMenuComboAndProgramValues) {
    TestDialog dialog(frame_, &owner_, 1, QuorvelFields());
    RunModal(dialog, [&] {
        CParsedEdit* pressure = dialog.Edit(IDC_PRESSURE);
        std::unique_ptr<wxMenu> menu(pressure->BuildContextMenu());
        ASSERT_NE(menu, nullptr);
        std::vector<std::string> labels;
        for (wxMenuItem* item : menu->GetMenuItems())
            labels.push_back(item->IsSeparator() ? "-" : vx::FromWx(item->GetItemLabel()));
        EXPECT_EQ(labels, (std::vector<std::string>{"&Maßeinheit\tF5", "-", "&Hilfe\tShift+F1", "-", "Rückgän&gig",
                                                    "-", "Aus&schneiden", "&Kopieren", "Ein&fügen", "&Löschen", "-",
                                                    "Alles mark&ieren"}));
        EXPECT_EQ(dialog.Edit(IDC_HEIGHT)->BuildContextMenu(), nullptr);
        std::unique_ptr<wxMenu> comboMenu(dialog.combo->BuildContextMenu());
        ASSERT_NE(comboMenu, nullptr);
        EXPECT_EQ(comboMenu->GetMenuItemCount(), 1u);

        // The program's value answers 4711; a typed one 0.
        EXPECT_EQ(SendFieldMessage(dialog.combo, fieldmsg::SetByProgram, 0, nullptr), 4711);
        EXPECT_EQ(SendFieldMessage(pressure, fieldmsg::SetByProgram, 0, nullptr), 0);

        // Delete clears the choice and tells the dialog.
        int changes = 0;
        dialog.Bind(wxEVT_COMBOBOX, [&](wxCommandEvent& e) {
            ++changes;
            e.Skip();
        });
        dialog.combo->SetFieldText("Keramik");
        EXPECT_EQ(dialog.combo->GetSelection(), 1);
        FocusOn(dialog.combo);
        EXPECT_EQ(dialog.MessageWindow()->Text(), "F1=Hilfe, (Wert wird vom Programm gesetzt)");
        Key(keys_, WXK_DELETE);
        EXPECT_TRUE(PumpUntil([&] { return changes == 1; }));
        EXPECT_EQ(dialog.combo->GetSelection(), wxNOT_FOUND);
        EXPECT_EQ(dialog.combo->GetFieldText(), "");

        // A stored text that no entry matches is kept.
        dialog.combo->SetFieldText("Schamotte");
        EXPECT_EQ(dialog.combo->GetFieldText(), "Schamotte");

        // Group headers: centred on green.
        wxBitmap bitmap(120, 20);
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        dialog.combo->PaintItem(dc, wxRect(0, 0, 120, 20), 0, false, true);
        wxColour corner;
        dc.GetPixel(1, 1, &corner);
        EXPECT_EQ(corner, wxColour(0, 255, 0));
        dc.Clear();
        dialog.combo->PaintItem(dc, wxRect(0, 0, 120, 20), 1, false, true);
        dc.GetPixel(1, 1, &corner);
        EXPECT_EQ(corner, wxColour(255, 255, 255));
    });
}

TEST_F(FieldsGuiTest, SpinStepsBeepAtTheLimits) {
    TestDialog dialog(frame_, &owner_, 1, QuorvelFields());
    RunModal(dialog, [&] {
        CParsedEdit* height = dialog.Edit(IDC_HEIGHT);
        height->SetFieldText("50");
        const size_t beeps = messages_.service.beeps.size();
        height->Spin(+1);
        EXPECT_EQ(Text(height), "50");
        EXPECT_EQ(messages_.service.beeps.size(), beeps + 1);
        EXPECT_TRUE(owner_.changed.empty());
        height->Spin(-1);
        EXPECT_EQ(Text(height), "49");
        EXPECT_DOUBLE_EQ(dialog.height.value, 49);
        EXPECT_EQ(owner_.changed, std::vector<int>{IDC_HEIGHT});
        EXPECT_EQ(messages_.service.beeps.size(), beeps + 1);
        height->SetFieldText("1");
        height->Spin(-1);
        EXPECT_EQ(Text(height), "1");
        EXPECT_EQ(messages_.service.beeps.size(), beeps + 2);
    });
}

TEST_F(FieldsGuiTest, HistoryWithoutEntriesAndTextControl) {
    CWString empty;
    CDlgHistorie history(frame_, &empty, QuorvelFields());
    const int rc = RunModal(history, [&] {
        EXPECT_EQ(dynamic_cast<wxListBox*>(history.FindWindow(1089))->GetCount(), 0u);
        wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
        history.FindWindow(wxID_OK)->GetEventHandler()->ProcessEvent(ok);
    });
    EXPECT_EQ(rc, wxID_CANCEL);
    CDlgHistorie none(frame_, nullptr, QuorvelFields());
    EXPECT_EQ(none.ShowModal(), wxID_CANCEL);

    auto* label = new wxStaticText(frame_, 1200, "Projekt 4711");
    auto* text = new CTextControl;
    ASSERT_TRUE(text->SubclassDlgItem(frame_, 1200));
    EXPECT_EQ(frame_->FindWindow(1200), text);
    (void)label;
    EXPECT_EQ(vx::FromWx(text->GetLabel()), "Projekt 4711");
}

} // namespace
