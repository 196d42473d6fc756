// Writers killed at any write, marks left by dead writers and block numbers
// that point where no index block may be: the tags agree with the records
// again after the next open or a rebuild.
#include "dbase/index/IndexFile.h"
#include "dbase/index/IndexLock.h"

#include "testsupport/dbase/IndexTestSupport.h"
#include "testsupport/dbase/EngineTestSupport.h"
#include "testsupport/dbase/TestWorkers.h"
#include "dbase/data/Field.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"
#include "dbase/index/TagFile.h"
#include "platform/NumText.h"

#include <functional>
#include <random>
#include <set>

#include <unistd.h>

namespace vx {
namespace {

using test::IndexTest;

using test::Byte;
using test::Dword;
using test::Word;

// Every record passes through each tag once, in key order, equal keys in
// record order.
void ExpectTagsWhole(TableHandle* t) {
    long count = tableRecCount(t);
    for (const char* name : {"PRIMARY", "SOUND"}) {
        tableTagSelect(t, tableTag(t, name));
        const char* field = std::string(name) == "PRIMARY" ? "MATCH" : "NAME1_SOUN";
        std::set<long> seen;
        std::string lastKey;
        long lastRec = 0;
        for (int rc = tableTop(t); rc == 0 && !tableEof(t); rc = tableSkip(t, 1)) {
            std::string key = fieldStr(tableField(t, field));
            long rec = tableRecNo(t);
            EXPECT_TRUE(seen.insert(rec).second) << name << " lists " << rec << " twice";
            EXPECT_LE(lastKey, key) << name;
            if (key == lastKey) {
                EXPECT_GT(rec, lastRec) << name;
            }
            lastKey = key;
            lastRec = rec;
        }
        EXPECT_EQ(long(seen.size()), count) << name;
    }
    tableTagSelect(t, nullptr);
}

TEST_F(IndexTest, AWriterKilledAnywhereLeavesFilesThatARebuildMends) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < 20; ++i) Append(t, vx::Format("M%03d", i).c_str(), "S1");
    ASSERT_EQ(tableClose(t), 0);
    std::mt19937 random(4711);
    long acknowledged = 20;
    for (int run = 0; run < 40; ++run) {
        long after = 1 + long(random() % 12);
        bool hold = random() % 4 == 0;
        unsigned seed = unsigned(random());
        // One report per acknowledged append.
        test::KilledWriter w = test::RunKilledWriter(after, hold, [&](const test::Progress& progress) {
            EngineContext c;
            engineInit(&c);
            TableHandle* wt = tableOpen(&c, Path("ADRESSE"));
            if (!wt) ::_exit(2);
            std::mt19937 r(seed);
            for (;;) {
                tableAppendStart(wt, false);
                tableBlank(wt);
                fieldAssign(tableField(wt, "MATCH"), vx::Format("A%04u", unsigned(r() % 500)).c_str());
                fieldAssign(tableField(wt, "NAME1_SOUN"), vx::Format("S%u", unsigned(r() % 9)).c_str());
                if (tableAppend(wt) != 0) ::_exit(3);
                progress();
                long rec = long(r() % unsigned(tableRecCount(wt))) + 1;
                tableGo(wt, rec);
                fieldAssign(tableField(wt, "MATCH"), vx::Format("U%04u", unsigned(r() % 500)).c_str());
                if (tableFlush(wt) != 0) ::_exit(4);
            }
        });
        ASSERT_TRUE(w.killed()) << "writer ended with " << WEXITSTATUS(w.status);
        ASSERT_EQ(w.reported(), after);
        acknowledged += after;
        t = tableOpen(&ctx, Path("ADRESSE"));
        ASSERT_NE(t, nullptr) << "run " << run;
        ASSERT_EQ(tableReindex(t), 0) << "run " << run;
        ASSERT_GE(tableRecCount(t), acknowledged) << "run " << run;
        acknowledged = tableRecCount(t);
        ExpectTagsWhole(t);
        ASSERT_EQ(tableClose(t), 0);
        if (HasFailure()) break;
    }
}

// Each tag lists every record once, in key order, and a seek for each
// record's key lands on a record with that key.
void ExpectTagsAgree(TableHandle* t, const std::string& where) {
    SCOPED_TRACE(where);
    long count = tableRecCount(t);
    for (const char* name : {"PRIMARY", "SOUND"}) {
        TagHandle* th = tableTag(t, name);
        ASSERT_NE(th, nullptr);
        tableTagSelect(t, th);
        const char* field = std::string(name) == "PRIMARY" ? "MATCH" : "NAME1_SOUN";
        std::set<long> seen;
        std::string lastKey;
        for (int rc = tableTop(t); rc == 0 && !tableEof(t); rc = tableSkip(t, 1)) {
            std::string key = fieldStr(tableField(t, field));
            const unsigned char* tagKey = TagKeyData(th->tagFile);
            ASSERT_NE(tagKey, nullptr);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(tagKey), key.size()), key) << name;
            EXPECT_TRUE(seen.insert(tableRecNo(t)).second) << name << " lists " << tableRecNo(t) << " twice";
            EXPECT_LE(lastKey, key) << name;
            lastKey = key;
        }
        EXPECT_EQ(long(seen.size()), count) << name;
    }
    std::vector<std::string> matches;
    for (long r = 1; r <= tableRecCount(t); ++r) {
        ASSERT_EQ(tableGo(t, r), 0);
        matches.push_back(fieldStr(tableField(t, "MATCH")));
    }
    tableTagSelect(t, tableTag(t, "PRIMARY"));
    for (const std::string& m : matches) {
        ASSERT_EQ(tableSeek(t, m.c_str()), 0) << m;
        EXPECT_EQ(std::string(fieldStr(tableField(t, "MATCH"))), m);
    }
    tableTagSelect(t, nullptr);
}

// A writer killed before any one of its writes, shared or exclusive: the
// next open finds every tag in line with the records without being asked.
TEST_F(IndexTest, AWriterKilledAtAnyWriteLeavesTagsThatAgreeAfterTheNextOpen) {
    for (int mode : {0, 1}) {
        std::remove(Path("ADRESSE.DBF").c_str());
        std::remove(Path("ADRESSE.MDX").c_str());
        TableHandle* t = CreateAdresse();
        ASSERT_NE(t, nullptr);
        for (int i = 0; i < 20; ++i) Append(t, vx::Format("M%03d", i).c_str(), "S1");
        ASSERT_EQ(tableClose(t), 0);
        const std::string dbf = Read("ADRESSE.DBF"), mdx = Read("ADRESSE.MDX");
        int deaths = 0;
        for (long n = 1; n < 200; ++n) {
            std::string where = "mode " + std::to_string(mode) + ", write " + std::to_string(n);
            Write("ADRESSE.DBF", dbf);
            Write("ADRESSE.MDX", mdx);
            bool died = test::DiesAtWrite(n, [&](const std::function<void()>& arm) {
                EngineContext c;
                engineInit(&c);
                c.accessMode = mode;
                TableHandle* w = tableOpen(&c, Path("ADRESSE"));
                if (!w) ::_exit(2);
                arm();
                for (long r : {5L, 12L}) {
                    tableGo(w, r);
                    fieldAssign(tableField(w, "MATCH"), vx::Format("Z%03ld", r).c_str());
                    fieldAssign(tableField(w, "NAME1_SOUN"), "S2");
                }
                for (const char* m : {"B001", "N001"}) {
                    tableAppendStart(w, false);
                    tableBlank(w);
                    fieldAssign(tableField(w, "MATCH"), m);
                    fieldAssign(tableField(w, "NAME1_SOUN"), "S3");
                    if (tableAppend(w) != 0) ::_exit(3);
                }
                if (tableClose(w) != 0) ::_exit(4);
            });
            ctx.accessMode = mode;
            t = tableOpen(&ctx, Path("ADRESSE"));
            ctx.accessMode = 0;
            ASSERT_NE(t, nullptr) << where;
            ExpectTagsAgree(t, where);
            ASSERT_EQ(tableClose(t), 0);
            EXPECT_EQ(Byte(Read("ADRESSE.MDX"), 47), 0u) << where;
            if (!died) break;
            ++deaths;
            if (HasFailure()) break;
        }
        EXPECT_GT(deaths, 8);
    }
}

// A mark left by a writer that died, found while another user holds a
// record lock: the open reports it; once no one holds a lock it rebuilds.
TEST_F(IndexTest, AMarkOfADeadWriterIsRebuiltOrReported) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    for (const char* m : {"A", "B", "C"}) Append(t, m);
    ASSERT_EQ(tableClose(t), 0);
    std::string m = Read("ADRESSE.MDX");
    m[47] = 1;
    // A stale entry: record 2's key names another record.
    std::string d = Read("ADRESSE.DBF");
    d[test::Word(d, 8) + test::Word(d, 10) + 1] = 'X';
    Write("ADRESSE.DBF", d);
    Write("ADRESSE.MDX", m);
    EngineContext other;
    ASSERT_EQ(engineInit(&other), 0);
    other.autoOpen = 0;
    TableHandle* holder = tableOpen(&other, Path("ADRESSE"));
    ASSERT_NE(holder, nullptr);
    ASSERT_EQ(tableLock(holder, 3), 0);
    ctx.errOff = 1;
    // The table opens without its index, which it leaves as it is.
    TableHandle* without = tableOpen(&ctx, Path("ADRESSE"));
    ASSERT_NE(without, nullptr);
    EXPECT_EQ(ctx.errorCode, -310);
    EXPECT_TRUE(without->indexes.empty());
    ctx.errorCode = 0;
    EXPECT_EQ(tableClose(without), 0);
    EXPECT_EQ(Byte(Read("ADRESSE.MDX"), 47), 1u);
    ASSERT_EQ(tableClose(holder), 0);
    ASSERT_EQ(engineInitUndo(&other), 0);
    t = tableOpen(&ctx, Path("ADRESSE"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(Byte(Read("ADRESSE.MDX"), 47), 0u);
    ExpectTagsAgree(t, "rebuilt");
    tableTagSelect(t, tableTag(t, "PRIMARY"));
    EXPECT_EQ(tableSeek(t, "X"), 0);
    EXPECT_EQ(tableRecNo(t), 2);
    EXPECT_EQ(tableSeek(t, "B"), r4after);
    EXPECT_EQ(tableClose(t), 0);
}

void Put32At(std::string& s, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) s[at + size_t(k)] = char(v >> (8 * k));
}

// Block numbers that point where no index block may be: the index is refused
// at the open, the table opens without it, nothing of the index is written,
// and a rebuild gives an index that agrees with every record.
TEST_F(IndexTest, AMisdirectedBlockNumberKeepsTheIndexClosedUntilItIsRebuilt) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < 200; ++i) Append(t, Format("M%03d", (i * 37) % 200).c_str(), Format("S%d", i % 7).c_str());
    ASSERT_EQ(tableClose(t), 0);
    const std::string dbf = Read("ADRESSE.DBF"), mdx = Read("ADRESSE.MDX");
    // Block size 1024: PRIMARY's header is block 4, SOUND's block 6.
    ASSERT_EQ(Dword(mdx, 544), 4u);
    ASSERT_EQ(Dword(mdx, 576), 6u);
    const struct {
        const char* what;
        size_t at;
        uint32_t value;
    } cases[] = {
        {"free list into the tag table", 36, 1},
        {"free list at a tag header", 36, 4},
        {"free list inside a tag header", 36, 7},
        {"free list past the end", 36, uint32_t(mdx.size() / 512)},
        {"root at another tag's header", 2048, 6},
        {"root in the file header", 2048, 2},
        {"root past the end", 3072, 9999},
        {"two tags with one header", 576, 4},
        {"tag header over the tag table", 544, 1},
    };
    ctx.errOff = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bad = mdx;
        Put32At(bad, c.at, c.value);
        Write("ADRESSE.DBF", dbf);
        Write("ADRESSE.MDX", bad);
        ctx.errorCode = 0;
        t = tableOpen(&ctx, Path("ADRESSE"));
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(ctx.errorCode, -310);
        EXPECT_TRUE(t->indexes.empty());
        ctx.errorCode = 0;
        Append(t, "NEU", "S9");
        EXPECT_EQ(Read("ADRESSE.MDX"), bad);
        ASSERT_EQ(tableReindex(t), 0);
        ASSERT_EQ(t->indexes.size(), 1u);
        ExpectTagsAgree(t, "rebuilt");
        ASSERT_EQ(tableClose(t), 0);
        t = tableOpen(&ctx, Path("ADRESSE"));
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(ctx.errorCode, 0);
        ExpectTagsAgree(t, "reopened");
        EXPECT_EQ(tableRecCount(t), 201);
        ASSERT_EQ(tableClose(t), 0);
        if (HasFailure()) break;
    }
    EXPECT_TRUE(fatal.empty());
}

// Damage that appears while the index is open is refused where the number is
// used, before anything is written through it.
TEST_F(IndexTest, AMisdirectedBlockNumberIsRefusedBeforeAnyWrite) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    // A full leaf: the next key splits it and needs a new block.
    for (int i = 0; i < 63; ++i) Append(t, Format("M%03d", i).c_str());
    ASSERT_EQ(tableClose(t), 0);
    ctx.errOff = 1;
    t = tableOpen(&ctx, Path("ADRESSE"));
    ASSERT_NE(t, nullptr);
    std::string mdx = Read("ADRESSE.MDX");
    // Another program points the free list into the tag table.
    Put32At(mdx, 36, 1);
    Write("ADRESSE.MDX", mdx);
    ASSERT_EQ(tableAppendStart(t, false), 0);
    fieldAssign(tableField(t, "MATCH"), "M999");
    EXPECT_EQ(tableAppend(t), -310);
    ctx.errorCode = 0;
    // The tag table and the tag headers' roots and expressions are as they
    // were (a tag's change counter may move on).
    auto same = [&](const std::string& a) {
        return a.substr(512, 1536) == mdx.substr(512, 1536) && Dword(a, 2048) == Dword(mdx, 2048) &&
               Dword(a, 3072) == Dword(mdx, 3072) && a.substr(2072, 220) == mdx.substr(2072, 220) &&
               a.substr(3096, 220) == mdx.substr(3096, 220);
    };
    EXPECT_TRUE(same(Read("ADRESSE.MDX")));
    EXPECT_EQ(tableRecCount(t), 63);
    // The same under the lock, one number at a time.
    IndexFileState* state = t->indexes[0]->state;
    TagFile* primary = Tag(t, "PRIMARY");
    ASSERT_EQ(IndexLock(state, t), 0);
    for (uint32_t block : {1u, 4u, 7u}) {
        state->setFreeList(block);
        EXPECT_EQ(indexFileExtend(state), -310) << block;
        ctx.errorCode = 0;
        EXPECT_EQ(IndexFreeBlock(state, long(block)), -310) << block;
        ctx.errorCode = 0;
        primary->root = long(block);
        EXPECT_EQ(TagTop(primary), -310) << block;
        ctx.errorCode = 0;
    }
    state->setFreeList(0);
    state->headerChanged = false;
    TagDiscardBlocks(primary);
    IndexUnlock(state, t);
    ctx.errorCode = 0;
    EXPECT_TRUE(same(Read("ADRESSE.MDX")));
    tableClose(t);
    EXPECT_TRUE(fatal.empty());
}

// Numbers read while another user splits roots and rebuilds are never taken
// for damage: every open keeps its index.
TEST_F(IndexTest, OpeningWhileAnotherUserWritesKeepsTheIndex) {
    const FieldInfo fields[] = {{"KEY", 'C', 100, 0, 0}, {}};
    const TagInfo tags[] = {{"BYKEY", "KEY", nullptr, 0, 0}, {"DOWN", "KEY", nullptr, 0, 10}, {}};
    TableHandle* t = tableCreate(&ctx, Path("BUSY"), fields, tags);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(tableClose(t), 0);
    test::TestWorkers workers;
    workers.Start([&] {
        EngineContext c;
        engineInit(&c);
        c.lockDelay = 0;
        TableHandle* w = tableOpen(&c, Path("BUSY"));
        if (!w) return 1;
        std::mt19937 rng(9);
        for (int i = 0; !test::TestWorkers::Stopping(); ++i) {
            tableAppendStart(w, false);
            fieldAssign(tableField(w, "KEY"), Format("%06u", unsigned(rng() % 1000000)).c_str());
            if (tableAppend(w) != 0) return 2;
            if (i % 150 == 149 && tableReindex(w) != 0) return 3;
            test::TestWorkers::Tick();
        }
        return engineInitUndo(&c) == 0 ? 0 : 4;
    });
    // Opens for as long as the other user has work to do (the bound only
    // ends the loop should it stop early).
    long count = 0;
    for (int i = 0; (i < 300 || count < 1500) && i < 200000; ++i) {
        t = tableOpen(&ctx, Path("BUSY"));
        ASSERT_NE(t, nullptr) << i;
        EXPECT_EQ(ctx.errorCode, 0) << i;
        EXPECT_EQ(t->indexes.size(), 1u) << i;
        ctx.errorCode = 0;
        count = tableRecCount(t);
        tableClose(t);
        if (HasFailure()) break;
    }
    workers.Stop();
    ASSERT_TRUE(workers.Wait());
    EXPECT_EQ(workers.Result(0), 0);
}

} // namespace
} // namespace vx
