#include "dbase/index/IndexFile.h"

#include "testsupport/dbase/IndexTestSupport.h"
#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"
#include "dbase/expr/ExprTableHandle.h"
#include "dbase/index/KeyWrite.h"
#include "dbase/index/TagFile.h"
#include "platform/NumText.h"

namespace vx {
namespace {

using test::Byte;
using test::Dword;
using test::Word;

using test::IndexTest;

// A little-endian number of one, two or four bytes at its offset: a run of
// header fields reads as one list.
struct Number {
    size_t at;
    int bytes;
    unsigned long value;
};

void ExpectNumbers(const std::string& f, std::initializer_list<Number> numbers) {
    for (const Number& n : numbers) {
        unsigned long got = n.bytes == 1 ? Byte(f, n.at) : n.bytes == 2 ? Word(f, n.at) : Dword(f, n.at);
        EXPECT_EQ(got, n.value) << "at " << n.at;
    }
}

TEST_F(IndexTest, AnEmptyProductionIndexHasTheDocumentedLayout) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->indexes.size(), 1u);
    EXPECT_EQ(tableClose(t), 0);
    std::string m = Read("ADRESSE.MDX");
    ASSERT_EQ(m.size(), 6144u);
    EXPECT_EQ(Byte(m, 0), 2u);
    EXPECT_EQ(m.substr(4, 16), std::string("ADRESSE\0\0\0\0\0\0\0\0\0", 16));
    ExpectNumbers(m, {{20, 2, 2}, {22, 2, 1024}, {24, 1, 1}, {25, 1, 48},
                      {26, 2, 32}, {28, 2, 2}, {32, 4, 12}, {36, 4, 0}});
    EXPECT_EQ(m.substr(1, 3), m.substr(44, 3));
    EXPECT_EQ(Byte(m, 47), 0u); // no change under way
    for (size_t i = 48; i < 544; ++i) ASSERT_EQ(Byte(m, i), i == 529 ? 1u : 0u) << i;
    // Tag table: PRIMARY is the root of the name tree, SOUND sorts after it.
    EXPECT_EQ(Dword(m, 544), 4u);
    EXPECT_EQ(m.substr(548, 10), std::string("PRIMARY\0\0\0", 10));
    ExpectNumbers(m, {{558, 2, 0x1000}, {560, 1, 0}, {561, 1, 2}, {562, 1, 0}, {563, 1, 2}});
    EXPECT_EQ(m[564], 'C');
    EXPECT_EQ(Dword(m, 576), 6u);
    EXPECT_EQ(m.substr(580, 10), std::string("SOUND\0\0\0\0\0", 10));
    ExpectNumbers(m, {{592, 1, 0}, {593, 1, 0}, {594, 1, 1}});
    EXPECT_EQ(Byte(m, 596), 'C');
    for (size_t i = 608; i < 2048; ++i) ASSERT_EQ(Byte(m, i), 0u) << i;
    // Tag headers.
    EXPECT_EQ(Dword(m, 2048), 8u);
    EXPECT_EQ(Byte(m, 2056), 0x10u);
    EXPECT_EQ(m[2057], 'C');
    EXPECT_EQ(Word(m, 2060), 10u);
    EXPECT_EQ(Word(m, 2062), 63u);
    EXPECT_EQ(Word(m, 2066), 16u);
    EXPECT_EQ(Word(m, 2070), 0u);
    EXPECT_EQ(m.substr(2072, 6), std::string("MATCH\0", 6));
    EXPECT_EQ(Byte(m, 2048 + 245), 0u);
    EXPECT_EQ(Dword(m, 3072), 10u);
    EXPECT_EQ(m.substr(3072 + 24, 11), std::string("NAME1_SOUN\0", 11));
    // The roots are empty leaves.
    EXPECT_EQ(m.substr(4096), std::string(2048, '\0'));
    std::string d = Read("ADRESSE.DBF");
    EXPECT_EQ(Byte(d, 28) & 1u, 1u);
    EXPECT_EQ(Byte(d, 63), 1u);
    EXPECT_EQ(Byte(d, 159), 1u);
    EXPECT_EQ(Byte(d, 95), 0u);

    // Opened again with the table; an empty tag seeks to the end.
    t = tableOpen(&ctx, Path("ADRESSE"));
    ASSERT_NE(t, nullptr);
    ASSERT_NE(Tag(t, "primary"), nullptr);
    tableTagSelect(t, tableTag(t, "PRIMARY"));
    EXPECT_EQ(tableSeek(t, "X"), r4eof);
    EXPECT_EQ(TagRecNo(Tag(t, "PRIMARY")), 0);
    EXPECT_EQ(TagPosition(Tag(t, "PRIMARY")), 0.0);
    EXPECT_EQ(tableTop(t), r4eof);
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(IndexTest, ARebuildFillsLeavesAndNeverLeavesAnEmptyOne) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < 100; ++i) Append(t, Format("M%03d", 99 - i).c_str());
    ASSERT_EQ(tableReindex(t), 0);
    ASSERT_EQ(tableClose(t), 0);
    std::string m = Read("ADRESSE.MDX");
    ASSERT_EQ(m.size(), 8192u);
    EXPECT_EQ(Dword(m, 2048), 12u);
    EXPECT_EQ(Dword(m, 3072), 14u);
    EXPECT_EQ(Word(m, 8 * 512), 63u);
    EXPECT_EQ(Word(m, 10 * 512), 37u);
    EXPECT_EQ(Word(m, 12 * 512), 1u);
    EXPECT_EQ(Dword(m, 12 * 512 + 8), 8u);
    EXPECT_EQ(m.substr(12 * 512 + 12, 10), "M062      ");
    EXPECT_EQ(Dword(m, 12 * 512 + 8 + 16), 10u);
    EXPECT_EQ(Word(m, 14 * 512), 100u);
    // Leaf entries: record number, then the key; ties in record order.
    EXPECT_EQ(Dword(m, 8 * 512 + 8), 100u);
    EXPECT_EQ(m.substr(8 * 512 + 12, 10), "M000      ");
    EXPECT_EQ(Dword(m, 14 * 512 + 8), 1u);
    EXPECT_EQ(Dword(m, 14 * 512 + 8 + 8), 2u);

    // Exactly one leaf's worth: a single full root leaf.
    std::filesystem::remove(Path("ADRESSE.DBF"));
    std::filesystem::remove(Path("ADRESSE.MDX"));
    t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < 63; ++i) Append(t, Format("M%03d", i).c_str());
    ASSERT_EQ(tableReindex(t), 0);
    ASSERT_EQ(tableClose(t), 0);
    m = Read("ADRESSE.MDX");
    ASSERT_EQ(m.size(), 6144u);
    EXPECT_EQ(Dword(m, 2048), 8u);
    EXPECT_EQ(Word(m, 8 * 512), 63u);
    t = tableOpen(&ctx, Path("ADRESSE"));
    ASSERT_NE(t, nullptr);
    tableTagSelect(t, tableTag(t, "PRIMARY"));
    EXPECT_EQ(tableSeek(t, "M062"), 0);
    EXPECT_EQ(tableRecNo(t), 63);
    EXPECT_EQ(tableSkip(t, 1), r4eof);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(IndexTest, SkipCountsAndPositionFractions) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    for (const char* m : {"D", "B", "A", "C"}) Append(t, m);
    TagFile* tag = Tag(t, "PRIMARY");
    ASSERT_EQ(TagTop(tag), 0);
    EXPECT_EQ(TagSkip(tag, 2), 2);
    EXPECT_DOUBLE_EQ(TagPosition(tag), 0.625);
    EXPECT_EQ(TagSkip(tag, -2), -2);
    EXPECT_EQ(TagPosition(tag), 0.0);
    EXPECT_EQ(TagSkip(tag, 5), 3);
    EXPECT_EQ(TagRecNo(tag), 1); // "D"
    EXPECT_EQ(TagPosition(tag), 1.0);
    EXPECT_EQ(TagSkip(tag, -9), -3);
    EXPECT_EQ(TagRecNo(tag), 3);
    ASSERT_EQ(TagEof(tag), r4eof);
    EXPECT_TRUE(TagIsEof(tag));

    // Through the table: tag order, seeks, seek-next over equal keys.
    tableTagSelect(t, tableTag(t, "PRIMARY"));
    ASSERT_EQ(tableTop(t), 0);
    std::string order;
    do order += fieldStr(tableField(t, "MATCH"))[0];
    while (tableSkip(t, 1) == 0);
    EXPECT_EQ(order, "ABCD");
    EXPECT_TRUE(tableEof(t));
    EXPECT_EQ(tableSkip(t, -1), 0);
    EXPECT_EQ(fieldStr(tableField(t, "MATCH"))[0], 'D');
    EXPECT_EQ(tableSkip(t, -10), r4bof);
    EXPECT_EQ(fieldStr(tableField(t, "MATCH"))[0], 'A');
    EXPECT_EQ(tableSeek(t, "BB"), r4after);
    EXPECT_EQ(fieldStr(tableField(t, "MATCH"))[0], 'C');
    EXPECT_EQ(tableSeek(t, "Z"), r4eof);
    tableTagSelect(t, tableTag(t, "SOUND"));
    ASSERT_EQ(tableSeek(t, "S"), 0);
    long first = tableRecNo(t);
    EXPECT_EQ(first, 4);
    std::vector<long> seen{first};
    while (tableSeekNext(t, "S") == 0) seen.push_back(tableRecNo(t));
    // Keys added one by one go before their equals.
    EXPECT_EQ(seen, (std::vector<long>{4, 3, 2, 1}));
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(IndexTest, CreateRefusesBadTagsAndSmallBlocks) {
    const FieldInfo fields[] = {{"NAME", 'C', 200, 0, 0}, {"FLAG", 'L', 0, 0, 0}, {}};
    // Fewer than three keys to a block.
    const TagInfo tooLong[] = {{"BIG", "NAME+NAME", nullptr, 0, 0}, {}};
    EXPECT_EQ(tableCreate(&ctx, Path("A"), fields, tooLong), nullptr);
    EXPECT_EQ(ctx.errorCode, e4tagInfo);
    ctx.errorCode = 0;
    const TagInfo three[] = {{"BIG", "NAME+LEFT(NAME,100)", nullptr, 0, 0}, {}};
    TableHandle* t = tableCreate(&ctx, Path("B"), fields, three);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(Tag(t, "BIG")->keysMax, 3);
    EXPECT_EQ(tableClose(t), 0);
    const TagInfo logical[] = {{"L", "FLAG", nullptr, 0, 0}, {}};
    EXPECT_EQ(tableCreate(&ctx, Path("C"), fields, logical), nullptr);
    EXPECT_EQ(ctx.errorCode, e4index);
    ctx.errorCode = 0;
    const TagInfo badUnique[] = {{"U", "NAME", nullptr, 7, 0}, {}};
    EXPECT_EQ(tableCreate(&ctx, Path("D"), fields, badUnique), nullptr);
    ctx.errorCode = 0;
    const TagInfo badDescending[] = {{"U", "NAME", nullptr, 0, 1}, {}};
    EXPECT_EQ(tableCreate(&ctx, Path("E"), fields, badDescending), nullptr);
    ctx.errorCode = 0;
    // Keys and filters with text left over.
    const TagInfo trailingKey[] = {{"T", "NAME)", nullptr, 0, 0}, {}};
    EXPECT_EQ(tableCreate(&ctx, Path("I"), fields, trailingKey), nullptr);
    EXPECT_EQ(ctx.errorCode, -480);
    ctx.errorCode = 0;
    const TagInfo trailingFilter[] = {{"T", "NAME", "FLAG, NAME", 0, 0}, {}};
    EXPECT_EQ(tableCreate(&ctx, Path("J"), fields, trailingFilter), nullptr);
    EXPECT_EQ(ctx.errorCode, -480);
    ctx.errorCode = 0;
    const TagInfo plain[] = {{"N", "NAME", nullptr, 0, 0}, {}};
    ctx.indexBlockSize = 512;
    EXPECT_EQ(tableCreate(&ctx, Path("F"), fields, plain), nullptr);
    EXPECT_FALSE(std::filesystem::exists(Path("F.MDX")));
    ctx.errorCode = 0;
    ctx.indexBlockSize = 2048;
    t = tableCreate(&ctx, Path("G"), fields, plain);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(Tag(t, "N")->keysMax, (2048 - 12) / 204);
    EXPECT_EQ(tableClose(t), 0);
    EXPECT_EQ(Read("G.MDX").size(), 2048u + 2 * 2048);
    // 48 tags are too many.
    std::vector<std::string> names;
    std::vector<TagInfo> many;
    for (int i = 0; i < 48; ++i) names.push_back(Format("T%d", i));
    for (auto& n : names) many.push_back({n.c_str(), "NAME", nullptr, 0, 0});
    many.push_back({});
    ctx.indexBlockSize = 1024;
    EXPECT_EQ(tableCreate(&ctx, Path("H"), fields, many.data()), nullptr);
    EXPECT_TRUE(fatal.empty());
}

TEST_F(IndexTest, OpenRefusesBadHeadersAndUnknownKeyTypes) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    Append(t, "A");
    ASSERT_EQ(tableClose(t), 0);
    std::string good = Read("ADRESSE.MDX");
    auto tryOpen = [&](std::string bytes) {
        Write("ADRESSE.MDX", bytes);
        ctx.errorCode = 0;
        TableHandle* h = tableOpen(&ctx, Path("ADRESSE"));
        int code = ctx.errorCode;
        if (h) tableClose(h);
        ctx.errorCode = 0;
        return code;
    };
    std::string bad = good;
    bad[20] = 64, bad[22] = 0, bad[23] = 0x80;
    EXPECT_EQ(tryOpen(bad), e4index);
    bad = good;
    bad[22] = 0, bad[23] = 3;
    EXPECT_EQ(tryOpen(bad), e4index);
    bad = good;
    bad[2048 + 9] = 'X';
    EXPECT_EQ(tryOpen(bad), e4index);
    bad = good;
    bad[2048 + 12] = 11;
    EXPECT_EQ(tryOpen(bad), e4index);
    // "MATCH)" as a stored key.
    bad = good;
    bad[2048 + 24 + 5] = ')';
    EXPECT_EQ(tryOpen(bad), -480);
    EXPECT_EQ(tryOpen(good), 0);
    EXPECT_TRUE(fatal.empty());
}

TEST_F(IndexTest, SecondHandleSharesTheStateAndTwiceIsRefused) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(indexOpen(t, nullptr), nullptr);
    EXPECT_EQ(ctx.errorCode, e4instance);
    ctx.errorCode = 0;
    const TagInfo one[] = {{"X", "MATCH", nullptr, 0, 0}, {}};
    EXPECT_EQ(indexCreate(t, Path(std::string(251, 'N')).c_str(), one), nullptr);
    EXPECT_EQ(ctx.errorCode, e4name);
    ctx.errorCode = 0;
    EXPECT_EQ(indexCreate(t, Path("adresse.mdx").c_str(), one), nullptr);
    EXPECT_EQ(ctx.errorCode, e4name);
    ctx.errorCode = 0;
    // Inside a transaction nothing closes.
    ctx.tranState = 120;
    EXPECT_EQ(indexClose(t->indexes[0]), e4trans);
    EXPECT_EQ(t->indexes.size(), 1u);
    ctx.tranState = 0;
    ctx.errorCode = 0;
    ASSERT_EQ(tableClose(t), 0);
    ctx.singleOpen = 0;
    TableHandle* a = tableOpen(&ctx, Path("ADRESSE"));
    TableHandle* b = tableOpen(&ctx, Path("ADRESSE"));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->indexes[0]->state, b->indexes[0]->state);
    EXPECT_EQ(a->indexes[0]->state->openCount, 2);
    Append(a, "AAA");
    tableTagSelect(b, tableTag(b, "PRIMARY"));
    EXPECT_EQ(tableSeek(b, "AAA"), 0);
    EXPECT_EQ(tableClose(a), 0);
    EXPECT_EQ(tableSeek(b, "AAA"), 0);
    EXPECT_EQ(tableClose(b), 0);
}

TEST_F(IndexTest, BcdAndDateKeysCompareAsNumbers) {
    const FieldInfo fields[] = {{"N", 'N', 10, 2, 0}, {"D", 'D', 0, 0, 0}, {}};
    const TagInfo tags[] = {{"NUM", "N", nullptr, 0, 0}, {"DAY", "D", nullptr, 0, 0},
                            {"DOWN", "N", nullptr, 0, 10}, {}};
    TableHandle* t = tableCreate(&ctx, Path("NUMS"), fields, tags);
    ASSERT_NE(t, nullptr);
    const char* values[] = {"-2", "10", "-1", "1.5", "0", "-0", "1.50", "-10.25"};
    const char* days[] = {"20240301", "19991231", "        ", "20240229", "18000101", "20240301", "19991231", "20000101"};
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(tableAppendStart(t, false), 0);
        ASSERT_EQ(tableBlank(t), 0);
        ASSERT_EQ(fieldAssign(tableField(t, "N"), values[i]), 0);
        ASSERT_EQ(fieldAssign(tableField(t, "D"), days[i]), 0);
        ASSERT_EQ(tableAppend(t), 0);
    }
    auto walk = [&](const char* tag, const char* field) {
        tableTagSelect(t, tableTag(t, tag));
        std::string out;
        for (int rc = tableTop(t); rc == 0; rc = tableSkip(t, 1)) {
            std::string v = fieldStr(tableField(t, field));
            if (field[0] == 'N') v = Format("%.2f", fieldDouble(tableField(t, field)) + 0.0);
            out += (v == "        " ? "-" : v) + "|";
        }
        return out;
    };
    EXPECT_EQ(walk("NUM", "N"), "-10.25|-2.00|-1.00|0.00|0.00|1.50|1.50|10.00|");
    EXPECT_EQ(walk("DOWN", "N"), "10.00|1.50|1.50|0.00|0.00|-1.00|-2.00|-10.25|");
    EXPECT_EQ(walk("DAY", "D"), "18000101|19991231|19991231|20000101|20240229|20240301|20240301|-|");
    tableTagSelect(t, tableTag(t, "NUM"));
    // Equal numbers in other spellings share a key; the later record comes first.
    EXPECT_EQ(tableSeek(t, "1.5"), 0);
    EXPECT_EQ(tableRecNo(t), 7);
    EXPECT_EQ(tableSeek(t, "-0"), 0);
    EXPECT_EQ(tableRecNo(t), 6);
    EXPECT_EQ(tableSeek(t, "5"), r4after);
    EXPECT_EQ(tableRecNo(t), 2);
    tableTagSelect(t, tableTag(t, "DAY"));
    EXPECT_EQ(tableSeek(t, "20240229"), 0);
    EXPECT_EQ(tableRecNo(t), 4);
    EXPECT_EQ(tableSeek(t, "        "), 0);
    EXPECT_EQ(tableRecNo(t), 3);
    TagFile* day = tableTag(t, "DAY")->tagFile;
    double a = 2451545.0, b = a + 1e-14, c = a + 1.0;
    EXPECT_EQ(day->Compare(&a, &b, 8), 0);
    EXPECT_LT(day->Compare(&a, &c, 8), 0);
    EXPECT_EQ(tableClose(t), 0);
}


TEST_F(IndexTest, ABlockInsertStopsAtTheBlockEnd) {
    const FieldInfo fields[] = {{"D", 'D', 0, 0, 0}, {}};
    const TagInfo tags[] = {{"DAY", "D", nullptr, 0, 0}, {}};
    TableHandle* t = tableCreate(&ctx, Path("DAYS"), fields, tags);
    ASSERT_NE(t, nullptr);
    TagFile* tag = Tag(t, "DAY");
    // 84 entries of 12 bytes: the pointer after the last ends 4 bytes
    // before the block end, its key would not fit.
    ASSERT_EQ(tag->keysMax, 84);
    for (int i = 0; i < 84; ++i) {
        ASSERT_EQ(tableAppendStart(t, false), 0);
        fieldAssign(tableField(t, "D"), Format("2024%02d%02d", 1 + i / 28, 1 + i % 28).c_str());
        ASSERT_EQ(tableAppend(t), 0);
    }
    ASSERT_EQ(TagTop(tag), 0);
    IndexBlock* leaf = tag->current();
    ASSERT_EQ(leaf->numKeys(), 84);
    ASSERT_EQ(leaf->data.size(), 1024u);
    double day = 1.0;
    EXPECT_EQ(BlockInsert(leaf, &day, 99), e4index);
    EXPECT_EQ(leaf->numKeys(), 84);
    ctx.errorCode = 0;
    // The next key splits the leaf under a new root.
    ASSERT_EQ(tableAppendStart(t, false), 0);
    fieldAssign(tableField(t, "D"), "20230101");
    ASSERT_EQ(tableAppend(t), 0);
    ASSERT_EQ(TagTop(tag), 0);
    EXPECT_EQ(tag->path.size(), 2u);
    EXPECT_EQ(TagRecNo(tag), 85);
    EXPECT_EQ(TagSkip(tag, 100), 84);
    EXPECT_EQ(tableClose(t), 0);
}


// Remembers which files were written to.
class WrittenFiles : public FileSystemCalls {
public:
    ssize_t Pwrite(int fd, const void* buf, size_t len, off_t pos) override {
        fds.insert(fd);
        return FileSystemCalls::Pwrite(fd, buf, len, pos);
    }
    std::set<int> fds;
};

TEST_F(IndexTest, ARebuildThatSpillsGivesTheSameFile) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    const TagInfo extra[] = {{"DOWN", "NAME1_SOUN", nullptr, 0, 10}, {}};
    ASSERT_NE(indexCreate(t, Path("EXTRA").c_str(), extra), nullptr);
    const char* sounds[] = {"A100", "B200", "C300", "D400", "E500"};
    for (int i = 0; i < 3000; ++i) {
        std::string match = vx::Format("M%05d", (i * 7919) % 3001);
        Append(t, match.c_str(), sounds[(i * 31) % 5]);
    }
    auto rebuild = [&](int sortBlock, size_t* files) {
        ctx.sortBlockSize = sortBlock;
        WrittenFiles calls;
        setFileSystemCalls(&calls);
        EXPECT_EQ(tableReindex(t), 0);
        setFileSystemCalls(nullptr);
        *files = calls.fds.size();
        return std::make_pair(Read("ADRESSE.MDX"), Read("EXTRA.MDX"));
    };
    size_t inMemory = 0, spilled = 0;
    auto big = rebuild(61440, &inMemory);
    auto small = rebuild(2048, &spilled);
    EXPECT_EQ(spilled, inMemory + 1); // the spool file
    // Byte for byte, but for the tags' version counters, one further on.
    auto sameBut = [](std::string a, std::string b, int tags) {
        for (int i = 0; i < tags; ++i) {
            size_t at = 2048 + size_t(i) * 1024 + 20;
            EXPECT_EQ(uint8_t(b.at(at)), uint8_t(a.at(at) + 1));
            a[at] = b[at];
        }
        EXPECT_TRUE(a == b);
    };
    sameBut(big.first, small.first, 2);
    sameBut(big.second, small.second, 1);
    // Equal keys in record order, in both directions.
    for (const char* name : {"SOUND", "DOWN"}) {
        tableTagSelect(t, tableTag(t, name));
        std::string lastKey;
        long lastRec = 0, n = 0;
        for (int rc = tableTop(t); rc == 0 && !tableEof(t); rc = tableSkip(t, 1), ++n) {
            std::string key = fieldStr(tableField(t, "NAME1_SOUN"));
            if (key == lastKey) {
                EXPECT_GT(tableRecNo(t), lastRec);
            }
            lastKey = key;
            lastRec = tableRecNo(t);
        }
        EXPECT_EQ(n, 3000);
        EXPECT_EQ(lastKey, std::string(name) == "DOWN" ? "A100" : "E500");
    }
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(IndexTest, ARecordWhoseKeyNoLongerMatchesIsPassedOver) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    for (const char* m : {"A", "B", "C"}) Append(t, m);
    ASSERT_EQ(tableClose(t), 0);
    // Another user has rewritten record 1 and not yet its keys.
    std::string d = Read("ADRESSE.DBF");
    size_t headerLen = test::Word(d, 8);
    d[headerLen + 1] = 'Z';
    Write("ADRESSE.DBF", d);
    t = tableOpen(&ctx, Path("ADRESSE"));
    ASSERT_NE(t, nullptr);
    tableTagSelect(t, tableTag(t, "PRIMARY"));
    std::string order;
    for (int rc = tableTop(t); rc == 0; rc = tableSkip(t, 1)) order += fieldStr(tableField(t, "MATCH"))[0];
    EXPECT_EQ(order, "BC");
    EXPECT_EQ(tableSeek(t, "A"), r4after);
    EXPECT_EQ(fieldStr(tableField(t, "MATCH"))[0], 'B');
    // Under the file lock the record is taken as the tag says.
    ASSERT_EQ(tableLockFile(t), 0);
    EXPECT_EQ(tableTop(t), 0);
    EXPECT_EQ(fieldStr(tableField(t, "MATCH"))[0], 'Z');
    EXPECT_EQ(tableClose(t), 0);
}

// Each failure of the index and expression parts names the operation where
// it happened, in the context and in the message box.
TEST_F(IndexTest, IndexAndExpressionErrorsNameTheirPlace) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    Append(t, "A");
    ASSERT_EQ(tableClose(t), 0);
    const FieldInfo fields[] = {{"NAME", 'C', 20, 0, 0}, {}};
    const TagInfo badUnique[] = {{"U", "NAME", nullptr, 7, 0}, {}};
    struct Case {
        const char* what;
        std::function<void()> fail;
        int location;
        const char* name;
    };
    TableHandle* open = nullptr;
    const Case cases[] = {
        {"unique code", [&] { tableCreate(&ctx, Path("U"), fields, badUnique); }, L4indexCreate, "indexCreate"},
        {"twice", [&] { open = tableOpen(&ctx, Path("ADRESSE")); indexOpen(open, nullptr); }, L4indexOpen,
         "indexOpen"},
        {"function", [&] { std::unique_ptr<CompiledExpr> e; exprParse(open, "UNBEKANNT(MATCH)", false, e); },
         L4exprParse, "exprParse"},
        {"no tag", [&] { tagUnique(nullptr); }, L4tagUnique, "tagUnique"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ctx.errorCode = 0;
        ctx.errorLocation = 0;
        size_t shown = Shown().size();
        c.fail();
        // Without a handle there is no context to keep the code in.
        if (c.location != L4tagUnique) {
            EXPECT_LT(ctx.errorCode, 0);
            EXPECT_EQ(ctx.errorLocation, c.location);
        }
        ASSERT_GT(Shown().size(), shown);
        EXPECT_NE(Shown().back().text.find(c.name), std::string::npos) << Shown().back().text;
        EXPECT_EQ(Shown().back().text.find("Ungültige oder unbekannte"), std::string::npos);
    }
    ctx.errorCode = 0;
    if (open) tableClose(open);
    // Every operation has its name and shows its own number.
    for (int loc = L4engineInit; loc <= L4fileOptimizeWrite; ++loc) {
        int shown = 0;
        EXPECT_STRNE(engineLocationName(loc, &shown), "Ungültige oder unbekannte Fehlernummer") << loc;
        EXPECT_EQ(shown, loc);
    }
}

TEST_F(IndexTest, TheTagsCurrentKeyIsNoneAtTheEnd) {
    TableHandle* t = CreateAdresse();
    ASSERT_NE(t, nullptr);
    for (const char* m : {"MEIER", "ABEL", "ZANDER"}) Append(t, m);
    TagFile* tag = Tag(t, "PRIMARY");
    tableTagSelect(t, tableTag(t, "PRIMARY"));
    ASSERT_EQ(tableSeek(t, "MEIER"), 0);
    ASSERT_NE(tagFileKey(tag), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tagFileKey(tag)), 10), "MEIER     ");
    ASSERT_EQ(tableBottom(t), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tagFileKey(tag)), 10), "ZANDER    ");
    ASSERT_EQ(TagEof(tag), r4eof);
    EXPECT_EQ(tagFileKey(tag), nullptr);
    EXPECT_EQ(tagFileKey(nullptr), nullptr);
    ASSERT_EQ(tableClose(t), 0);
}

} // namespace
} // namespace vx
