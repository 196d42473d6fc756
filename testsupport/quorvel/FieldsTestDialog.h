// For the widget tests: a dialog with one field of each kind the tests type
// into, laid out in code, and the drivers that type real keys into it.
#pragma once

#include "quorvel/fields/CMyComboBox.h"
#include "quorvel/fields/CParsedEdit.h"
#include "quorvel/fields/CVxtDialog.h"
#include "quorvel/fields/FieldRules.h"

#include "values/CVxtBase.h"
#include "values/CWDouble.h"
#include "values/CWString.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/eventfilter.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <functional>
#include <string>

enum : int {
    IDC_SIGNED = 1001,
    IDC_DIGITS = 1002,
    IDC_PRESSURE = 1003,
    IDC_HEIGHT = 1004,
    IDC_PHONE = 1005,
    IDC_CHOICE = 1006,
    IDC_PRESSURE_UNIT = 1013,
    IDC_LABEL = 1020,
    IDS_RANGE = 900,
};

class TestOwner : public CVxtBase {
public:
    void LoadDefault(CWerte&) override {}
    void SaveDefaults() override {}
    void OnUnitChanged(CWerte&) override {}
    int OnValueChanged(CWerte& value) override {
        changed.push_back(value.valueId);
        return 1;
    }
    void UpdateDependentValues() override {}
    std::string GetName() override { return "FieldTest"; }
    int CheckInputs(std::string&, std::vector<int>*) override { return 0; }
    std::vector<int> changed;
};

class TestDialog : public CVxtDialog {
public:
    TestDialog(wxWindow* parent, CVxtBase* owner, int mode, const FieldsDeliverable& fields)
        : CVxtDialog(0, parent, owner, mode, fields) {
        using namespace fields;
        signedValue.Init(IDC_SIGNED, 0, 0, 0, KindSigned, 0, 0, 0, 0, 0, 0, 0, false);
        digits.Init(IDC_DIGITS, 0, 0, 0, KindDigits, 0, 0, 0, 0, 0, 0, 0, false);
        pressure.Init(IDC_PRESSURE, 0, 0, FlagUnit | FlagHelp, KindSignedDecimal, 0x301, 0x300, IDC_PRESSURE_UNIT, 0,
                      IDS_RANGE, 0, 200000, false);
        pressure.value = 100000;
        height.Init(IDC_HEIGHT, 0, 0, 0, KindSignedDecimal, 0x500, 0x500, 0, 0, IDS_RANGE, 1, 50, false);
        height.value = 10;
        phone.Init(IDC_PHONE, 0, 0, 0, KindAny, 0, 0, 0, 0, 0, 0, 0, false);
        choice.Init(IDC_CHOICE, 0, 0, FlagPreset, KindAny, 0, 0, 0, 2, 0, 0, 0, false);

        auto* sizer = new wxBoxSizer(wxVERTICAL);
        label = new wxStaticText(this, IDC_LABEL, "Druck");
        sizer->Add(label);
        for (CWerte* v : std::initializer_list<CWerte*>{&signedValue, &digits, &pressure, &height}) {
            auto* edit = new CParsedEdit(v, fields);
            edit->Create(this, v->valueId, wxDefaultPosition, wxSize(200, -1));
            sizer->Add(edit, 0, wxALL, 2);
            if (v == &pressure) sizer->Add(new wxStaticText(this, IDC_PRESSURE_UNIT, ""));
        }
        // The telephone field takes the place of a plain text control.
        sizer->Add(new wxTextCtrl(this, IDC_PHONE, "", wxDefaultPosition, wxSize(200, -1)), 0, wxALL, 2);
        phoneEdit = new CParsedEdit(&phone, fields);
        phoneEdit->SubclassDlgItem(this, IDC_PHONE);
        phoneEdit->SetLimitText(20);
        combo = new CMyComboBox(&choice, fields);
        combo->Create(this, IDC_CHOICE, wxDefaultPosition, wxSize(200, -1));
        for (const char* item : {"@Neubau", "Keramik", "Edelstahl"}) combo->AddItem(item);
        combo->clearOnDelete = true;
        sizer->Add(combo, 0, wxALL, 2);
        auto* buttons = new wxBoxSizer(wxHORIZONTAL);
        auto* ok = new wxButton(this, wxID_OK, "OK");
        ok->SetDefault();
        buttons->Add(ok);
        buttons->Add(new wxButton(this, wxID_CANCEL, "Abbrechen"));
        sizer->Add(buttons);
        SetSizerAndFit(sizer);
        for (CWerte* v : std::initializer_list<CWerte*>{&signedValue, &digits, &pressure, &height, &phone, &choice})
            RegisterValue(v);
        RegisterId(IDC_LABEL);
    }

    bool OnInitDialog() override {
        CVxtDialog::OnInitDialog();
        RefreshFields(false);
        return true;
    }

    CParsedEdit* Edit(int id) { return dynamic_cast<CParsedEdit*>(FindWindow(id)); }

    CWDouble signedValue, digits, pressure, height;
    CWString phone, choice;
    CParsedEdit* phoneEdit = nullptr;
    CMyComboBox* combo = nullptr;
    wxStaticText* label = nullptr;
};

// Counts released keys, so that a test waits until each key it typed went through.
class KeyUpCounter : public wxEventFilter {
public:
    KeyUpCounter() { wxEvtHandler::AddFilter(this); }
    ~KeyUpCounter() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override {
        if (event.GetEventType() == wxEVT_KEY_UP) ++count;
        return Event_Skip;
    }
    int count = 0;
};

// Runs the event loop until the condition holds; false after a long grace.
inline bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 4000; ++i) {
        if (done()) return true;
        wxYield();
        wxMilliSleep(5);
    }
    return done();
}

// Lets everything queued so far run.
inline void Settle() {
    int rounds = 0;
    PumpUntil([&] { return ++rounds > 10; });
}

// Presses and releases a key in the focused window and waits until it and
// its modifiers were released.
inline void Key(KeyUpCounter& keys, int key, int modifiers = wxMOD_NONE) {
    int releases = 1;
    for (int m : {wxMOD_ALT, wxMOD_SHIFT, wxMOD_CONTROL})
        if (modifiers & m) ++releases;
    const int until = keys.count + releases;
    wxUIActionSimulator sim;
    sim.Char(key, modifiers);
    EXPECT_TRUE(PumpUntil([&] { return keys.count >= until; })) << "key " << key;
    Settle();
}

inline void Type(KeyUpCounter& keys, const std::string& text) {
    for (char c : text) Key(keys, (unsigned char)c);
}

// Focuses a window and waits until it has the focus. Its dialog is raised
// first: without a window manager the keyboard stays with a closed dialog.
inline void FocusOn(wxWindow* window) {
    wxGetTopLevelParent(window)->Raise();
    window->SetFocus();
    EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == window; }));
    Settle();
}

// Runs step on the first modal dialog of type T as soon as it is shown; it
// looks on a timer, since the dialog's own loop must run meanwhile.
template <typename T> class WhenShown : public wxTimer {
public:
    explicit WhenShown(std::function<void(T&)> step) : step_(std::move(step)) { Start(10); }
    ~WhenShown() override { Stop(); }
    void Notify() override {
        if (done) return;
        for (wxWindow* w : wxTopLevelWindows)
            if (auto* dialog = dynamic_cast<T*>(w); dialog && dialog->IsModal() && dialog->IsShown()) {
                done = true;
                Stop();
                step_(*dialog);
                return;
            }
    }
    bool done = false;

private:
    std::function<void(T&)> step_;
};
