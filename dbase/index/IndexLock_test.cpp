// The index lock: one byte other users wait for, taken for all index files
// of a table or none, and the version counters compared at every lock.
#include "dbase/index/IndexFile.h"
#include "dbase/index/IndexLock.h"

#include "testsupport/dbase/IndexTestSupport.h"
#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"
#include "dbase/index/TagFile.h"

namespace vx {
namespace {

using test::IndexTest;

// Whether this handle's list of locks has exactly that range.
bool HoldsLock(const EngineFile* file, int64_t start, int64_t len) {
    for (const auto& r : file->locks)
        if (r.start == start && r.len == len) return true;
    return false;
}

TEST_F(IndexTest, ALockSeesChangesThatKeptTheFileLength) {
    EngineContext other;
    TableHandle *a = nullptr, *b = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenByTwoUsers({"B", "D", "F"}, other, &a, &b));
    // b writes and keeps its blocks; a then changes the same leaf in place.
    Append(b, "H");
    size_t before = Read("ADRESSE.MDX").size();
    Append(a, "A");
    ASSERT_EQ(Read("ADRESSE.MDX").size(), before);
    // b's next write must start from a's leaf, not from its own copy.
    Append(b, "C");
    ASSERT_EQ(tableClose(b), 0);
    ASSERT_EQ(tableClose(a), 0);
    engineInitUndo(&other);
    TableHandle* t = tableOpen(&ctx, Path("ADRESSE"));
    ASSERT_NE(t, nullptr);
    tableTagSelect(t, tableTag(t, "PRIMARY"));
    std::string order;
    for (int rc = tableTop(t); rc == 0; rc = tableSkip(t, 1)) order += fieldStr(tableField(t, "MATCH"))[0];
    EXPECT_EQ(order, "ABCDFH");
    EXPECT_EQ(tableClose(t), 0);
}

// The version counters are one byte: after 256 changes by another user they
// read as they did, and blocks kept from before would write old keys back.
TEST_F(IndexTest, ALockSeesChangesThatBroughtTheCountersRound) {
    EngineContext other;
    TableHandle *a = nullptr, *b = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenByTwoUsers({"B", "D"}, other, &a, &b));
    auto rewrite = [](TableHandle* u, long recNo, const std::string& match) {
        ASSERT_EQ(tableGo(u, recNo), 0);
        ASSERT_EQ(fieldAssign(tableField(u, "MATCH"), match.c_str()), 0);
        ASSERT_EQ(tableUpdateRecord(u, true), 0);
    };
    // a keeps the leaf; b changes record 2's key 256 times, one tag each time.
    rewrite(a, 1, "A0");
    for (int i = 0; i < 256; ++i) rewrite(b, 2, "D" + std::to_string(i));
    rewrite(a, 1, "A1");
    ASSERT_EQ(tableClose(b), 0);
    ASSERT_EQ(tableClose(a), 0);
    engineInitUndo(&other);
    TableHandle* t = tableOpen(&ctx, Path("ADRESSE"));
    ASSERT_NE(t, nullptr);
    TagFile* tag = Tag(t, "PRIMARY");
    std::vector<std::string> keys;
    for (int rc = TagTop(tag); rc == 0 && TagKeyData(tag); rc = TagSkip(tag, 1) == 1 ? 0 : 1) {
        std::string key(reinterpret_cast<const char*>(TagKeyData(tag)), 10);
        keys.push_back(key.substr(0, key.find(' ')));
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"A1", "D255"}));
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(IndexTest, TheIndexLockIsOneByteThatOtherUsersWaitFor) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(tableClose(t), 0);
    EngineContext other;
    ASSERT_EQ(engineInit(&other), 0);
    other.lockAttempts = 2;
    TableHandle* a = tableOpen(&ctx, Path("ADRESSE"));
    TableHandle* b = tableOpen(&other, Path("ADRESSE"));
    ASSERT_TRUE(a && b);
    IndexFileState* s = a->indexes[0]->state;
    ASSERT_EQ(IndexLock(s, a), 0);
    EXPECT_TRUE(IndexIsLocked(s));
    EXPECT_TRUE(HoldsLock(&s->file, 0xEFFFFFFE, 1));
    // Another table of this process is turned away at once.
    ctx.singleOpen = 0;
    TableHandle* a2 = tableOpen(&ctx, Path("ADRESSE"));
    ASSERT_NE(a2, nullptr);
    EXPECT_EQ(IndexLock(s, a2), r4locked);
    // Another user tries twice, then gives up without storing anything.
    ASSERT_EQ(tableAppendStart(b, false), 0);
    fieldAssign(tableField(b, "MATCH"), "B");
    EXPECT_EQ(tableAppend(b), r4locked);
    EXPECT_EQ(tableRecCount(b), 0);
    EXPECT_EQ(IndexUnlock(s, a), 0);
    EXPECT_FALSE(HoldsLock(&s->file, 0xEFFFFFFE, 1));
    ASSERT_EQ(tableAppendStart(b, false), 0);
    fieldAssign(tableField(b, "MATCH"), "B");
    EXPECT_EQ(tableAppend(b), 0);
    tableTagSelect(a, tableTag(a, "PRIMARY"));
    EXPECT_EQ(tableSeek(a, "B"), 0);
    EXPECT_EQ(tableClose(b), 0);
    EXPECT_EQ(tableClose(a2), 0);
    EXPECT_EQ(tableClose(a), 0);
    engineInitUndo(&other);
}


TEST_F(IndexTest, LockingTheWholeTableTakesTheIndexFilesAllOrNone) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    const TagInfo extra[] = {{"NAME", "NAME1", nullptr, 0, 0}, {}};
    ASSERT_NE(indexCreate(t, Path("EXTRA").c_str(), extra), nullptr);
    ASSERT_EQ(tableClose(t), 0);
    EngineContext other;
    ASSERT_EQ(engineInit(&other), 0);
    ctx.lockAttempts = 2;
    ctx.lockDelay = 1;
    other.lockAttempts = 1;
    TableHandle* a = tableOpen(&ctx, Path("ADRESSE"));
    TableHandle* b = tableOpen(&other, Path("ADRESSE"));
    ASSERT_TRUE(a && b);
    ASSERT_NE(indexOpen(a, Path("EXTRA").c_str()), nullptr);
    IndexFile* bExtra = indexOpen(b, Path("EXTRA").c_str());
    ASSERT_NE(bExtra, nullptr);
    ASSERT_EQ(a->indexes.size(), 2u);
    // The other user holds the second index file: nothing may stay locked.
    ASSERT_EQ(IndexLock(bExtra->state, b), 0);
    EXPECT_EQ(tableLockAll(a), r4locked);
    for (IndexFile* i : a->indexes) {
        EXPECT_FALSE(IndexIsLocked(i->state));
        EXPECT_FALSE(HoldsLock(&i->state->file, kIndexLockPos, 1));
    }
    EXPECT_EQ(a->file->fileLockOwner, 0);
    EXPECT_TRUE(a->file->data.locks.empty());
    // The production index of the other user is free again for it.
    EXPECT_EQ(IndexLock(b->indexes[0]->state, b), 0);
    EXPECT_EQ(IndexUnlock(b->indexes[0]->state, b), 0);
    // Once released, everything is taken and given back by tableUnlock.
    ASSERT_EQ(IndexUnlock(bExtra->state, b), 0);
    ASSERT_EQ(tableLockAll(a), 0);
    for (IndexFile* i : a->indexes) EXPECT_TRUE(HoldsLock(&i->state->file, kIndexLockPos, 1));
    EXPECT_EQ(IndexLock(bExtra->state, b), r4locked);
    ASSERT_EQ(tableUnlock(a), 0);
    for (IndexFile* i : a->indexes) EXPECT_FALSE(IndexIsLocked(i->state));
    EXPECT_EQ(IndexLock(bExtra->state, b), 0);
    EXPECT_EQ(IndexUnlock(bExtra->state, b), 0);
    EXPECT_EQ(tableClose(b), 0);
    EXPECT_EQ(tableClose(a), 0);
    engineInitUndo(&other);
}

} // namespace
} // namespace vx
