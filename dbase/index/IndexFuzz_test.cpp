// Damaged index files: every operation ends in an error code or a result,
// never in a crash, a fatal exit or a loop without end.
#include "dbase/index/IndexFile.h"
#include "dbase/index/IndexLock.h"

#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/index/TagFile.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"
#include "platform/NumText.h"
#include "testsupport/platform/TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace vx {
namespace {

// The name, number and date of a random record: the name after nameFormat
// from `names` values, the number from `span` whole values less `below`, a
// day of the given year.
void AssignRandomFields(TableHandle* t, std::mt19937& rng, const char* nameFormat, unsigned names, int span,
                        int below, const char* year) {
    fieldAssign(tableField(t, "NAME"), Format(nameFormat, unsigned(rng() % names)).c_str());
    fieldAssign(tableField(t, "N"), Format("%8.2f", double(int(rng() % span) - below)).c_str());
    fieldAssign(tableField(t, "D"), Format("%s%02u%02u", year, 1 + unsigned(rng() % 12), 1 + unsigned(rng() % 28)).c_str());
}

// A new table of `count` records, each filled by fill(t, i), closed again.
template <typename Fill>
void CreateFilledTable(EngineContext& ctx, const std::string& path, const FieldInfo* fields, const TagInfo* tags,
                       int count, Fill fill) {
    TableHandle* t = tableCreate(&ctx, path, fields, tags);
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(tableAppendStart(t, false), 0);
        fill(t, i);
        ASSERT_EQ(tableAppend(t), 0);
    }
    ASSERT_EQ(tableClose(t), 0);
}

class IndexFuzzTest : public test::EngineTest {
protected:
    void Build() {
        const FieldInfo fields[] = {{"NAME", 'C', 30, 0, 0}, {"N", 'N', 8, 2, 0}, {"D", 'D', 0, 0, 0}, {}};
        const TagInfo tags[] = {{"BYNAME", "NAME", nullptr, 0, 0},
                                {"BYN", "N", "N > 0", 0, 0},
                                {"BYD", "D", nullptr, 0, 10},
                                {}};
        std::mt19937 rng(3);
        ASSERT_NO_FATAL_FAILURE(CreateFilledTable(ctx, Path("FUZZ"), fields, tags, 150, [&](TableHandle* t, int) {
            AssignRandomFields(t, rng, "K%04u", 500, 200, 100, "2024");
        }));
        dbf = Read("FUZZ.DBF");
        mdx = Read("FUZZ.MDX");
    }

    // The table `table` (.DBF, .MDX, .DBT) of testdata/`folder`. By default
    // F, whose tag TNAME has a leaf with keys out of order and an entry past
    // the record count.
    void CopyDamagedTag(const std::string& folder = "damaged-tag-backward",
                        const std::string& table = "F") {
        const char* src = std::getenv("VX_SOURCE_DIR");
        std::string from = std::string(src ? src : ".") + "/dbase/testdata/" + folder + "/";
        for (const char* ext : {".DBF", ".MDX", ".DBT"}) {
            std::string data;
            ASSERT_TRUE(ReadWholeFile(from + table + ext, data)) << table + ext;
            Write(table + ext, data);
        }
    }

    // Runs the operations a program would run; only the absence of crashes
    // and fatal exits is asserted.
    void Exercise(std::mt19937& rng) {
        ctx.errorCode = 0;
        TableHandle* t = tableOpen(&ctx, Path("FUZZ"));
        if (!t) return;
        for (const char* name : {"BYNAME", "BYN", "BYD"}) {
            ctx.errorCode = 0;
            TagHandle* th = tableTag(t, name);
            if (!th) continue;
            tableTagSelect(t, th);
            int steps = 0;
            for (int rc = tableTop(t); rc == 0 && steps < 400; rc = tableSkip(t, 1)) ++steps;
            ctx.errorCode = 0;
            tableBottom(t);
            tableSkip(t, -7);
            ctx.errorCode = 0;
            tableSeek(t, Format("K%04u", unsigned(rng() % 500)).c_str());
            ctx.errorCode = 0;
            tableSeek(t, "20240305");
            ctx.errorCode = 0;
            TagPosition(th->tagFile);
        }
        ctx.errorCode = 0;
        tableTagSelect(t, nullptr);
        if (tableGo(t, long(1 + rng() % 150)) == 0) {
            fieldAssign(tableField(t, "NAME"), "CHANGED");
            fieldAssign(tableField(t, "N"), "5");
            tableUpdate(t);
        }
        ctx.errorCode = 0;
        tableChanged(t, 0);
        if (tableAppendStart(t, false) == 0) {
            fieldAssign(tableField(t, "NAME"), "NEW");
            tableAppend(t);
        }
        ctx.errorCode = 0;
        if (rng() % 4 == 0) tableReindex(t);
        ctx.errorCode = 0;
        tableChanged(t, 0);
        tableClose(t);
        ctx.errorCode = 0;
    }

    std::string dbf, mdx;
};

TEST_F(IndexFuzzTest, TruncatedAndBitFlippedFilesGiveErrorsOnly) {
    ASSERT_NO_FATAL_FAILURE(Build());
    std::mt19937 rng(11);
    int refused = 0, headless = 0;
    for (int round = 0; round < 400; ++round) {
        std::string bad = mdx;
        if (round % 5 == 0) {
            bad.resize(round % 10 == 0 ? rng() % 4096 : rng() % bad.size());
            if (bad.size() < 4096) ++headless;
        } else {
            int flips = 1 + int(rng() % 8);
            for (int i = 0; i < flips; ++i) {
                // Header, tag table and tag headers are hit as often as blocks.
                size_t at = rng() % 2 ? rng() % 4096 : rng() % bad.size();
                bad[at] = char(bad[at] ^ (1 << (rng() % 8)));
            }
        }
        Write("FUZZ.DBF", dbf);
        Write("FUZZ.MDX", bad);
        ctx.errorCode = 0;
        TableHandle* probe = tableOpen(&ctx, Path("FUZZ"));
        // The table opens; a damaged index stays closed.
        ASSERT_NE(probe, nullptr) << "round " << round;
        bool indexed = !probe->indexes.empty();
        if (!indexed) ++refused;
        EXPECT_EQ(indexed, ctx.errorCode == 0) << "round " << round;
        ctx.errorCode = 0;
        tableClose(probe);
        // Without its header and every tag header an index never opens.
        if (bad.size() < 4096) {
            ASSERT_FALSE(indexed) << "round " << round;
        }
        Exercise(rng);
        ASSERT_TRUE(fatal.empty()) << "round " << round;
    }
    EXPECT_GE(refused, headless);
    EXPECT_GE(headless, 40);
    // Waits for another process are bounded per operation.
    EXPECT_LT(waits.size(), 400u * 40u);
}

TEST_F(IndexFuzzTest, ADamagedBlockIsRetriedAFewTimesThenReported) {
    ASSERT_NO_FATAL_FAILURE(Build());
    // The tag header of BYNAME says where its root is; break the root's first
    // child pointer so that the block check fails on every read.
    uint32_t root = uint32_t(test::Dword(mdx, 2048));
    std::string bad = mdx;
    size_t rootAt = size_t(root) * 512;
    ASSERT_GT(test::Word(bad, rootAt), 0u);
    // The first leaf is replaced by a leaf whose last key does not match.
    uint32_t leaf = uint32_t(test::Dword(bad, rootAt + 8));
    bad[size_t(leaf) * 512 + 8 + 4 + 1] = 'Z';
    size_t n = test::Word(bad, size_t(leaf) * 512);
    bad[size_t(leaf) * 512 + 8 + (n - 1) * 36 + 4] = '0';
    Write("FUZZ.MDX", bad);
    TableHandle* t = tableOpen(&ctx, Path("FUZZ"));
    ASSERT_NE(t, nullptr);
    tableTagSelect(t, tableTag(t, "BYNAME"));
    waits.clear();
    EXPECT_EQ(tableTop(t), e4index);
    EXPECT_EQ(ctx.errorCode, e4index);
    EXPECT_EQ(waits.size(), 3u);
    ctx.errorCode = 0;
    // Under the index lock the same block is an error at once.
    waits.clear();
    TagFile* tag = tableTag(t, "BYNAME")->tagFile;
    ASSERT_EQ(IndexLock(tag->index, t), 0);
    EXPECT_EQ(TagTop(tag), e4index);
    EXPECT_TRUE(waits.empty());
    ctx.errorCode = 0;
    IndexUnlock(tag->index, t);
    EXPECT_TRUE(fatal.empty());
    tableClose(t);
}

// A walk either way, shared or alone, ends with -310 within a bounded number
// of steps instead of standing on one entry for ever (a leaf of TNAME holds
// keys out of order and an entry past the record count), coming round to
// the same leaf again (a branch of BYD leads back into a leaf already
// passed) or to the same key (BYNAME's last leaf has a key out of order
// among equal ones, so that its record's entry is not found again), or
// going back when its record's entry is not found (FIRST's root sends the
// search for a key to the wrong place).
TEST_F(IndexFuzzTest, WalksOnATagWithKeysOutOfOrderEndWithAnError) {
    ctx.errOff = 1;
    const struct {
        const char *folder, *table, *tag;
    } cases[] = {{"damaged-tag-backward", "F", "TNAME"},
                 {"leaf-reached-twice", "MIX", "BYD"},
                 {"run-back-to-one-key", "MIX", "BYNAME"},
                 {"seek-misses-its-entry", "MIX", "FIRST"}};
    for (const auto& c : cases) {
        for (int mode : {0, 2}) {
            SCOPED_TRACE(std::string(c.folder) + (mode ? " alone" : " shared"));
            ASSERT_NO_FATAL_FAILURE(CopyDamagedTag(c.folder, c.table));
            ctx.accessMode = mode;
            TableHandle* t = tableOpen(&ctx, Path(c.table));
            ASSERT_NE(t, nullptr) << mode;
            ctx.accessMode = 0;
            // Each entry once, and a circle given up after twice the
            // records and a few more.
            const long most = 3 * tableRecCount(t) + 64;
            TagHandle* th = tableTag(t, c.tag);
            ASSERT_NE(th, nullptr);
            tableTagSelect(t, th);
            for (int dir : {-1, 1}) {
                long steps = 0;
                int rc = dir < 0 ? tableBottom(t) : tableTop(t);
                while (rc == 0 && steps <= most) {
                    rc = tableSkip(t, dir);
                    ++steps;
                }
                EXPECT_EQ(rc, e4index)
                    << "mode " << mode << " direction " << dir << " after " << steps;
                EXPECT_EQ(ctx.errorCode, e4index);
                ctx.errorCode = 0;
            }
            EXPECT_TRUE(fatal.empty());
            tableChanged(t, 0);
            tableClose(t);
            ctx.errorCode = 0;
        }
    }
}

// A write the damaged tag refuses leaves its edit in the buffer; the
// rebuild works with the edit there and keeps it, and the write then goes.
TEST_F(IndexFuzzTest, ARebuildKeepsAnEditTheDamagedIndexRefused) {
    ASSERT_NO_FATAL_FAILURE(CopyDamagedTag());
    ctx.errOff = 1;
    TableHandle* t = tableOpen(&ctx, Path("F"));
    ASSERT_NE(t, nullptr);
    int refused = 0;
    for (long r = 1; r <= tableRecCount(t) && refused == 0; ++r) {
        ASSERT_EQ(tableGo(t, r), 0);
        ASSERT_EQ(fieldAssign(tableField(t, "NAME"), "Zzgeaendert"), 0);
        refused = tableUpdate(t);
        if (refused == 0) continue;
        EXPECT_EQ(refused, e4index) << "record " << r;
        ctx.errorCode = 0;
        ASSERT_EQ(tableReindex(t), 0) << "record " << r;
        EXPECT_EQ(tableRecNo(t), r);
        EXPECT_TRUE(t->recordChanged);
        EXPECT_EQ(std::string(fieldPtr(tableField(t, "NAME")), 11), "Zzgeaendert");
        ASSERT_EQ(tableUpdate(t), 0);
        tableTagSelect(t, tableTag(t, "TNAME"));
        ASSERT_EQ(tableSeek(t, "ZZGEAENDERT"), 0);
        EXPECT_EQ(tableRecNo(t), r);
        long walked = 0;
        for (int rc = tableTop(t); rc == 0; rc = tableSkip(t, 1)) ++walked;
        EXPECT_EQ(walked, tableRecCount(t));
    }
    EXPECT_NE(refused, 0) << "no write was refused";
    tableClose(t);
}

// Moving backward into a damaged leaf ends as moving forward does: a few
// fresh starts in shared use, none alone, then -310.
TEST_F(IndexFuzzTest, BackwardMovesIntoADamagedLeafAreGivenUpAfterAFewWaits) {
    ASSERT_NO_FATAL_FAILURE(Build());
    size_t root = size_t(test::Dword(mdx, 2048)) * 512;
    size_t n = test::Word(mdx, root);
    ASSERT_GE(n, 3u);
    auto child = [&](const std::string& m, size_t i) { return size_t(test::Dword(m, root + 8 + i * 36)) * 512; };
    auto lastKey = [&](std::string& m, size_t leaf) -> char& {
        return m[leaf + 8 + (test::Word(m, leaf) - 1) * 36 + 4];
    };
    std::string bottom = mdx, before = mdx, twice = mdx;
    // The last leaf ends below its parent's last key.
    lastKey(bottom, child(bottom, n)) = '0';
    // The leaf before it ends on another key than its parent names.
    lastKey(before, child(before, n - 1)) = '0';
    // Two parent entries lead to the last leaf.
    for (int k = 0; k < 4; ++k) twice[root + 8 + (n - 1) * 36 + size_t(k)] = twice[root + 8 + n * 36 + size_t(k)];
    const struct {
        const char* what;
        const std::string& file;
        bool atBottom;
    } cases[] = {{"last leaf", bottom, true}, {"leaf before the last", before, false}, {"two ways to one leaf", twice, false}};
    ctx.errOff = 1;
    for (const auto& c : cases) {
        for (int mode : {0, 2}) {
            SCOPED_TRACE(std::string(c.what) + (mode ? " alone" : " shared"));
            Write("FUZZ.DBF", dbf);
            Write("FUZZ.MDX", c.file);
            ctx.accessMode = mode;
            TableHandle* t = tableOpen(&ctx, Path("FUZZ"));
            ctx.accessMode = 0;
            ASSERT_NE(t, nullptr);
            ASSERT_EQ(ctx.errorCode, 0);
            tableTagSelect(t, tableTag(t, "BYNAME"));
            size_t allowed = mode ? 0u : 3u;
            waits.clear();
            int rc = tableBottom(t);
            EXPECT_LE(waits.size(), allowed);
            int steps = 0;
            while (rc == 0 && steps < 400) {
                waits.clear();
                rc = tableSkip(t, -1);
                EXPECT_LE(waits.size(), allowed) << "step " << steps;
                ++steps;
            }
            EXPECT_EQ(rc, -310);
            EXPECT_EQ(ctx.errorCode, -310);
            if (c.atBottom) EXPECT_EQ(steps, 0);
            else EXPECT_LT(steps, 40);
            ctx.errorCode = 0;
            tableClose(t);
        }
    }
    EXPECT_TRUE(fatal.empty());
}


// Data, memo and index files damaged together, then used as a program uses
// them: opened, walked both ways, written, rebuilt and packed. The only
// outcomes allowed are results and error codes; a rebuild that succeeds
// leaves every tag agreeing with its records.
class TableFilesFuzzTest : public test::EngineTest {
protected:
    void Build() {
        const FieldInfo fields[] = {{"NAME", 'C', 20, 0, 0}, {"N", 'N', 8, 2, 0}, {"D", 'D', 0, 0, 0},
                                    {"TEXT", 'M', 10, 0, 0}, {}};
        const TagInfo tags[] = {{"BYNAME", "UPPER(NAME)", nullptr, 0, 0},
                                {"BYN", "N", "N > 0", 0, 0},
                                {"BYD", "D", nullptr, 0, 10},
                                {"FIRST", "LEFT(NAME,3)+DTOS(D)", nullptr, r4uniqueContinue, 0},
                                {}};
        std::mt19937 rng(5);
        ASSERT_NO_FATAL_FAILURE(CreateFilledTable(ctx, Path("MIX"), fields, tags, 90, [&](TableHandle* t, int i) {
            AssignRandomFields(t, rng, "k%03u", 60, 100, 30, "2025");
            std::string memo(size_t(rng() % 1400), char('a' + i % 26));
            fieldMemoAssignN(tableField(t, "TEXT"), memo.data(), uint32_t(memo.size()));
        }));
        seed[0] = Read("MIX.DBF");
        seed[1] = Read("MIX.DBT");
        seed[2] = Read("MIX.MDX");
    }

    // One to three damages, mostly where the structures are.
    void Mutate(std::mt19937& rng, std::string (&files)[3]) {
        int damages = 1 + int(rng() % 3);
        for (int d = 0; d < damages; ++d) {
            std::string& s = files[rng() % 3];
            if (s.empty()) continue;
            size_t at = rng() % 2 ? rng() % std::min<size_t>(s.size(), 4096) : rng() % s.size();
            switch (rng() % 6) {
            case 0: s[at] = char(s[at] ^ (1 << (rng() % 8))); break;
            case 1: s[at] = char(rng()); break;
            case 2: {
                // A number where the files keep block numbers and counts.
                static const uint32_t kValues[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 0x7F, 0xFFFF, 0xFFFFFFFF};
                uint32_t v = rng() % 3 ? kValues[rng() % 12] : uint32_t(rng() % 64);
                at &= ~size_t(3);
                for (int k = 0; k < 4 && at + size_t(k) < s.size(); ++k) s[at + size_t(k)] = char(v >> (8 * k));
                break;
            }
            case 3: s.resize(rng() % s.size()); break;
            case 4: {
                // One block over another: a valid looking block in the wrong place.
                size_t n = s.size() / 512;
                if (n < 2) break;
                size_t from = rng() % n * 512, to = rng() % n * 512;
                s.replace(to, std::min<size_t>(512, s.size() - to), s.substr(from, 512));
                break;
            }
            default: s.insert(at, std::string(size_t(1 + rng() % 40), char(rng())));
            }
        }
    }

    void Clear() { ctx.errorCode = 0; }

    // Every entry of every tag, walked in the tag itself, against the records.
    void CheckTags(TableHandle* t) {
        for (TagHandle* th = tableTagNext(t, nullptr); th; th = tableTagNext(t, th)) {
            TagFile* tag = th->tagFile;
            std::vector<std::pair<std::string, long>> walked;
            ASSERT_EQ(TagTop(tag), 0) << tag->name;
            for (int guard = 0; !TagIsEof(tag) && guard < 100000; ++guard) {
                walked.emplace_back(std::string(reinterpret_cast<const char*>(TagKeyData(tag)), size_t(tag->keyLen)),
                                    TagRecNo(tag));
                if (TagSkip(tag, 1) != 1) break;
            }
            std::vector<std::pair<std::string, long>> wanted;
            std::string key;
            for (long r = 1; r <= tableRecCount(t); ++r) {
                ASSERT_EQ(tableGo(t, r), 0);
                if (TagFilterTrue(tag, t) != 1) continue;
                ASSERT_EQ(TagExprKey(tag, t, key), tag->keyLen);
                wanted.emplace_back(key, r);
            }
            std::stable_sort(wanted.begin(), wanted.end(), [&](const auto& a, const auto& b) {
                return tag->Compare(a.first.data(), b.first.data(), size_t(tag->keyLen)) < 0;
            });
            if (tag->unique) {
                auto same = [&](const auto& a, const auto& b) {
                    return tag->Compare(a.first.data(), b.first.data(), size_t(tag->keyLen)) == 0;
                };
                wanted.erase(std::unique(wanted.begin(), wanted.end(), same), wanted.end());
            }
            ASSERT_EQ(walked, wanted) << tag->name;
        }
    }

    // Counts the waits of one operation: a damaged file is given up after
    // a few, however it is damaged.
    template <class F>
    int Op(F f) {
        waits.clear();
        int rc = f();
        EXPECT_LE(waits.size(), 12u) << "waits in one operation";
        maxWaits = std::max(maxWaits, waits.size());
        Clear();
        return rc;
    }

    void Exercise(std::mt19937& rng) {
        Clear();
        ctx.autoOpen = rng() % 8 ? 1 : 0;
        static const int kModes[] = {0, 0, 1, 2};
        ctx.accessMode = kModes[rng() % 4];
        TableHandle* t = tableOpen(&ctx, Path("MIX"));
        ctx.autoOpen = 1;
        ctx.accessMode = 0;
        Clear();
        if (!t) return;
        ++opened;
        for (TagHandle* th = tableTagNext(t, nullptr); th; th = tableTagNext(t, th)) {
            tableTagSelect(t, th);
            // The whole tag either way: a walk ends, at the latest after as
            // many steps as the index file could hold entries (a damaged
            // branch may lead to one leaf twice).
            for (int dir : {1, -1}) {
                long steps = 0, most = std::max(2 * tableRecCount(t) + 2, long(Read("MIX.MDX").size()));
                int rc = Op([&] { return dir > 0 ? tableTop(t) : tableBottom(t); });
                for (; rc == 0 && steps <= most; ++steps) rc = Op([&] { return tableSkip(t, dir); });
                EXPECT_LE(steps, most) << "walk without end on " << th->tagFile->name;
                ++walks;
                if (rc == e4index) ++walksDamaged;
            }
            Op([&] { return tableSeek(t, Format("K%03u", unsigned(rng() % 60)).c_str()); });
            // Skipping needs a record to start from (else the program ends).
            if (t->recNo > 0) Op([&] { return tableSkip(t, -3); });
        }
        tableTagSelect(t, nullptr);
        for (long r = 1; r <= tableRecCount(t) && r < 200; ++r) {
            if (Op([&] { return tableGo(t, r); }) != 0) continue;
            if (Field* m = tableField(t, "TEXT")) {
                const char* p = fieldMemoPtr(m);
                uint32_t len = fieldMemoLen(m);
                volatile char sink = 0;
                for (uint32_t i = 0; p && i < len; ++i) sink = char(sink ^ p[i]);
            }
            Clear();
        }
        // Writes: a changed record with a new memo, an append, a deletion.
        if (Op([&] { return tableGo(t, long(1 + rng() % 90)); }) == 0) {
            if (Field* f = tableField(t, "NAME")) fieldAssign(f, Format("w%03u", unsigned(rng() % 60)).c_str());
            if (Field* m = tableField(t, "TEXT")) {
                std::string memo(size_t(rng() % 2000), 'm');
                fieldMemoAssignN(m, memo.data(), uint32_t(memo.size()));
            }
            Op([&] { return tableUpdate(t); });
        }
        tableChanged(t, 0);
        if (Op([&] { return tableAppendStart(t, false); }) == 0) {
            if (Field* f = tableField(t, "NAME")) fieldAssign(f, "neu");
            if (Field* m = tableField(t, "TEXT")) fieldMemoAssignN(m, "neues Memo", 10);
            Op([&] { return tableAppend(t); });
        }
        tableChanged(t, 0);
        if (Op([&] { return tableGo(t, long(1 + rng() % 90)); }) == 0) {
            tableDelete(t);
            Op([&] { return tableUpdate(t); });
        }
        tableChanged(t, 0);
        int rebuilt = -1;
        switch (rng() % 4) {
        case 0: rebuilt = Op([&] { return tableReindex(t); }); break;
        case 1: rebuilt = Op([&] { return tablePack(t); }); break;
        default: break;
        }
        if (rebuilt == 0 && !t->indexes.empty()) {
            ++checked;
            CheckTags(t);
            Clear();
        }
        tableChanged(t, 0);
        Op([&] { return tableClose(t); });
    }

    std::string seed[3];
    long opened = 0, checked = 0, walks = 0, walksDamaged = 0;
    size_t maxWaits = 0;
};

TEST_F(TableFilesFuzzTest, DamagedTableMemoAndIndexFilesGiveResultsOrCodes) {
    ASSERT_NO_FATAL_FAILURE(Build());
    ctx.errOff = 1;
    test::FuzzBudget budget(150, 20);
    std::mt19937 rng(budget.seed());
    long round = 0;
    for (; budget.more(round); ++round) {
        std::string files[3] = {seed[0], seed[1], seed[2]};
        Mutate(rng, files);
        Write("MIX.DBF", files[0]);
        Write("MIX.DBT", files[1]);
        Write("MIX.MDX", files[2]);
        Exercise(rng);
        ASSERT_TRUE(fatal.empty()) << "round " << round << " code " << fatal[0] << " at " << ctx.errorLocation;
        if (HasFailure()) {
            ADD_FAILURE() << "round " << round << " seed " << budget.seed();
            // The damaged files of the round, to be looked at or made a test of.
            static const char* const kExt[] = {".DBF", ".DBT", ".MDX"};
            if (std::string out = ArtefactDir(); !out.empty())
                for (int k = 0; k < 3; ++k) WriteFileAtomic(out + "/MIX-" + std::to_string(round) + kExt[k], files[k]);
            break;
        }
    }
    if (budget.timed())
        std::printf("fuzz: %ld rounds in %.0f s, %ld opened, %ld rebuilds checked, %ld tag walks (%ld ended -310), "
                    "at most %zu waits\n",
                    round, budget.elapsed(), opened, checked, walks, walksDamaged, maxWaits);
    // Most damages still leave a table to work with.
    EXPECT_GT(opened, round / 3);
    EXPECT_GT(checked, 0);
}

} // namespace
} // namespace vx
