#include "dbase/data/MemoFile.h"

#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"

#include <map>
#include <random>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace vx {
namespace {

using test::Byte;
using test::Dword;
using test::Word;

class MemoTest : public test::EngineTest {
protected:
    void CreateMemo(const std::string& name = "MEMO.DBT") {
        ASSERT_EQ(memoFileCreate(&memo, &ctx, Path("ADRESSE.DBF"), Path(name)), 0);
    }
    void TearDown() override {
        memoFileClose(&memo);
        test::EngineTest::TearDown();
    }
    long Write(long block, const std::string& text) {
        EXPECT_EQ(memoFileWrite(&memo, &block, text.data(), uint32_t(text.size())), 0);
        return block;
    }
    std::string ReadBack(long block) {
        std::vector<char> buf;
        uint32_t len = 0;
        EXPECT_EQ(memoFileRead(&memo, block, buf, &len), 0);
        return std::string(buf.data(), len);
    }
    long Blocks() { return long(fileLen(&memo.file) / memo.blockSize); }
    MemoFile memo;
};

TEST_F(MemoTest, ANewMemoFileHasTheDocumentedHeader) {
    CreateMemo("ADRESSE.DBT");
    memoFileClose(&memo);
    std::string f = test::EngineTest::Read("ADRESSE.DBT");
    ASSERT_EQ(f.size(), 512u);
    EXPECT_EQ(f.substr(0, 24), std::string("\x01\0\0\0\0\0\0\0ADRESSE\0\0\0\x02\x01\0\x02\0\0", 24));
}

TEST_F(MemoTest, BlockSizeIsRaisedToAMultipleOf512) {
    ctx.memSizeBlock = 0;
    CreateMemo();
    EXPECT_EQ(memo.blockSize, 512);
    memoFileClose(&memo);
    ctx.memSizeBlock = 513;
    ASSERT_EQ(memoFileCreate(&memo, &ctx, "X.DBF", Path("B.DBT")), 0);
    EXPECT_EQ(memo.blockSize, 1024);
    EXPECT_EQ(ctx.memSizeBlock, 1024);
}

TEST_F(MemoTest, ContentsTakeWholeBlocks) {
    CreateMemo();
    long a = Write(0, std::string(504, 'a'));
    EXPECT_EQ(a, 1);
    EXPECT_EQ(Blocks(), 2);
    long b = Write(0, std::string(505, 'b'));
    EXPECT_EQ(b, 2);
    EXPECT_EQ(Blocks(), 4);
    EXPECT_EQ(ReadBack(a), std::string(504, 'a'));
    EXPECT_EQ(ReadBack(b), std::string(505, 'b'));
    std::string f = test::EngineTest::Read("MEMO.DBT");
    EXPECT_EQ(Word(f, 1024), 0xFFFFu);
    EXPECT_EQ(Word(f, 1026), 8u);
    EXPECT_EQ(Dword(f, 1028), 513u);
    // The chain's "free space at the end" moved with the file end.
    EXPECT_EQ(Dword(f, 0), 4u);
}

TEST_F(MemoTest, ShorterContentsKeepTheRunEnd) {
    CreateMemo();
    long a = Write(0, std::string(1500, 'a')); // 3 blocks: 1..3
    long end = Write(0, "tail");                // block 4
    long a2 = Write(a, "kurz");
    EXPECT_EQ(a2, a + 2);
    EXPECT_EQ(ReadBack(a2), "kurz");
    EXPECT_EQ(ReadBack(end), "tail");
    std::vector<MemoChainEntry> runs;
    long last = 0;
    ASSERT_EQ(memoFileFreeRuns(&memo, runs, &last), 0);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].block, 1);
    EXPECT_EQ(runs[0].count, 2);
    // A run used up exactly leaves the chain.
    long c = Write(0, std::string(600, 'c'));
    EXPECT_EQ(c, 1);
    ASSERT_EQ(memoFileFreeRuns(&memo, runs, &last), 0);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(last, Blocks());
    EXPECT_EQ(ReadBack(a2), "kurz");
}

TEST_F(MemoTest, EmptyContentsFreeTheRun) {
    CreateMemo();
    long a = Write(0, "eins");
    Write(0, "zwei");
    long gone = Write(a, "");
    EXPECT_EQ(gone, 0);
    std::vector<MemoChainEntry> runs;
    long last = 0;
    ASSERT_EQ(memoFileFreeRuns(&memo, runs, &last), 0);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].block, a);
    EXPECT_EQ(ReadBack(0), "");
}

TEST_F(MemoTest, ForeignAndCorruptBlocks) {
    CreateMemo();
    long a = Write(0, "inhalt");
    // A block that does not start with 0xFFFF reads as empty.
    std::string f = test::EngineTest::Read("MEMO.DBT");
    f[512] = 'x';
    memoFileClose(&memo);
    test::EngineTest::Write("MEMO.DBT", f);
    ASSERT_EQ(memoFileOpen(&memo, &ctx, Path("MEMO.DBT"), false), 0);
    EXPECT_EQ(ReadBack(a), "");
    // A length word of 0xFFFFFFFF, and a block past the end, are errors, not a crash.
    f[512] = char(0xFF);
    f[516] = f[517] = f[518] = f[519] = char(0xFF);
    memoFileClose(&memo);
    test::EngineTest::Write("MEMO.DBT", f);
    ASSERT_EQ(memoFileOpen(&memo, &ctx, Path("MEMO.DBT"), false), 0);
    ctx.errOff = 1;
    std::vector<char> buf;
    uint32_t len = 7;
    EXPECT_EQ(memoFileRead(&memo, a, buf, &len), -1110);
    EXPECT_EQ(len, 0u);
    ctx.errorCode = 0;
    EXPECT_EQ(memoFileRead(&memo, 99, buf, &len), -1110);
    EXPECT_TRUE(fatal.empty());
    ctx.errorCode = 0;
}

TEST_F(MemoTest, BlockSizeZeroInAFileIsAnError) {
    CreateMemo();
    memoFileClose(&memo);
    std::string f = test::EngineTest::Read("MEMO.DBT");
    f[20] = f[21] = 0;
    test::EngineTest::Write("MEMO.DBT", f);
    ctx.errOff = 1;
    EXPECT_EQ(memoFileOpen(&memo, &ctx, Path("MEMO.DBT"), false), -1110);
    EXPECT_TRUE(fatal.empty());
    ctx.errorCode = 0;
    memoFileClose(&memo);
    // dBASE III memo files always have 512-byte blocks.
    EXPECT_EQ(memoFileOpen(&memo, &ctx, Path("MEMO.DBT"), true), 0);
    EXPECT_EQ(memo.blockSize, 512);
}

TEST_F(MemoTest, DBaseThreeContentsEndAtTheFirst0x1A) {
    std::string f(512, '\0');
    f[0] = 2;
    f += "alter Text\x1A\x1A";
    f.resize(1024, '\0');
    test::EngineTest::Write("OLD.DBT", f);
    ASSERT_EQ(memoFileOpen(&memo, &ctx, Path("OLD.DBT"), true), 0);
    EXPECT_EQ(ReadBack(1), "alter Text");
}

// Texts that begin like a dBASE IV block header stay text in a dBASE III file,
// both as written by another program and as written here.
TEST_F(MemoTest, DBaseThreeTextsThatLookLikeABlockHeaderReadWhole) {
    const std::string texts[] = {
        "\xFF\xFF Hallo Welt",
        // Header, data offset 8 and a length of 10: read as a header it
        // would give two bytes.
        std::string("\xFF\xFF\x08\x00\x0A\x00\x00\x00" "abcdefgh", 16),
        // A length past the file's end.
        std::string("\xFF\xFF\x08\x00\xFF\xFF\xFF\x7F", 8) + std::string(600, 'z'),
    };
    std::string f(512, '\0');
    f[0] = 2;
    for (const std::string& text : texts) {
        f += text + "\x1A\x1A";
        f.resize((f.size() + 511) / 512 * 512, '\0');
    }
    test::EngineTest::Write("OLD.DBT", f);
    ctx.errOff = 1;
    ASSERT_EQ(memoFileOpen(&memo, &ctx, Path("OLD.DBT"), true), 0);
    EXPECT_EQ(ReadBack(1), texts[0]);
    EXPECT_EQ(ReadBack(2), texts[1]);
    EXPECT_EQ(ReadBack(3), texts[2]);
    for (const std::string& text : texts) {
        long block = 0;
        ASSERT_EQ(memoFileWrite(&memo, &block, text.data(), uint32_t(text.size())), 0);
        EXPECT_EQ(ReadBack(block), text);
    }
    EXPECT_EQ(ctx.errorCode, 0);
}

// Every free block is reached once along the chain, and no memo block is.
void CheckChain(MemoFile* memo, const std::map<long, long>& used) {
    std::vector<MemoChainEntry> runs;
    long end = 0;
    ASSERT_EQ(memoFileFreeRuns(memo, runs, &end), 0);
    long blocks = long(fileLen(&memo->file) / memo->blockSize);
    ASSERT_EQ(end, blocks);
    std::vector<int> owner(size_t(blocks), 0);
    owner[0] = 3;
    for (auto [b, n] : used)
        for (long i = b; i < b + n; ++i) {
            ASSERT_LT(i, blocks);
            ASSERT_EQ(owner[size_t(i)], 0) << "memos overlap at block " << i;
            owner[size_t(i)] = 1;
        }
    for (const auto& r : runs)
        for (long i = r.block; i < r.block + r.count; ++i) {
            ASSERT_LT(i, blocks);
            ASSERT_EQ(owner[size_t(i)], 0) << "chain reaches used block " << i;
            owner[size_t(i)] = 2;
        }
    for (long i = 1; i < blocks; ++i) ASSERT_NE(owner[size_t(i)], 0) << "block " << i << " is lost";
}

TEST_F(MemoTest, RandomWritesRewritesAndDeletionsKeepTheChainSound) {
    CreateMemo();
    std::mt19937 rng(4711);
    std::map<int, std::pair<long, std::string>> memos; // slot -> block, contents
    for (int step = 0; step < 1500; ++step) {
        int slot = int(rng() % 40);
        size_t len = rng() % 5 == 0 ? 0 : rng() % 3000;
        std::string text(len, char('a' + step % 26));
        auto& m = memos[slot];
        long block = m.first;
        ASSERT_EQ(memoFileWrite(&memo, &block, text.data(), uint32_t(len)), 0);
        m = {block, text};
        std::map<long, long> used;
        for (auto& [s, v] : memos)
            if (v.first > 0) used[v.first] = long((v.second.size() + 8 + 511) / 512);
        CheckChain(&memo, used);
        if (HasFatalFailure()) return;
    }
    for (auto& [s, v] : memos) EXPECT_EQ(ReadBack(v.first), v.second);
}

TEST_F(MemoTest, TwoProcessesWritingAtOnceNeverShareABlock) {
    const FieldInfo fields[] = {{"ID", 'N', 6, 0, 0}, {"TEXT", 'M', 10, 0, 0}, {}};
    TableHandle* t = tableCreate(&ctx, Path("BOTH"), fields);
    ASSERT_NE(t, nullptr);
    tableClose(t);
    auto worker = [&](int base) {
        EngineContext c;
        engineInit(&c);
        TableHandle* h = tableOpen(&c, Path("BOTH"));
        if (!h) return 1;
        for (int i = 0; i < 150; ++i) {
            tableAppendStart(h, false);
            tableBlank(h);
            fieldAssignLong(tableField(h, "ID"), base + i);
            std::string text(size_t(100 + (i * 37) % 1500), char('A' + (base + i) % 26));
            fieldMemoAssignN(tableField(h, "TEXT"), text.data(), uint32_t(text.size()));
            if (tableAppend(h) != 0) return 2;
            // Rewrite some with other lengths, freeing and reusing runs.
            if (i % 3 == 0) {
                std::string other(size_t(50 + (i * 91) % 2000), char('a' + (base + i) % 26));
                fieldMemoAssignN(tableField(h, "TEXT"), other.data(), uint32_t(other.size()));
                if (tableUpdateRecord(h, true) != 0) return 3;
            }
        }
        tableClose(h);
        engineInitUndo(&c);
        return 0;
    };
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(worker(100000));
    int mine = worker(200000);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_EQ(mine, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    t = tableOpen(&ctx, Path("BOTH"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(tableRecCount(t), 300);
    std::map<long, long> used;
    for (long r = 1; r <= 300; ++r) {
        ASSERT_EQ(tableGo(t, r), 0);
        long id = fieldLong(tableField(t, "ID"));
        int i = int(id % 100000);
        Field* f = tableField(t, "TEXT");
        std::string want = i % 3 == 0 ? std::string(size_t(50 + (i * 91) % 2000), char('a' + id % 26))
                                      : std::string(size_t(100 + (i * 37) % 1500), char('A' + id % 26));
        EXPECT_EQ(std::string(fieldMemoPtr(f), fieldMemoLen(f)), want) << "record " << r;
        used[fieldLong(f)] = long((want.size() + 8 + 511) / 512);
    }
    CheckChain(&t->file->memo, used);
    tableClose(t);
}

// A record rewrite killed before any of its writes: the record shows its old
// or its new contents, and never points at a free block.
TEST_F(MemoTest, ARewriteKilledAtAnyWriteLeavesNoRecordOnAFreeBlock) {
    const FieldInfo fields[] = {{"N", 'C', 4, 0, 0}, {"M", 'M', 10, 0, 0}, {}};
    const std::string big(600, 'g'), huge(1500, 'h');
    struct Case {
        std::string from, to;
    };
    const Case cases[] = {{"kurz", big}, {big, "kurz"}, {big, huge}, {huge, big}, {big, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from.size() * 10000 + c.to.size());
        std::remove(Path("T.DBF").c_str());
        std::remove(Path("T.DBT").c_str());
        TableHandle* t = tableCreate(&ctx, Path("T"), fields);
        ASSERT_NE(t, nullptr);
        auto memoOf = [&](long r) { return r == 2 ? c.from : "memo " + std::to_string(r); };
        for (long r = 1; r <= 3; ++r) {
            ASSERT_EQ(tableAppendStart(t, false), 0);
            std::string text = memoOf(r);
            fieldMemoAssignN(tableField(t, "M"), text.data(), uint32_t(text.size()));
            ASSERT_EQ(tableAppend(t), 0);
        }
        ASSERT_EQ(tableClose(t), 0);
        const std::string dbf = Read("T.DBF"), dbt = Read("T.DBT");
        int deaths = 0;
        for (long n = 1; n < 100; ++n) {
            test::EngineTest::Write("T.DBF", dbf);
            test::EngineTest::Write("T.DBT", dbt);
            bool died = test::DiesAtWrite(n, [&](const std::function<void()>& arm) {
                EngineContext k;
                engineInit(&k);
                TableHandle* w = tableOpen(&k, Path("T"));
                if (!w || tableGo(w, 2) != 0) ::_exit(2);
                fieldMemoAssignN(tableField(w, "M"), c.to.data(), uint32_t(c.to.size()));
                arm();
                if (tableFlush(w) != 0) ::_exit(3);
            });
            t = tableOpen(&ctx, Path("T"));
            ASSERT_NE(t, nullptr);
            std::vector<MemoChainEntry> runs;
            long end = 0;
            ASSERT_EQ(memoFileFreeRuns(&t->file->memo, runs, &end), 0);
            long fileBlocks = long(fileLen(&t->file->memo.file) / t->file->memo.blockSize);
            for (long r = 1; r <= 3; ++r) {
                ASSERT_EQ(tableGo(t, r), 0);
                Field* m = tableField(t, "M");
                long block = std::atol(std::string(tableRecord(t) + m->offset, m->len).c_str());
                std::string text(fieldMemoPtr(m), fieldMemoLen(m));
                if (r == 2) EXPECT_TRUE(text == c.from || text == c.to) << "write " << n << ": " << text.size();
                else EXPECT_EQ(text, memoOf(r)) << "write " << n;
                if (block == 0) continue;
                EXPECT_LT(block, fileBlocks) << "write " << n;
                for (const auto& run : runs)
                    EXPECT_FALSE(block >= run.block && block < run.block + run.count)
                        << "record " << r << " on free block " << block << ", write " << n;
            }
            // The chain stays sound for the next writer.
            for (const std::string& more : {std::string("danach"), std::string(1100, 'd')}) {
                ASSERT_EQ(tableAppendStart(t, false), 0);
                fieldMemoAssignN(tableField(t, "M"), more.data(), uint32_t(more.size()));
                ASSERT_EQ(tableAppend(t), 0) << "write " << n;
            }
            ASSERT_EQ(tableClose(t), 0);
            if (!died) break;
            ++deaths;
            if (HasFailure()) break;
        }
        EXPECT_GE(deaths, 2);
    }
}

// The runs kept between writes are the chain on disk after every write,
// whether runs are freed at once or after the record is written.
TEST_F(MemoTest, TheKeptChainIsAlwaysTheChainOnDisk) {
    CreateMemo();
    std::mt19937 rng(815);
    std::vector<long> blocks(30, 0);
    for (int step = 0; step < 800; ++step) {
        long& block = blocks[rng() % blocks.size()];
        std::string text(rng() % 4 == 0 ? 0 : rng() % 2500, char('a' + step % 26));
        std::vector<MemoRun> later;
        bool putOff = rng() % 2 == 0;
        ASSERT_EQ(memoFileWrite(&memo, &block, text.data(), uint32_t(text.size()), putOff ? &later : nullptr), 0);
        ASSERT_EQ(memoFileRelease(&memo, later), 0);
        std::vector<MemoChainEntry> disk;
        long end = 0;
        ASSERT_EQ(memoFileFreeRuns(&memo, disk, &end), 0);
        ASSERT_TRUE(memo.chain.valid);
        ASSERT_EQ(memo.chain.runs.size(), disk.size()) << "step " << step;
        for (size_t i = 0; i < disk.size(); ++i) {
            ASSERT_EQ(memo.chain.runs[i].block, disk[i].block) << "step " << step;
            ASSERT_EQ(memo.chain.runs[i].count, disk[i].count) << "step " << step;
        }
        ASSERT_EQ(memo.chain.tail, end);
    }
}

// Another writer takes a free run in the middle of the chain: the head and
// the file length stay, and only the change counter tells the first writer
// that the runs it kept are gone.
TEST_F(MemoTest, AnotherWritersChangeIsSeenWhenHeadAndLengthStay) {
    CreateMemo();
    const std::string one(100, '1'), three(1200, '3');
    long a = Write(0, one), b = Write(0, three), c = Write(0, one), d = Write(0, one);
    ASSERT_EQ(std::vector<long>({a, b, c, d}), std::vector<long>({1, 2, 5, 6}));
    a = Write(a, "");
    b = Write(b, "");
    ASSERT_EQ(memo.chain.runs.size(), 2u);
    const int64_t length = fileLen(&memo.file);
    const std::string head = Read("MEMO.DBT").substr(0, 4);

    EngineContext other;
    ASSERT_EQ(engineInit(&other), 0);
    MemoFile second;
    ASSERT_EQ(memoFileOpen(&second, &other, Path("MEMO.DBT"), false), 0);
    long theirs = 0;
    const std::string their(1100, 'B');
    ASSERT_EQ(memoFileWrite(&second, &theirs, their.data(), uint32_t(their.size())), 0);
    EXPECT_EQ(theirs, 2);
    EXPECT_EQ(fileLen(&memo.file), length);
    EXPECT_EQ(Read("MEMO.DBT").substr(0, 4), head);

    long mine = Write(0, std::string(1150, 'A'));
    EXPECT_EQ(mine, 7) << "the run the other writer took was handed out again";
    EXPECT_EQ(ReadBack(theirs), their);
    std::map<long, long> used{{c, 1}, {d, 1}, {theirs, 3}, {mine, 3}};
    CheckChain(&memo, used);
    memoFileClose(&second);
    engineInitUndo(&other);
}

// A fresh handle reads a chain that spans many read windows, and a damaged
// entry in it stops only the writes that would have to pass it.
TEST_F(MemoTest, AChainReadInWindowsStopsAtADamagedEntry) {
    CreateMemo();
    std::vector<long> blocks;
    for (int i = 0; i < 600; ++i) blocks.push_back(Write(0, std::string(100, char('a' + i % 26))));
    for (int i = 598; i >= 0; i -= 2) Write(blocks[size_t(i)], "");
    long twoBlocks = Write(0, std::string(600, 'z'));
    Write(twoBlocks, "");
    memoFileClose(&memo);
    const std::string sound = Read("MEMO.DBT");
    ASSERT_GT(sound.size(), 4 * 65536u);

    auto fresh = [&](const std::string& bytes, MemoFile* m) {
        test::EngineTest::Write("MEMO.DBT", bytes);
        return memoFileOpen(m, &ctx, Path("MEMO.DBT"), false);
    };
    MemoFile a;
    ASSERT_EQ(fresh(sound, &a), 0);
    long at = 0;
    const std::string three(1200, 't');
    ASSERT_EQ(memoFileWrite(&a, &at, three.data(), uint32_t(three.size())), 0);
    EXPECT_EQ(at, long(sound.size() / 512));
    std::vector<MemoChainEntry> disk;
    long end = 0;
    ASSERT_EQ(memoFileFreeRuns(&a, disk, &end), 0);
    ASSERT_EQ(a.chain.runs.size(), disk.size());
    EXPECT_EQ(disk.size(), 301u);
    for (size_t k = 0; k < disk.size(); ++k) EXPECT_EQ(a.chain.runs[k].block, disk[k].block);
    memoFileClose(&a);

    // The 200th free run claims 127 blocks, over the memos behind it.
    std::string damaged = sound;
    long bad = blocks[398];
    damaged[size_t(bad) * 512 + 4] = char(0x7F);
    MemoFile b;
    ASSERT_EQ(fresh(damaged, &b), 0);
    long one = 0;
    ASSERT_EQ(memoFileWrite(&b, &one, "kurz", 4), 0);
    EXPECT_EQ(one, blocks[0]);
    ctx.errOff = 1;
    long big = 0;
    const std::string before = Read("MEMO.DBT");
    EXPECT_EQ(memoFileWrite(&b, &big, three.data(), uint32_t(three.size())), e4memoCorrupt);
    EXPECT_EQ(big, 0);
    EXPECT_TRUE(Read("MEMO.DBT") == before);
    ctx.errorCode = 0;
    memoFileClose(&b);
}

} // namespace
} // namespace vx
