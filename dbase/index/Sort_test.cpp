#include "dbase/index/Sort.h"

#include "testsupport/dbase/EngineTestSupport.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace vx {
namespace {

struct Entry {
    std::string key;
    long rec;
    std::string extra;
};

class SortTest : public test::EngineTest {
protected:
    void SetUp() override {
        test::EngineTest::SetUp();
        const char* old = std::getenv("TEMP");
        if (old) savedTemp = old;
        hadTemp = old != nullptr;
        ::setenv("TEMP", dir.c_str(), 1);
    }
    void TearDown() override {
        if (hadTemp) ::setenv("TEMP", savedTemp.c_str(), 1);
        else ::unsetenv("TEMP");
        sortFailNextAllocations(0);
        test::EngineTest::TearDown();
    }
    // Temporary files in the scratch directory.
    int TempFiles() const {
        int n = 0;
        for (auto& e : std::filesystem::directory_iterator(dir)) {
            std::string name = e.path().filename().string();
            if (name.size() == 12 && name.rfind("TEMP", 0) == 0 && name.substr(8) == ".TMP") ++n;
        }
        return n;
    }
    // Random keys from a small alphabet, so that many are equal, put in a
    // shuffled record order.
    std::vector<Entry> Make(int n, int keyLen, unsigned seed) {
        std::mt19937 rng(seed);
        std::vector<Entry> v;
        std::vector<long> recs(static_cast<size_t>(n), 0L);
        for (int i = 0; i < n; ++i) recs[size_t(i)] = i + 1;
        std::shuffle(recs.begin(), recs.end(), rng);
        for (int i = 0; i < n; ++i) {
            Entry e;
            for (int k = 0; k < keyLen; ++k) e.key += char('A' + rng() % 3);
            e.rec = recs[size_t(i)];
            e.extra = std::string(reinterpret_cast<const char*>(&e.rec), 4);
            v.push_back(e);
        }
        return v;
    }
    std::vector<Entry> Run(SortContext& s, const std::vector<Entry>& in, int keyLen) {
        EXPECT_EQ(sortInit(&s, &ctx, keyLen, 4), 0);
        EXPECT_EQ(sortInitAlloc(&s), 0);
        for (const Entry& e : in) EXPECT_EQ(sortPut(&s, e.rec, e.key.data(), e.extra.data()), 0);
        EXPECT_EQ(sortGetInit(&s), 0);
        spools = s.spoolCount;
        blocks = s.blocks.size();
        filesWhileDelivering = TempFiles();
        std::vector<Entry> out;
        long rec = 0;
        const char *key = nullptr, *extra = nullptr;
        int rc;
        while ((rc = sortGet(&s, &rec, &key, &extra)) == 0)
            out.push_back({std::string(key, size_t(keyLen)), rec, std::string(extra, 4)});
        EXPECT_EQ(rc, 1);
        return out;
    }
    // n entries of one key of three characters in blocks of 2048 bytes,
    // enough for the sort to write spools.
    void PutSpooled(SortContext& s, int n, const char* key) {
        ctx.sortBlockSize = 2048;
        ASSERT_EQ(sortInit(&s, &ctx, 3, 0), 0);
        ASSERT_EQ(sortInitAlloc(&s), 0);
        for (int i = 0; i < n; ++i) ASSERT_EQ(sortPut(&s, i, key, nullptr), 0);
    }
    static std::vector<Entry> Expected(std::vector<Entry> v) {
        std::sort(v.begin(), v.end(), [](const Entry& a, const Entry& b) {
            return a.key != b.key ? a.key < b.key : a.rec < b.rec;
        });
        return v;
    }
    static void ExpectSame(const std::vector<Entry>& got, const std::vector<Entry>& want) {
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i].key, want[i].key) << i;
            ASSERT_EQ(got[i].rec, want[i].rec) << i;
            ASSERT_EQ(got[i].extra, want[i].extra) << i;
        }
    }

    std::string savedTemp;
    bool hadTemp = false;
    int spools = 0;
    size_t blocks = 0;
    int filesWhileDelivering = 0;
};

TEST_F(SortTest, NoEntriesEndAtOnce) {
    SortContext s;
    ASSERT_EQ(sortInit(&s, &ctx, 4, 0), 0);
    ASSERT_EQ(sortInitAlloc(&s), 0);
    ASSERT_EQ(sortGetInit(&s), 0);
    long rec = -1;
    EXPECT_EQ(sortGet(&s, &rec, nullptr, nullptr), 1);
    EXPECT_EQ(TempFiles(), 0);
}

TEST_F(SortTest, InMemoryEqualKeysComeBackInRecordOrder) {
    SortContext s;
    std::vector<Entry> in = Make(3000, 2, 1);
    ExpectSame(Run(s, in, 2), Expected(in));
    EXPECT_EQ(spools, 0);
    EXPECT_EQ(filesWhileDelivering, 0);
}

TEST_F(SortTest, RunsLargerThanMemorySpillToATemporaryFileThatIsRemoved) {
    // 2048-byte sort blocks: 512 entries a run, blocks of 185 entries of 11 bytes.
    ctx.sortBlockSize = 2048;
    SortContext s;
    std::vector<Entry> in = Make(5000, 3, 2);
    std::vector<Entry> got = Run(s, in, 3);
    EXPECT_EQ(spools, 10); // 5000 entries in runs of 512
    EXPECT_EQ(filesWhileDelivering, 1);
    EXPECT_EQ(TempFiles(), 0);
    ExpectSame(got, Expected(in));
    // The same order as a sort that fits in memory.
    ctx.sortBlockSize = 61440;
    SortContext big;
    std::vector<Entry> inMemory = Run(big, in, 3);
    EXPECT_EQ(spools, 0);
    ExpectSame(got, inMemory);
}

TEST_F(SortTest, ManySpoolsShareFewBlocksWhileMerging) {
    // 600 runs of 512 entries; the three entry blocks hold 555 entries, so the
    // merge takes one more block to give every spool a window.
    ctx.sortBlockSize = 2048;
    SortContext s;
    std::vector<Entry> in = Make(600 * 512, 3, 4);
    std::vector<Entry> got = Run(s, in, 3);
    EXPECT_EQ(spools, 600);
    EXPECT_EQ(blocks, 4u);
    EXPECT_EQ(TempFiles(), 0);
    ExpectSame(got, Expected(in));
}

TEST_F(SortTest, FreeBeforeTheEndRemovesTheSpools) {
    SortContext s;
    ASSERT_NO_FATAL_FAILURE(PutSpooled(s, 1000, "XYZ"));
    EXPECT_EQ(TempFiles(), 1);
    sortFree(&s);
    EXPECT_EQ(TempFiles(), 0);
}

TEST_F(SortTest, CallersCompareReplacesTheCollatingOne) {
    SortContext s;
    ASSERT_EQ(sortInit(&s, &ctx, 1, 0), 0);
    ASSERT_EQ(sortInitAlloc(&s), 0);
    s.compare = [](const void* a, const void* b, size_t) {
        return -(int(*static_cast<const unsigned char*>(a)) - int(*static_cast<const unsigned char*>(b)));
    };
    for (char c : std::string("BADC")) ASSERT_EQ(sortPut(&s, c, &c, nullptr), 0);
    std::string order;
    long rec = 0;
    while (sortGet(&s, &rec, nullptr, nullptr) == 0) order += char(rec);
    EXPECT_EQ(order, "DCBA");
}

TEST_F(SortTest, WithoutMoreMemoryThePointerTailHoldsEntries) {
    ctx.sortBlockSize = 4096; // 1024 pointers
    SortContext s;
    ASSERT_EQ(sortInit(&s, &ctx, 3, 4), 0);
    ASSERT_EQ(sortInitAlloc(&s), 0);
    std::vector<Entry> in = Make(2000, 3, 3);
    // Not even the first entry block can be had.
    sortFailNextAllocations(1);
    for (const Entry& e : in) ASSERT_EQ(sortPut(&s, e.rec, e.key.data(), e.extra.data()), 0);
    EXPECT_FALSE(s.mayGrow);
    EXPECT_TRUE(s.blocks.empty());
    // (1024 x 8 - 8) / (11 + 8) entries fit into the tail.
    EXPECT_EQ(s.capacity, 430);
    EXPECT_GT(s.spoolCount, 3);
    ASSERT_EQ(sortGetInit(&s), 0);
    std::vector<Entry> got;
    long rec = 0;
    const char *key = nullptr, *extra = nullptr;
    while (sortGet(&s, &rec, &key, &extra) == 0) got.push_back({std::string(key, 3), rec, std::string(extra, 4)});
    ExpectSame(got, Expected(in));
    EXPECT_EQ(ctx.errorCode, 0);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(SortTest, PointerArrayHalvesWhenMemoryIsShort) {
    SortContext s;
    ASSERT_EQ(sortInit(&s, &ctx, 2, 0), 0);
    // The write buffer comes through; two pointer arrays do not.
    sortFailNextAllocations(2, 1);
    ASSERT_EQ(sortInitAlloc(&s), 0);
    EXPECT_EQ(s.capacity, 15360 / 4);
    EXPECT_EQ(ctx.errorCode, 0);
    sortFree(&s);
}

TEST_F(SortTest, MemoryThatCannotBeHadIsReported) {
    SortContext s;
    ASSERT_EQ(sortInit(&s, &ctx, 2, 0), 0);
    sortFailNextAllocations(100);
    EXPECT_EQ(sortInitAlloc(&s), -920);
    EXPECT_EQ(ctx.errorCode, -920);
    ctx.errorCode = 0;
}

TEST_F(SortTest, BadPutsAreRefused) {
    SortContext s;
    ASSERT_EQ(sortInit(&s, &ctx, 2, 0), 0);
    ASSERT_EQ(sortInitAlloc(&s), 0);
    EXPECT_EQ(sortPut(&s, -1, "AB", nullptr), -930);
    ctx.errorCode = 0;
    EXPECT_EQ(sortPut(&s, 1, nullptr, nullptr), -930);
    EXPECT_EQ(fatal.size(), 2u);
    // In the error state nothing is done.
    EXPECT_EQ(sortPut(&s, 1, "AB", nullptr), -1410);
    ctx.errorCode = 0;
    sortFree(&s);
}

// The spool file reads as if its last bytes were cut off.
class CutFile : public FileSystemCalls {
public:
    ssize_t Pread(int fd, void* buf, size_t len, off_t pos) override {
        if (fd == target) {
            if (pos >= limit) return 0;
            if (pos + off_t(len) > limit) len = size_t(limit - pos);
        }
        return FileSystemCalls::Pread(fd, buf, len, pos);
    }
    int target = -1;
    off_t limit = 0;
};

TEST_F(SortTest, ASpoolReadEndingInsideAnEntryIsAReadError) {
    SortContext s;
    ASSERT_NO_FATAL_FAILURE(PutSpooled(s, 600, "ABC"));
    CutFile calls;
    calls.target = s.file.fd;
    // Two spools of 512 and 88 entries of 7 bytes; the second ends 3 bytes short.
    calls.limit = 600 * 7 - 3;
    setFileSystemCalls(&calls);
    int rc = sortGetInit(&s);
    setFileSystemCalls(nullptr);
    EXPECT_EQ(rc, -70);
    EXPECT_EQ(ctx.errorCode, -70);
    ctx.errorCode = 0;
    sortFree(&s);
    EXPECT_EQ(TempFiles(), 0);
}

} // namespace
} // namespace vx
