#include "platform/Archive.h"
#include "values/CWString.h"
#include "testsupport/values/ValuesTestEnv.h"

#include "platform/MessageService.h"
#include "testsupport/StoreAndLoad.h"

namespace {

using Undo = ValuesTest;

TEST_F(Undo, NoRingByDefault) {
    vx::ScopedScriptedMessages msgs;
    CWString c;
    c.PushUndo("a");
    EXPECT_FALSE(c.CanUndo());
    std::string out = "x";
    EXPECT_FALSE(c.Undo(out));
    EXPECT_EQ(out, "x");
    EXPECT_EQ(msgs.service.beeps, std::vector<unsigned>{0xFFFFFFFF});
    EXPECT_FALSE(c.GetHistoryEntry(out, true));
    EXPECT_EQ(out, "");
}

TEST_F(Undo, RingOfThree) {
    SetUndoSize("3");
    vx::ScopedScriptedMessages msgs;
    CWString c;
    EXPECT_EQ(CWerte::UndoSize(), 3);
    for (const char* t : {"a", "b", "b", "c"}) c.PushUndo(t);
    EXPECT_TRUE(c.CanUndo());

    std::string out;
    std::vector<std::string> history;
    for (bool restart = true; c.GetHistoryEntry(out, restart); restart = false) history.push_back(out);
    EXPECT_EQ(history, (std::vector<std::string>{"c", "b", "a"}));

    std::vector<std::string> undone;
    while (c.Undo(out)) undone.push_back(out);
    EXPECT_EQ(undone, (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(msgs.service.beeps.size(), 1u);
    EXPECT_FALSE(c.CanUndo());
    EXPECT_EQ(c.text, "");  // undo hands the text back, the cell keeps its own
}

TEST_F(Undo, SizeIsTruncatedNotRefused) {
    struct Case { const char* text; int size; };
    for (const Case& c : {Case{"1000", 1000}, Case{"1500.7", 1500}, Case{"0.5", 0}, Case{"-4", 0}, Case{"1e9", 32767}}) {
        SetUndoSize(c.text);
        EXPECT_EQ(CWerte::UndoSize(), c.size) << c.text;
    }
    SetUndoSize("1000");
    CWString s;
    for (int i = 0; i < 1000; ++i) s.PushUndo(std::to_string(i));
    std::string out;
    ASSERT_TRUE(s.Undo(out));
    EXPECT_EQ(out, "999");
}

TEST_F(Undo, OldestFallsOutAndNeverWrittenEntriesAreEmpty) {
    SetUndoSize("3.9");
    CWString c;
    c.PushUndo("a");
    std::string out;
    std::vector<std::string> history;
    for (bool restart = true; c.GetHistoryEntry(out, restart); restart = false) history.push_back(out);
    EXPECT_EQ(history, (std::vector<std::string>{"a", "", ""}));
    for (const char* t : {"b", "c", "d"}) c.PushUndo(t);
    history.clear();
    for (bool restart = true; c.GetHistoryEntry(out, restart); restart = false) history.push_back(out);
    EXPECT_EQ(history, (std::vector<std::string>{"d", "c", "b"}));
}

TEST_F(Undo, SetTextSavesTheOldTextWhenPending) {
    SetUndoSize("4");
    CWString c;
    c.SetText("first");
    EXPECT_FALSE(c.CanUndo());
    c.undoPending = true;
    c.SetText("second");
    EXPECT_FALSE(c.undoPending);
    std::string out;
    ASSERT_TRUE(c.Undo(out));
    EXPECT_EQ(out, "first");
    EXPECT_EQ(c.text, "second");
}

TEST_F(Undo, AssignmentCopiesTheRing) {
    SetUndoSize("2");
    CWString a;
    a.PushUndo("x");
    a.PushUndo("y");
    a.undoPending = true;
    CWString b;
    b = a;
    EXPECT_FALSE(b.undoPending);
    std::string out;
    ASSERT_TRUE(b.Undo(out));
    EXPECT_EQ(out, "y");
    ASSERT_TRUE(b.Undo(out));
    EXPECT_EQ(out, "x");
    CWString copy(a);
    ASSERT_TRUE(copy.Undo(out));
    EXPECT_EQ(out, "y");
}

TEST_F(Undo, InitSetsTheFieldsInItsOrder) {
    CWString c;
    c.Init(1, 2, 3, 4, 0xFFFF, 0x502, 0x500, 7, 2, 9, 0.5, 1.5, true);
    EXPECT_EQ(c.valueId, 1);
    EXPECT_EQ(c.helpId, 2);
    EXPECT_EQ(c.promptId, 3);
    EXPECT_EQ(c.actionFlags, 4);
    EXPECT_EQ(c.inputKind, 0xFFFF);
    EXPECT_EQ(c.displayUnit, 0x502);
    EXPECT_EQ(c.internalUnit, 0x500);
    EXPECT_EQ(c.unitLabelControl, 7);
    EXPECT_EQ(c.marker, 2);
    EXPECT_EQ(c.rangeMessageId, 9);
    EXPECT_EQ(c.minimum, 0.5);
    EXPECT_EQ(c.maximum, 1.5);
    EXPECT_TRUE(c.checkWhenEqual);
    EXPECT_EQ(c.archiveWord, 1);
}

TEST_F(Undo, StringCellArchiveBytes) {
    CWString c;
    c.text = "abc";
    std::string msg = "x";
    c.CheckRange(msg, nullptr, nullptr);
    EXPECT_EQ(msg, "");
    const std::vector<uint8_t> expected = {0x03, 0x61, 0x62, 0x63, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
    CWString d;
    EXPECT_EQ(StoreAndLoad(c, d), expected);
    EXPECT_EQ(d.text, "abc");
}

} // namespace
