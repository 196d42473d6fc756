#include "quorvel/fields/FieldHost.h"

#include "quorvel/fields/FieldMessages.h"
#include "quorvel/fields/FieldRules.h"
#include "platform/StringTable.h"
#include "values/CVxtBase.h"
#include "values/CWDouble.h"
#include "values/CWString.h"
#include "testsupport/values/ValuesTestEnv.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Controls as plain records; every call the host makes is logged.
class FakeWindow : public FieldHostWindow {
public:
    struct Control {
        std::string text;
        bool edit = true;
        bool modified = false;
        bool errorMark = false;
        CWerte* value = nullptr;
    };
    std::map<int, Control> controls;
    FieldHost* host = nullptr;
    int focus = 0;
    std::vector<std::pair<int, std::string>> shown;
    std::vector<std::string> errorDialogs;
    std::vector<int> commands;
    int finished = 0;
    int chosenUnit = -1;  // -1: the unit choice is cancelled
    bool hasStrip = true;

    bool HasControl(int id) override { return controls.count(id) != 0; }
    bool IsEditField(int id) override { return HasControl(id) && controls[id].edit; }
    bool IsModified(int id) override { return controls[id].modified; }
    bool IsTextValid(int id) override {
        const Control& c = controls[id];
        return !c.value || fields::IsTextValid(c.value->inputKind, c.text);
    }
    bool HasErrorMark(int id) override { return controls[id].errorMark; }
    std::string ControlText(int id) override { return controls[id].text; }
    void SetControlText(int id, const std::string& text) override { controls[id].text = text; }
    bool HasFocus(int id) override { return focus == id; }
    void SelectAll(int) override {}
    void FocusControl(int id) override { focus = id; }
    std::string ReadFieldValue(int id) override {
        Control& c = controls[id];
        std::string message;
        c.value->SetText(c.text);
        c.value->CheckRange(message, nullptr, nullptr);
        c.errorMark = !message.empty();
        return message;
    }
    bool ShowMessage(int mode, const std::string& text) override {
        shown.emplace_back(mode, text);
        return hasStrip;
    }
    void ShowInputErrors(const std::string& text) override { errorDialogs.push_back(text); }
    bool ChooseUnit(uint16_t& unit) override {
        if (chosenUnit < 0) return false;
        unit = uint16_t(chosenUnit);
        return true;
    }
    void CommandToMainWindow(int command) override { commands.push_back(command); }
    void PostOk() override { commands.push_back(1); }
    void Repaint() override {}
    int RefreshFields(bool save) override { return host->RefreshFields(save); }
    int DataExchange(bool) override { return 1; }
    void Finish() override {
        if (RefreshFields(true) && host->MayEnd()) ++finished;
    }
    void OnAfterProposal(CWerte&) override {}
};

class Owner : public CVxtBase {
public:
    void LoadDefault(CWerte& value) override {
        if (auto* d = dynamic_cast<CWDouble*>(&value)) d->value = 7.5;
    }
    void SaveDefaults() override { ++saved; }
    void OnUnitChanged(CWerte&) override { ++unitsChanged; }
    int OnValueChanged(CWerte& value) override {
        changed.push_back(value.valueId);
        return 1;
    }
    void UpdateDependentValues() override { ++updates; }
    std::string GetName() override { return "Test"; }
    int CheckInputs(std::string&, std::vector<int>*) override { return 0; }
    int saved = 0, unitsChanged = 0, updates = 0;
    std::vector<int> changed;
};

class FieldHostTest : public ValuesTest {
protected:
    void SetUp() override {
        ValuesTest::SetUp();
        vx::Strings().Clear();
        vx::Strings().Set(5, " (F8 = nächste Falscheingabe)");
        vx::Strings().Set(100, "Wert zwischen %.0f und %.0f");
        window.host = &host;
        // Pressure, shown in mbar, stored in Pa.
        pressure.Init(1001, 0, 0, fields::FlagUnit, fields::KindSignedDecimal, 0x301, 0x300, 1002, 0, 100, 0, 200000,
                      false);
        pressure.value = 100000;
        height.Init(1003, 0, 0, 0, fields::KindSignedDecimal, 0x500, 0x500, 0, 0, 100, 1, 50, false);
        height.value = 10;
        remark.Init(1004, 0, 0, 0, fields::KindAny, 0, 0, 0, 0, 0, 0, 0, false);
        for (CWerte* v : std::initializer_list<CWerte*>{&pressure, &height, &remark}) {
            window.controls[v->valueId].value = v;
            host.RegisterValue(v);
        }
        window.controls[1002].edit = false;
    }
    void TearDown() override {
        vx::Strings().Clear();
        ValuesTest::TearDown();
    }

    FakeWindow window;
    FieldHost host{window, QuorvelFields()};
    Owner owner;
    CWDouble pressure, height;
    CWString remark;
};

TEST_F(FieldHostTest, RefreshShowsAndReadsBackWholeTexts) {
    host.RegisterValue(&height);
    EXPECT_EQ(host.values.size(), 3u);
    remark.text = std::string(300, 'x') + "Ende";
    host.object = &owner;
    EXPECT_EQ(host.RefreshFields(false), 1);
    EXPECT_EQ(owner.updates, 1);
    EXPECT_EQ(window.controls[1001].text, "1000");
    EXPECT_EQ(window.controls[1002].text, "mbar");
    EXPECT_EQ(window.controls[1003].text, "10");
    EXPECT_EQ(window.controls[1004].text.size(), 304u);

    window.controls[1003].text = "12,5";
    window.controls[1003].modified = true;
    window.controls[1004].text += "!";
    EXPECT_EQ(host.RefreshFields(true), 1);
    EXPECT_DOUBLE_EQ(height.value, 12.5);
    EXPECT_EQ(remark.text, std::string(300, 'x') + "Ende!");
    EXPECT_DOUBLE_EQ(pressure.value, 100000);
}

TEST_F(FieldHostTest, RefreshStopsOnBadSyntaxAndWhileLocked) {
    window.controls[1003].text = "1,2,3";
    window.controls[1003].modified = true;
    EXPECT_EQ(host.RefreshFields(true), 0);
    EXPECT_DOUBLE_EQ(height.value, 10);
    host.refreshLock = 1;
    window.controls[1003].text = "4";
    EXPECT_EQ(host.RefreshFields(true), 1);
    EXPECT_DOUBLE_EQ(height.value, 10);
    host.refreshLock = 0;
    EXPECT_EQ(host.RefreshFields(true), 1);
    EXPECT_DOUBLE_EQ(height.value, 4);
}

TEST_F(FieldHostTest, RequestsWithoutObjectDoNothing) {
    using namespace fieldmsg;
    EXPECT_EQ(host.Dispatch(Proposal, 0, 0, &height, ""), 0);
    EXPECT_EQ(host.Dispatch(Preset, 0, 0, nullptr, ""), 0);
    EXPECT_EQ(host.Dispatch(ValueChanged, 1003, 0, &height, ""), 0);
    EXPECT_EQ(host.Dispatch(ShowErrors, 0, 0, nullptr, ""), 0);
    EXPECT_TRUE(window.errorDialogs.empty());
    EXPECT_EQ(host.Dispatch(Choice, 0, 0, nullptr, ""), 0);
}

TEST_F(FieldHostTest, ProposalPresetAndChange) {
    using namespace fieldmsg;
    host.object = &owner;
    EXPECT_EQ(host.Dispatch(Proposal, 0, 0, &height, ""), 1);
    EXPECT_EQ(window.controls[1003].text, "7,5");
    host.enabled = 0;
    EXPECT_EQ(host.Dispatch(Proposal, 0, 0, &height, ""), 0);
    EXPECT_EQ(host.Dispatch(Preset, 0, 0, nullptr, ""), 0);
    host.enabled = 1;
    EXPECT_EQ(host.Dispatch(Preset, 0, 0, nullptr, ""), 1);
    EXPECT_EQ(owner.saved, 1);
    host.presetCommand = 32800;
    EXPECT_EQ(host.Dispatch(Preset, 0, 0, nullptr, ""), 1);
    EXPECT_EQ(owner.saved, 1);
    EXPECT_EQ(window.commands, std::vector<int>{32800});
    window.controls[1003].text = "9";
    EXPECT_EQ(host.Dispatch(ValueChanged, 1003, 0, &height, ""), 1);
    EXPECT_EQ(owner.changed, std::vector<int>{1003});
    EXPECT_DOUBLE_EQ(height.value, 9);
    EXPECT_EQ(host.Dispatch(PostEnd, 4, 5, nullptr, ""), 1);
    EXPECT_EQ(host.postedFirst, 4);
    EXPECT_EQ(host.postedSecond, 5);
}

TEST_F(FieldHostTest, UnitChoiceConvertsTheShownValue) {
    host.object = &owner;
    host.RefreshFields(false);
    window.chosenUnit = -1;
    EXPECT_EQ(host.Unit(&pressure), 0);
    EXPECT_EQ(pressure.displayUnit, 0x301);
    CWDouble stranger;
    window.chosenUnit = 0x300;
    EXPECT_EQ(host.Unit(&stranger), 0);
    EXPECT_EQ(host.Unit(&pressure), 1);
    EXPECT_EQ(pressure.displayUnit, 0x300);
    EXPECT_EQ(window.controls[1001].text, "100000");
    EXPECT_EQ(window.controls[1002].text, "Pa");
    EXPECT_EQ(owner.unitsChanged, 1);
}

TEST_F(FieldHostTest, NextWrongWalksTheListAndEndsWhenAllAreRight) {
    host.RefreshFields(false);
    window.controls[1003].text = "60";
    window.controls[1001].text = "3000";
    host.SetWrongFields({1003, 1001}, "Eingabefehler");
    EXPECT_EQ(host.ShowErrors(), 1);
    EXPECT_EQ(window.errorDialogs, std::vector<std::string>{"Eingabefehler"});
    EXPECT_EQ(window.focus, 1003);
    EXPECT_EQ(host.cursor, 1u);

    // The entry at the cursor is still wrong: its message with the F8 hint.
    host.NextWrong();
    ASSERT_FALSE(window.shown.empty());
    EXPECT_EQ(window.shown.back(), std::make_pair(1, std::string("Wert zwischen 0 und 2000 mbar\r\n") +
                                                          " (F8 = nächste Falscheingabe)"));
    EXPECT_EQ(window.finished, 0);

    // Mended: the second entry is right now, the first one still wrong.
    window.controls[1001].text = "500";
    host.NextWrong();
    EXPECT_EQ(host.wrongFields, std::vector<int>{1003});
    EXPECT_EQ(window.focus, 1003);
    EXPECT_EQ(window.shown.back().first, 1);
    EXPECT_NE(window.shown.back().second.find("Wert zwischen 1 und 50 m"), std::string::npos);
    EXPECT_EQ(window.finished, 0);

    window.controls[1003].text = "20";
    host.NextWrong();
    EXPECT_TRUE(host.wrongFields.empty());
    EXPECT_EQ(window.finished, 1);
    EXPECT_DOUBLE_EQ(height.value, 20);
    EXPECT_DOUBLE_EQ(pressure.value, 50000);
}

TEST_F(FieldHostTest, OkWithWrongFieldKeepsTheDialogOpen) {
    // A combo entry is skipped by F8 and the walk runs off the end; the
    // edit entry behind it must not let the dialog end.
    window.controls[1003].text = "99";
    window.controls[1005] = {};
    window.controls[1005].edit = false;
    host.SetWrongFields({1005, 1003}, "");
    host.cursor = 1;
    host.NextWrong();
    EXPECT_EQ(window.finished, 0);
    host.cursor = FieldHost::npos;
    window.focus = 0;
    host.NextWrong();
    EXPECT_EQ(window.finished, 0);
    EXPECT_EQ(window.focus, 1003);
    EXPECT_EQ(host.cursor, 1u);

    // A field left in its error mark counts as well.
    host.SetWrongFields({}, "");
    window.controls[1003].errorMark = true;
    window.focus = 0;
    host.EndWith(1);
    EXPECT_EQ(window.finished, 0);
    EXPECT_EQ(window.focus, 1003);
    // Other end codes are no OK and end anyway.
    host.EndWith(3);
    EXPECT_EQ(window.finished, 1);
    host.endCode = 1;
    window.controls[1003].text = "5";
    window.Finish();
    EXPECT_EQ(window.finished, 2);
}

TEST_F(FieldHostTest, MessagesWithoutStripAnswerZero) {
    EXPECT_EQ(host.ShowText(0, "Hallo"), 1);
    window.hasStrip = false;
    EXPECT_EQ(host.ShowText(1, "Fehler"), 0);
    ASSERT_EQ(window.shown.size(), 2u);
    EXPECT_EQ(window.shown[1], std::make_pair(1, std::string("Fehler")));
}

TEST_F(FieldHostTest, RegistrationHelpIdsAndLabels) {
    host.UnregisterValue(&remark);
    EXPECT_EQ(host.values.size(), 2u);
    EXPECT_EQ(host.FindValue(1004), nullptr);
    EXPECT_EQ(host.FindValue(1003), &height);
    host.SetHelpIdOfValues(42);
    EXPECT_EQ(pressure.helpId, 42);
    EXPECT_EQ(remark.helpId, 0);
    host.RegisterId(1010);
    EXPECT_TRUE(host.IsMarkedLabel(1010));
    EXPECT_FALSE(host.IsMarkedLabel(1003));
}

} // namespace
