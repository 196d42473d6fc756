// A pack killed while it moves records: what other users, the next open and
// a damaged or foreign side file make of it.
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"

#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "platform/NumText.h"

#include <functional>
#include <set>

namespace vx {
namespace {

using test::Dword;

constexpr long kRecords = 1000;

class TablePackTest : public test::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        const FieldInfo fields[] = {{"MATCH", 'C', 10, 0, 0}, {"N", 'N', 8, 0, 0}, {"M", 'M', 10, 0, 0}, {}};
        const TagInfo tags[] = {{"PRIMARY", "MATCH", nullptr, 0, 0}, {"AMOUNT", "N", nullptr, 0, 0}, {}};
        TableHandle* t = tableCreate(&ctx, Path("P"), fields, tags);
        ASSERT_NE(t, nullptr);
        for (long i = 1; i <= kRecords; ++i) {
            std::string match = vx::Format("K%05ld", i);
            ASSERT_EQ(tableAppendStart(t, false), 0);
            fieldAssign(tableField(t, "MATCH"), match.c_str());
            fieldAssignLong(tableField(t, "N"), (i * 7919) % 1000);
            std::string memo = match + ":" + std::string(size_t(i % 90), 'm');
            fieldMemoAssignN(tableField(t, "M"), memo.data(), uint32_t(memo.size()));
            ASSERT_EQ(tableAppend(t), 0);
        }
        for (long i = 1; i <= kRecords; ++i) {
            if (i <= 10 || i % 3 != 0) {
                kept.push_back(vx::Format("K%05ld    ", i));
                continue;
            }
            ASSERT_EQ(tableGo(t, i), 0);
            ASSERT_EQ(tableDelete(t), 0);
        }
        ASSERT_EQ(tableClose(t), 0);
    }

    // The changes a pack in another process makes; it dies before change n
    // (runs to its end with 0).
    test::FileChanges Pack(long n) {
        return test::DiesAtChange(n, [this](const std::function<void()>& arm) {
            EngineContext c;
            engineInit(&c);
            // Small buffers: many moves to die between.
            c.packBufferSize = 512;
            TableHandle* t = tableOpen(&c, Path("P"));
            if (!t) ::_exit(3);
            arm();
            if (tablePack(t) != 0) ::_exit(4);
        });
    }

    // Kills a pack in the middle of its moves: live records stand twice.
    void KillWhileMoving() {
        const std::string dbf = Read("P.DBF"), mdx = Read("P.MDX"), dbt = Read("P.DBT");
        test::FileChanges all = Pack(0);
        ASSERT_FALSE(all.died);
        Write("P.DBF", dbf);
        Write("P.MDX", mdx);
        Write("P.DBT", dbt);
        std::vector<long> writes;
        for (size_t i = 0; i < all.changes.size() && all.changes[i] != "DBF t"; ++i)
            if (all.changes[i] == "DBF w") writes.push_back(long(i) + 1);
        // The last two writes are the end mark and the count.
        ASSERT_GT(writes.size(), 12u);
        ASSERT_TRUE(Pack(writes[writes.size() / 2]).died);
        ASSERT_TRUE(FileExists(Path("P.PCK")));
    }

    // The table as the pack leaves it: each live record once, with its memo,
    // and both tags listing every record once in key order.
    void ExpectPacked(TableHandle* t) {
        ASSERT_EQ(tableRecCount(t), long(kept.size()));
        Field* m = tableField(t, "M");
        for (long r = 1; r <= long(kept.size()); ++r) {
            ASSERT_EQ(tableGo(t, r), 0);
            EXPECT_EQ(fieldStr(tableField(t, "MATCH")), kept[size_t(r - 1)]) << r;
            EXPECT_EQ(tableDeleted(t), 0) << r;
            std::string memo(fieldMemoPtr(m), fieldMemoLen(m));
            EXPECT_EQ(memo.substr(0, 7), kept[size_t(r - 1)].substr(0, 6) + ":") << r;
        }
        for (const char* name : {"PRIMARY", "AMOUNT"}) {
            TagHandle* tag = tableTag(t, name);
            ASSERT_NE(tag, nullptr);
            tableTagSelect(t, tag);
            std::set<long> seen;
            std::string last;
            for (int rc = tableTop(t); rc == 0 && !tableEof(t); rc = tableSkip(t, 1)) {
                EXPECT_TRUE(seen.insert(tableRecNo(t)).second) << name << " lists " << tableRecNo(t) << " twice";
                std::string key = name[0] == 'P' ? fieldStr(tableField(t, "MATCH"))
                                                 : vx::Format("%08ld", fieldLong(tableField(t, "N")));
                EXPECT_LE(last, key) << name;
                last = key;
            }
            EXPECT_EQ(seen.size(), kept.size()) << name;
        }
        tableTagSelect(t, nullptr);
    }

    std::vector<std::string> kept;
};

TEST_F(TablePackTest, AnotherUserNeitherReadsNorWritesWhatADeadPackHalfMoved) {
    EngineContext b, r;
    engineInit(&b);
    engineInit(&r);
    b.errOff = r.errOff = 1;
    r.readOnly = 1;
    TableHandle* tb = tableOpen(&b, Path("P"));
    TableHandle* tr = tableOpen(&r, Path("P"));
    ASSERT_NE(tb, nullptr);
    ASSERT_NE(tr, nullptr);
    KillWhileMoving();
    const std::string dbf = Read("P.DBF");
    ASSERT_EQ(tableAppendStart(tb, false), 0);
    fieldAssign(tableField(tb, "MATCH"), "B0001");
    EXPECT_EQ(tableAppend(tb), e4packUnfinished);
    b.errorCode = 0;
    EXPECT_EQ(tableLock(tb, 2), e4packUnfinished);
    b.errorCode = 0;
    EXPECT_EQ(tableGo(tb, 2), e4packUnfinished);
    EXPECT_EQ(tableGo(tr, 2), e4packUnfinished);
    EXPECT_TRUE(Read("P.DBF") == dbf);
    b.errorCode = r.errorCode = 0;
    tableClose(tb);
    tableClose(tr);
    engineInitUndo(&b);
    engineInitUndo(&r);
    TableHandle* t = tableOpen(&ctx, Path("P"));
    ASSERT_NE(t, nullptr) << ctx.errorCode;
    EXPECT_FALSE(FileExists(Path("P.PCK")));
    ExpectPacked(t);
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(TablePackTest, ASideFileIsAppliedOnlyToTheTableItWasMadeForAndHasTheTagsRebuilt) {
    KillWhileMoving();
    const std::string dbf = Read("P.DBF"), pck = Read("P.PCK");
    // A program that knows nothing of the mark appended a record.
    std::string grown =
        dbf.substr(0, dbf.size() - 1) + " X0000001" + std::string(test::Word(dbf, 10) - 9, ' ') + "\x1A";
    grown[4] = char(test::Byte(dbf, 4) + 1);
    Write("P.DBF", grown);
    ctx.errOff = 1;
    EXPECT_EQ(tableOpen(&ctx, Path("P")), nullptr);
    EXPECT_EQ(ctx.errorCode, e4packUnfinished);
    EXPECT_TRUE(Read("P.PCK") == pck);
    EXPECT_TRUE(Read("P.DBF") == grown);
    // As the pack left it, but with the index's mark gone, as another
    // user's repair would leave it: the replay marks it again.
    ctx.errorCode = 0;
    Write("P.DBF", dbf);
    std::string mdx = Read("P.MDX");
    mdx[47] = 0;
    Write("P.MDX", mdx);
    TableHandle* t = tableOpen(&ctx, Path("P"));
    ASSERT_NE(t, nullptr) << ctx.errorCode;
    ExpectPacked(t);
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(TablePackTest, AnOpenNeverGoesOnWithAnUnfinishedPackWhileAnotherUserHoldsTheFile) {
    KillWhileMoving();
    const std::string dbf = Read("P.DBF");
    EngineContext other;
    engineInit(&other);
    EngineFile held;
    ASSERT_EQ(fileOpen(&held, &other, Path("P.DBF")), 0);
    ASSERT_EQ(fileLock(&held, kLockFileStart, kLockFileLen), 0);
    ctx.lockAttempts = 3;
    ctx.errOff = 1;
    EXPECT_EQ(tableOpen(&ctx, Path("P")), nullptr);
    EXPECT_EQ(ctx.errorCode, e4packUnfinished);
    EXPECT_FALSE(waits.empty()) << "the open waited for the lock first";
    EXPECT_TRUE(Read("P.DBF") == dbf);
    EXPECT_TRUE(FileExists(Path("P.PCK")));
    ASSERT_EQ(fileUnlock(&held, kLockFileStart, kLockFileLen), 0);
    ASSERT_EQ(fileClose(&held), 0);
    engineInitUndo(&other);
    ctx.errorCode = 0;
    TableHandle* t = tableOpen(&ctx, Path("P"));
    ASSERT_NE(t, nullptr) << ctx.errorCode;
    ExpectPacked(t);
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(TablePackTest, ADamagedSideFileIsKeptAndTheTableRefused) {
    KillWhileMoving();
    const std::string dbf = Read("P.DBF"), mdx = Read("P.MDX"), pck = Read("P.PCK");
    auto flip = [](std::string s, size_t at) {
        s[at] = char(s[at] ^ 0x20);
        return s;
    };
    const struct {
        const char* what;
        std::string side;
    } damages[] = {
        {"cut short", pck.substr(0, pck.size() - 10)},
        {"a record byte changed", flip(pck, pck.size() / 2)},
        {"a header byte changed", flip(pck, 9)},
        {"39 bytes appended", pck + std::string(39, 'x')},
    };
    for (const auto& d : damages) {
        Write("P.DBF", dbf);
        Write("P.MDX", mdx);
        Write("P.PCK", d.side);
        ctx.errorCode = 0;
        EXPECT_EQ(tableOpen(&ctx, Path("P")), nullptr) << d.what;
        EXPECT_EQ(ctx.errorCode, e4packUnfinished) << d.what;
        ASSERT_FALSE(Shown().empty());
        EXPECT_NE(Shown().back().text.find("Packen der Datei nicht abgeschlossen"), std::string::npos) << d.what;
        EXPECT_NE(Shown().back().text.find("Packdatei beschädigt"), std::string::npos) << d.what;
        EXPECT_TRUE(Read("P.PCK") == d.side) << d.what;
        EXPECT_TRUE(Read("P.DBF") == dbf) << d.what;
    }
    ctx.errorCode = 0;
    Write("P.PCK", pck);
    TableHandle* t = tableOpen(&ctx, Path("P"));
    ASSERT_NE(t, nullptr) << ctx.errorCode;
    ExpectPacked(t);
    EXPECT_EQ(tableClose(t), 0);
}

// The open that finishes the pack is killed at each of its changes: the
// next open finishes it all the same.
TEST_F(TablePackTest, AReplayKilledAnywhereIsFinishedByTheNextOpen) {
    KillWhileMoving();
    const std::string dbf = Read("P.DBF"), mdx = Read("P.MDX"), pck = Read("P.PCK");
    auto open = [this](const std::function<void()>& arm) {
        EngineContext c;
        engineInit(&c);
        c.packBufferSize = 1024;
        arm();
        if (!tableOpen(&c, Path("P"))) ::_exit(3);
    };
    test::FileChanges all = test::DiesAtChange(0, open);
    ASSERT_FALSE(all.died);
    // The replay's own changes: up to the sync after its mark is cleared.
    long last = 0;
    for (size_t i = 0, syncs = 0; i < all.changes.size() && !last; ++i)
        if (all.changes[i] == "DBF s" && ++syncs == 2) last = long(i) + 1;
    ASSERT_GT(last, 5);
    for (long point = 1; point <= last; ++point) {
        Write("P.DBF", dbf);
        Write("P.MDX", mdx);
        Write("P.PCK", pck);
        ASSERT_TRUE(test::DiesAtChange(point, open).died) << point;
        TableHandle* t = tableOpen(&ctx, Path("P"));
        ASSERT_NE(t, nullptr) << "killed at change " << point << ": " << ctx.errorCode;
        EXPECT_FALSE(FileExists(Path("P.PCK"))) << point;
        ExpectPacked(t);
        ASSERT_EQ(tableClose(t), 0);
        if (HasFailure()) return;
    }
}

// A power loss keeps only what was synced: the side file's records before
// its header, the header before the table's mark, the mark before a move.
TEST_F(TablePackTest, TheSideFileReachesTheDiskBeforeTheTableIsTouched) {
    test::FileChanges all = Pack(0);
    ASSERT_FALSE(all.died);
    const auto& ch = all.changes;
    size_t first = 0;
    while (first < ch.size() && ch[first] != "DBF w") ++first;
    ASSERT_GE(first, 4u);
    ASSERT_LT(first + 2, ch.size());
    EXPECT_EQ(ch[first - 3], "PCK s");
    EXPECT_EQ(ch[first - 2], "PCK w");
    EXPECT_EQ(ch[first - 1], "PCK s");
    EXPECT_EQ(ch[first + 1], "DBF s");
    EXPECT_EQ(ch[first + 2], "DBF w");
}

TEST_F(TablePackTest, AReadOnlyOpenRefusesTheTableUntilAWritableOpenFinishesThePack) {
    KillWhileMoving();
    ctx.errOff = 1;
    ctx.readOnly = 1;
    EXPECT_EQ(tableOpen(&ctx, Path("P")), nullptr);
    EXPECT_EQ(ctx.errorCode, e4packUnfinished);
    ctx.errorCode = 0;
    ctx.readOnly = 0;
    TableHandle* t = tableOpen(&ctx, Path("P"));
    ASSERT_NE(t, nullptr) << ctx.errorCode;
    ASSERT_EQ(tableClose(t), 0);
    ctx.readOnly = 1;
    t = tableOpen(&ctx, Path("P"));
    ASSERT_NE(t, nullptr) << ctx.errorCode;
    ExpectPacked(t);
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(TablePackTest, AFileNamedLikeASideFileThatIsNoneStaysAndIsReportedOnce) {
    const std::string notes = "Notizen zum Packen\r\n";
    Write("P.PCK", notes);
    for (int i = 0; i < 2; ++i) {
        TableHandle* t = tableOpen(&ctx, Path("P"));
        ASSERT_NE(t, nullptr) << ctx.errorCode;
        EXPECT_EQ(ctx.errorCode, 0);
        EXPECT_EQ(tableRecCount(t), kRecords);
        ASSERT_EQ(tableClose(t), 0);
    }
    EXPECT_TRUE(Read("P.PCK") == notes);
    long told = 0;
    for (const auto& s : Shown()) told += s.text.find("P.PCK") != std::string::npos;
    EXPECT_EQ(told, 1);
}

// A rebuild killed between its header and the cut of the file.
TEST_F(TablePackTest, AnIndexFileLongerThanItsHeaderSaysIsCutAtTheNextOpen) {
    const std::string dbf = Read("P.DBF"), mdx0 = Read("P.MDX");
    test::FileChanges all = test::DiesAtChange(0, [this](const std::function<void()>& arm) {
        EngineContext c;
        engineInit(&c);
        TableHandle* t = tableOpen(&c, Path("P"));
        if (!t) ::_exit(3);
        arm();
        if (tableReindex(t) != 0) ::_exit(4);
    });
    ASSERT_FALSE(all.died);
    long cut = 0;
    for (size_t i = 0; i < all.changes.size() && !cut; ++i)
        if (all.changes[i] == "MDX t") cut = long(i) + 1;
    ASSERT_GT(cut, 0);
    Write("P.DBF", dbf);
    Write("P.MDX", mdx0);
    ASSERT_TRUE(test::DiesAtChange(cut, [this](const std::function<void()>& arm) {
                    EngineContext c;
                    engineInit(&c);
                    TableHandle* t = tableOpen(&c, Path("P"));
                    if (!t) ::_exit(3);
                    arm();
                    tableReindex(t);
                }).died);
    std::string mdx = Read("P.MDX");
    const size_t units = Dword(mdx, 32);
    ASSERT_GT(mdx.size(), units * 512);
    TableHandle* t = tableOpen(&ctx, Path("P"));
    ASSERT_NE(t, nullptr) << ctx.errorCode;
    EXPECT_EQ(Read("P.MDX").size(), units * 512);
    EXPECT_EQ(tableRecCount(t), kRecords);
    EXPECT_EQ(tableClose(t), 0);
}

} // namespace
} // namespace vx
