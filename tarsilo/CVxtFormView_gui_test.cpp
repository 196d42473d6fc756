// The form view base on real controls: the field messages it answers
// itself, Enter as Tab, and the result list's key releases.
#include "tarsilo/CVxtFormView.h"

#include "quorvel/fields/CParsedEdit.h"
#include "quorvel/fields/FieldEvent.h"
#include "quorvel/fields/FieldMessages.h"
#include "platform/wx/WxText.h"
#include "values/CWDouble.h"
#include "testsupport/values/ValuesTestEnv.h"
#include "testsupport/velmora/ProgramFrameTestEnv.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/sizer.h>

namespace {

class CountingForm : public CVxtFormView {
public:
    CountingForm(wxWindow* parent, CWDouble& a, CWDouble& b) : CVxtFormView(parent, nullptr, 1) {
        a.valueId = 1001;
        b.valueId = 1002;
        first = new CParsedEdit(&a);
        first->Create(this, 1001);
        second = new CParsedEdit(&b);
        second->Create(this, 1002);
        list = new CVxtListCtrl(this, 1012, wxLC_REPORT);
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(first);
        sizer->Add(second);
        sizer->Add(list, 1, wxEXPAND);
        SetSizer(sizer);
        RegisterObject(&a);
        RegisterObject(&b);
        InitFields();
    }
    void ApplyFields() override {
        ++applied;
        CVxtFormView::ApplyFields();
    }
    void OnListKeyUp(wxWindow* from) override {
        ++keyUps;
        lastList = from;
    }
    CParsedEdit* first;
    CParsedEdit* second;
    CVxtListCtrl* list;
    int applied = 0;
    int keyUps = 0;
    wxWindow* lastList = nullptr;
};

class FormViewTest : public ValuesTest {
protected:
    void SetUp() override {
        ValuesTest::SetUp();
        frame_ = new wxFrame(nullptr, wxID_ANY, "Form");
        form_ = new CountingForm(frame_, a_, b_);
        frame_->Show();
        Pump();
    }
    void TearDown() override {
        frame_->Destroy();
        for (int i = 0; i < 5; ++i) wxTheApp->ProcessIdle();
        ValuesTest::TearDown();
    }
    static void Pump() { PumpEvents(); }

    CWDouble a_, b_;
    wxFrame* frame_ = nullptr;
    CountingForm* form_ = nullptr;
};

} // namespace

TEST_F(FormViewTest, EndWithTakesTheFieldsAndAnswersOne) {
    for (long code : {1L, 2L, 1060L}) {
        form_->first->ChangeValue(vx::ToWx("12,5"));
        form_->first->MarkModified(true);
        FieldEvent event(fieldmsg::EndWith, code);
        EXPECT_EQ(SendFieldMessage(form_, event), 1) << code;
        EXPECT_EQ(form_->EndCode(), code);
        EXPECT_DOUBLE_EQ(a_.value, 12.5);
        a_.value = 0;
    }
    EXPECT_EQ(form_->applied, 3);
    // The form is never ended.
    EXPECT_TRUE(form_->IsShown());
}

TEST_F(FormViewTest, EachKeyReleaseInTheListTellsTheFormOnce) {
    for (int n = 1; n <= 3; ++n) {
        wxKeyEvent up(wxEVT_KEY_UP);
        up.m_keyCode = WXK_DOWN;
        up.SetEventObject(form_->list);
        form_->list->GetEventHandler()->ProcessEvent(up);
        Pump();
        EXPECT_EQ(form_->keyUps, n);
    }
    EXPECT_EQ(form_->lastList, form_->list);
}

TEST_F(FormViewTest, EnterInTheLastFieldNeverEndsTheForm) {
    form_->second->SetFocus();
    Pump();
    ASSERT_EQ(wxWindow::FindFocus(), form_->second);
    form_->OnEnterKey();
    Pump();
    // On to the next control, as Tab does.
    EXPECT_EQ(wxWindow::FindFocus(), form_->list);
    EXPECT_EQ(form_->applied, 0);
    EXPECT_EQ(form_->EndCode(), 1);
    EXPECT_TRUE(form_->IsShown());
    // Nothing focused in the form: Enter does nothing either.
    frame_->SetFocus();
    form_->OnEnterKey();
    Pump();
    EXPECT_EQ(form_->applied, 0);
}

TEST_F(FormViewTest, AltEnterAndTheApplyCommandTakeTheFieldsInPlace) {
    form_->first->SetFocus();
    Pump();
    form_->first->ChangeValue(vx::ToWx("7,5"));
    form_->first->MarkModified(true);
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = WXK_RETURN;
    key.SetAltDown(true);
    key.SetEventObject(form_->first);
    form_->GetEventHandler()->ProcessEvent(key);
    Pump();
    EXPECT_EQ(form_->applied, 1);
    EXPECT_DOUBLE_EQ(a_.value, 7.5);
    // The focus stays where it was.
    EXPECT_EQ(wxWindow::FindFocus(), form_->first);

    form_->second->ChangeValue(vx::ToWx("3"));
    form_->second->MarkModified(true);
    wxCommandEvent apply(wxEVT_MENU, CVxtFormView::kApplyCommand);
    form_->GetEventHandler()->ProcessEvent(apply);
    EXPECT_EQ(form_->applied, 2);
    EXPECT_EQ(form_->EndCode(), 1060);
    EXPECT_DOUBLE_EQ(b_.value, 3.0);
    EXPECT_TRUE(form_->IsShown());
}
