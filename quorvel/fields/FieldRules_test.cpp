#include "quorvel/fields/FieldRules.h"

#include "platform/StringTable.h"
#include "values/CWDouble.h"
#include "values/CWString.h"
#include "testsupport/values/ValuesTestEnv.h"

#include <gtest/gtest.h>

using namespace fields;

namespace {

class FieldRulesTest : public ValuesTest {};

TEST_F(FieldRulesTest, InputFilterPerKind) {
    struct Case {
        uint16_t kind;
        char c;
        bool accept, typed;
    };
    const Case cases[] = {
        {KindSigned, '7', true, true},        {KindSigned, '-', true, false},
        {KindSigned, ',', false, false},      {KindDigits, '0', true, false},
        {KindDigits, '-', false, false},      {KindDigits, ',', false, false},
        {KindSignedDecimal, ',', true, true}, {KindSignedDecimal, '.', true, true},
        {KindSignedDecimal, '-', true, false}, {KindSignedDecimal, 'e', false, false},
        {KindDecimal, ',', true, true},       {KindDecimal, '-', false, false},
        {KindAny, 'x', true, false},          {KindAny, '\xE4', true, false},
        {3, '1', false, false},               {3, '\b', true, false},
        {KindDigits, '\b', true, false},
    };
    for (const Case& c : cases) {
        const CharVerdict v = FilterChar(c.kind, c.c);
        EXPECT_EQ(v.accept, c.accept) << c.kind << " '" << c.c << "'";
        EXPECT_EQ(v.marksTyped, c.typed) << c.kind << " '" << c.c << "'";
    }
}

TEST_F(FieldRulesTest, SyntaxCheck) {
    struct Case {
        uint16_t kind;
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {KindSigned, "1-2", false},     {KindSigned, "-12", true},     {KindSigned, "--1", false},
        {KindSignedDecimal, "1,2,3", false}, {KindSignedDecimal, "1,5,", true}, {KindSignedDecimal, "-1,5", true},
        {KindSignedDecimal, "1-", false}, {KindDecimal, "1,2,3", false}, {KindDecimal, "1,5,", true},
        {KindDecimal, "1-2", true},     {KindDigits, "1-2", true},     {KindAny, "1,2,3--", true},
        {KindSignedDecimal, "", true},
    };
    for (const Case& c : cases) EXPECT_EQ(IsTextValid(c.kind, c.text), c.valid) << c.kind << " " << c.text;
}

TEST_F(FieldRulesTest, LengthLimitCountsTheReplacedSelection) {
    EXPECT_TRUE(FitsLimit(4, 0, 1, 5));
    EXPECT_FALSE(FitsLimit(5, 0, 1, 5));
    EXPECT_TRUE(FitsLimit(5, 2, 1, 5));
    // A stored text longer than the limit stays; only growing it is refused.
    EXPECT_FALSE(FitsLimit(30, 0, 1, 20));
    EXPECT_FALSE(FitsLimit(30, 1, 1, 20));
    EXPECT_TRUE(FitsLimit(30, 12, 1, 20));
    EXPECT_TRUE(FitsLimit(1000, 0, 1, 0));
}

TEST_F(FieldRulesTest, PromptOfValueSetByProgram) {
    vx::Strings().Clear();
    vx::Strings().Set(6, "F1=Hilfe");
    vx::Strings().Set(10, "(Wert wird vom Programm gesetzt)");
    vx::Strings().Set(40, "F1 = Hilfe");
    vx::Strings().Set(777, "Höhe eingeben");
    CWDouble v;
    EXPECT_EQ(PromptText(v, QuorvelFields()), "F1=Hilfe");
    EXPECT_EQ(PromptText(v, TarsiloFields()), "F1 = Hilfe");
    v.promptId = 777;
    v.marker = CWerte::MarkerDerived;
    EXPECT_EQ(PromptText(v, QuorvelFields()), "Höhe eingeben, (Wert wird vom Programm gesetzt)");
    vx::Strings().Clear();
}

// Both programs show these texts after the field's name: the fields' own table holds them.
TEST_F(FieldRulesTest, RefusedKeysAndEmptiedNumbersSayWhatTheFieldTakes) {
    const struct {
        uint16_t kind;
        const char* text;
    } cases[] = {{KindSigned, "Erlaubt sind Ziffern und ein Minuszeichen davor."},
                 {KindDigits, "Erlaubt sind nur Ziffern."},
                 {KindSignedDecimal, "Erlaubt sind Ziffern, ein Komma und ein Minuszeichen davor."},
                 {KindDecimal, "Erlaubt sind Ziffern und ein Komma."},
                 {KindAny, ""}};
    for (const auto& c : cases) EXPECT_EQ(RefusedKeyText(c.kind), c.text) << c.kind;
    CWDouble v;
    v.inputKind = KindDecimal;
    v.rangeMessageId = 2000;
    v.minimum = 0;
    v.maximum = 200;
    EXPECT_EQ(NumberTextProblem(v, ""), "Bitte geben Sie eine Zahl ein, zum Beispiel 12,5.");
    EXPECT_EQ(NumberTextProblem(v, "12"), "");
}

TEST_F(FieldRulesTest, FunctionKeysNeedTheirFlag) {
    const uint16_t all = FlagProposal | FlagPreset | FlagUnit | FlagHelp | FlagInput | FlagChoice;
    EXPECT_EQ(ActionForKey(2, false, false, all, false), Action::Preset);
    EXPECT_EQ(ActionForKey(3, false, false, all, false), Action::Proposal);
    EXPECT_EQ(ActionForKey(4, false, false, all, false), Action::Choice);
    EXPECT_EQ(ActionForKey(5, false, false, all, false), Action::Unit);
    EXPECT_EQ(ActionForKey(6, false, false, all, false), Action::Input);
    EXPECT_EQ(ActionForKey(1, true, true, all, false), Action::Help);
    EXPECT_EQ(ActionForKey(1, false, false, all, false), Action::None);
    EXPECT_EQ(ActionForKey(7, false, false, all, false), Action::None);
    EXPECT_EQ(ActionForKey(7, false, false, 0, true), Action::History);
    EXPECT_EQ(ActionForKey(8, false, false, 0, false), Action::NextWrong);
    EXPECT_EQ(ActionForKey(5, false, false, FlagProposal, false), Action::None);
    EXPECT_EQ(ActionForKey(3, false, true, all, false), Action::None);
    EXPECT_EQ(ActionForKey(8, false, true, all, false), Action::None);
}

TEST_F(FieldRulesTest, CommandsPerDeliverable) {
    const int tarsilo[] = {32774, 32779, 32786, 32781, 32785, 32777};
    const int library[] = {32772, 32775, 32781, 32776, 32779, 32773};
    const Action order[] = {Action::Preset, Action::Proposal, Action::Choice, Action::Unit, Action::Input, Action::Help};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(CommandOfAction(order[i], TarsiloFields()), tarsilo[i]);
        EXPECT_EQ(ActionForCommand(tarsilo[i], TarsiloFields()), order[i]);
        EXPECT_EQ(ActionForCommand(library[i], QuorvelFields()), order[i]);
    }
    // 32781 is the choice in the library and the unit in the second program.
    EXPECT_EQ(ActionForCommand(32781, QuorvelFields()), Action::Choice);
    EXPECT_EQ(ActionForCommand(32781, TarsiloFields()), Action::Unit);
    EXPECT_EQ(ActionForCommand(57600, TarsiloFields()), Action::None);
}

std::vector<int> Ids(const std::vector<MenuEntry>& menu) {
    std::vector<int> ids;
    for (const MenuEntry& e : menu) ids.push_back(e.IsSeparator() ? 0 : e.command * (e.enabled ? 1 : -1));
    return ids;
}

TEST_F(FieldRulesTest, ContextMenuItemsAndSeparators) {
    EXPECT_TRUE(ContextMenu(0, true, nullptr, QuorvelFields()).empty());
    EXPECT_EQ(Ids(ContextMenu(FlagUnit, false, nullptr, QuorvelFields())), (std::vector<int>{32776}));
    EXPECT_EQ(Ids(ContextMenu(FlagHelp, true, nullptr, QuorvelFields())), (std::vector<int>{32773, 0, 40002}));
    EXPECT_EQ(Ids(ContextMenu(FlagProposal | FlagHelp, false, nullptr, TarsiloFields())),
              (std::vector<int>{32779, 0, 32777}));
    EditState edit{false, true, true};
    EXPECT_EQ(Ids(ContextMenu(FlagPreset, false, &edit, QuorvelFields())),
              (std::vector<int>{32772, 0, -199, 0, 768, 769, 770, 771, 0, 1063}));
    edit = {true, false, false};
    EXPECT_EQ(Ids(ContextMenu(FlagPreset, false, &edit, QuorvelFields())),
              (std::vector<int>{32772, 0, 199, 0, -768, -769, 770, -771, 0, -1063}));
    // The menu names its items by the library's ids, whatever the deliverable.
    const auto menu = ContextMenu(FlagUnit, false, nullptr, TarsiloFields());
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].libraryId, 32776);
    EXPECT_EQ(menu[0].command, 32781);
}

TEST_F(FieldRulesTest, GroupHeadersAndOneLineTexts) {
    EXPECT_TRUE(IsGroupHeader("@Neubau"));
    EXPECT_FALSE(IsGroupHeader("Neubau@"));
    EXPECT_FALSE(IsGroupHeader(""));
    EXPECT_EQ(ItemLabel("@Neubau"), "Neubau");
    EXPECT_EQ(ItemLabel("Bestand"), "Bestand");
    EXPECT_EQ(OneLineText("a\tb\r\nc"), "a b  c");
    EXPECT_EQ(StatusBarText("a\tb\r\nc"), "a b\r\nc");
}

TEST_F(FieldRulesTest, SpinStepsWithinLimits) {
    std::string out;
    EXPECT_TRUE(SpinStep("9", 1, 0, 10, out));
    EXPECT_EQ(out, "10");
    out = "x";
    EXPECT_FALSE(SpinStep("10", 1, 0, 10, out));
    EXPECT_EQ(out, "x");
    EXPECT_FALSE(SpinStep("0", -1, 0, 10, out));
    EXPECT_TRUE(SpinStep(" -3 ", -1, -5, 5, out));
    EXPECT_EQ(out, "-4");
    EXPECT_FALSE(SpinStep("", 1, 0, 10, out));
    EXPECT_FALSE(SpinStep("1,5", 1, 0, 10, out));
    EXPECT_FALSE(SpinStep("abc", 1, 0, 10, out));
}

} // namespace
