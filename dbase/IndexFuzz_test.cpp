// Damaged index files: every operation ends in an error code or a result,
// never in a crash, a fatal exit or a loop without end.
#include "dbase/IndexFile.h"

#include "dbase/EngineTestSupport.h"
#include "dbase/Field.h"
#include "dbase/TagFile.h"
#include "dbase/Table.h"
#include "platform/NumText.h"

#include <random>

namespace vx {
namespace {

class IndexFuzzTest : public test::EngineTest {
protected:
    void Build() {
        const FieldInfo fields[] = {{"NAME", 'C', 30, 0, 0}, {"N", 'N', 8, 2, 0}, {"D", 'D', 0, 0, 0}, {}};
        const TagInfo tags[] = {{"BYNAME", "NAME", nullptr, 0, 0},
                                {"BYN", "N", "N > 0", 0, 0},
                                {"BYD", "D", nullptr, 0, 10},
                                {}};
        TableHandle* t = tableCreate(&ctx, Path("FUZZ"), fields, tags);
        ASSERT_NE(t, nullptr);
        std::mt19937 rng(3);
        for (int i = 0; i < 150; ++i) {
            ASSERT_EQ(tableAppendStart(t, false), 0);
            fieldAssign(tableField(t, "NAME"), Format("K%04u", unsigned(rng() % 500)).c_str());
            fieldAssign(tableField(t, "N"), Format("%8.2f", double(int(rng() % 200) - 100)).c_str());
            fieldAssign(tableField(t, "D"), Format("2024%02u%02u", 1 + unsigned(rng() % 12), 1 + unsigned(rng() % 28)).c_str());
            ASSERT_EQ(tableAppend(t), 0);
        }
        ASSERT_EQ(tableClose(t), 0);
        dbf = Read("FUZZ.DBF");
        mdx = Read("FUZZ.MDX");
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
        if (!probe) ++refused;
        else tableClose(probe);
        // Without its header and every tag header an index never opens.
        if (bad.size() < 4096) {
            ASSERT_EQ(probe, nullptr) << "round " << round;
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

} // namespace
} // namespace vx
