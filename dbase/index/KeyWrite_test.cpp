#include "dbase/index/KeyWrite.h"

#include "dbase/util/Bcd.h"
#include "dbase/util/Collate.h"
#include "dbase/util/Date.h"
#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/index/TagFile.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"
#include "platform/NumText.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>

namespace vx {
namespace {

constexpr int kNameLen = 60;

struct ModelRecord {
    std::string name, amount, day;
    bool deleted = false;
};

class KeyWriteTest : public test::EngineTest {
protected:
    TableHandle* CreateThree(const std::string& name = "PROP") {
        const FieldInfo fields[] = {{"NAME", 'C', kNameLen, 0, 0}, {"AMOUNT", 'N', 9, 2, 0}, {"DAY", 'D', 0, 0, 0}, {}};
        const TagInfo tags[] = {{"BYNAME", "NAME", nullptr, 0, 0},
                                {"BYAMOUNT", "AMOUNT", nullptr, 0, 0},
                                {"BYDAY", "DAY", nullptr, 0, 0},
                                {"DOWN", "AMOUNT", nullptr, 0, 10},
                                {}};
        return tableCreate(&ctx, Path(name), fields, tags);
    }

    static std::string Pad(std::string s, size_t n) {
        s.resize(n, ' ');
        return s;
    }
    // The key a record must have in a tag, computed without the engine's
    // expression code.
    static std::string ExpectedKey(const ModelRecord& r, int tag) {
        switch (tag) {
        case 0: return r.name;
        case 2: {
            double d = dateToDouble(r.day.c_str());
            return std::string(reinterpret_cast<const char*>(&d), sizeof d);
        }
        default: {
            std::string k(kBcdLen, '\0');
            convBcdFromA(r.amount, k.data());
            return k;
        }
        }
    }
    static int ModelCompare(int tag, const std::string& a, const std::string& b) {
        switch (tag) {
        case 0: return collateCompare(a.data(), b.data(), a.size());
        case 2: {
            double x, y;
            std::memcpy(&x, a.data(), 8);
            std::memcpy(&y, b.data(), 8);
            return x < y ? -1 : x > y ? 1 : 0;
        }
        case 3: return -bcdCompare(a.data(), b.data());
        default: return bcdCompare(a.data(), b.data());
        }
    }

    void Store(TableHandle* t, const ModelRecord& r) {
        ASSERT_EQ(fieldAssign(tableField(t, "NAME"), r.name.c_str()), 0);
        ASSERT_EQ(fieldAssign(tableField(t, "AMOUNT"), r.amount.c_str()), 0);
        ASSERT_EQ(fieldAssign(tableField(t, "DAY"), r.day.c_str()), 0);
    }

    // Appends r, without blanking the record buffer first.
    void AppendRecord(TableHandle* t, const ModelRecord& r) {
        ASSERT_EQ(tableAppendStart(t, false), 0);
        Store(t, r);
        ASSERT_EQ(tableAppend(t), 0);
    }

    // Every tag holds exactly the model's keys, in order, and finds each.
    void Check(TableHandle* t, const std::vector<ModelRecord>& model, const std::string& where) {
        static const char* names[] = {"BYNAME", "BYAMOUNT", "BYDAY", "DOWN"};
        for (int ti = 0; ti < 4; ++ti) {
            SCOPED_TRACE(where + " tag " + names[ti]);
            TagFile* tag = tableTag(t, names[ti])->tagFile;
            std::vector<std::pair<long, std::string>> seen;
            ASSERT_EQ(TagTop(tag), 0);
            if (!TagIsEof(tag)) {
                do {
                    const unsigned char* k = TagKeyData(tag);
                    ASSERT_NE(k, nullptr);
                    seen.emplace_back(TagRecNo(tag), std::string(reinterpret_cast<const char*>(k), size_t(tag->keyLen)));
                } while (TagSkip(tag, 1) == 1);
            }
            ASSERT_EQ(seen.size(), model.size());
            for (size_t i = 1; i < seen.size(); ++i)
                ASSERT_LE(ModelCompare(ti, seen[i - 1].second, seen[i].second), 0) << "entry " << i;
            std::sort(seen.begin(), seen.end());
            for (size_t i = 0; i < seen.size(); ++i) {
                ASSERT_EQ(seen[i].first, long(i + 1));
                ASSERT_EQ(seen[i].second, ExpectedKey(model[i], ti)) << "record " << i + 1;
                ASSERT_EQ(TagGo(tag, seen[i].second.data(), long(i + 1)), 0) << "record " << i + 1;
            }
            tableTagSelect(t, tableTag(t, names[ti]));
            for (size_t i = 0; i < model.size(); ++i) {
                const ModelRecord& r = model[i];
                const std::string& text = ti == 0 ? r.name : ti == 2 ? r.day : r.amount;
                ASSERT_EQ(tableSeekN(t, text.data(), int(text.size())), 0) << "record " << i + 1;
                ASSERT_EQ(ModelCompare(ti, ExpectedKey(model[size_t(tableRecNo(t) - 1)], ti), ExpectedKey(r, ti)), 0);
            }
            // Walking the table in tag order meets every record once.
            std::vector<long> order;
            for (int rc = tableTop(t); rc == 0; rc = tableSkip(t, 1)) order.push_back(tableRecNo(t));
            ASSERT_EQ(order.size(), model.size());
            std::sort(order.begin(), order.end());
            ASSERT_TRUE(std::adjacent_find(order.begin(), order.end()) == order.end());
        }
        tableTagSelect(t, nullptr);
    }

    ModelRecord Random(std::mt19937& rng) {
        static const char* parts[] = {"M", "\x81", "ue", "ller", "A", "\x84", "ae", "Z", "b", "\x94", "oe", " ", "SCH"};
        ModelRecord r;
        int n = int(rng() % 5);
        for (int i = 0; i < n; ++i) r.name += parts[rng() % std::size(parts)];
        r.name = Pad(r.name, kNameLen);
        if (rng() % 10 == 0) r.amount = Pad("", 9);
        else r.amount = Format("%9.2f", (int(rng() % 4001) - 2000) / 8.0);
        if (rng() % 10 == 0) r.day = Pad("", 8);
        else r.day = dateFromJulian(int32_t(2450000 + rng() % 400));
        return r;
    }
    // Appends a random record over a blanked buffer, and to the model.
    void AppendRandom(TableHandle* t, std::mt19937& rng, std::vector<ModelRecord>& model, const std::string& where) {
        ModelRecord r = Random(rng);
        ASSERT_EQ(tableAppendStart(t, false), 0);
        ASSERT_EQ(tableBlank(t), 0);
        Store(t, r);
        ASSERT_EQ(tableAppend(t), 0) << where;
        model.push_back(r);
    }
};

TEST_F(KeyWriteTest, RandomChangesKeepEveryTagInStepWithTheRecords) {
    for (unsigned seed = 1; seed <= 10; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::string name = "PROP" + std::to_string(seed);
        TableHandle* t = CreateThree(name);
        ASSERT_NE(t, nullptr);
        std::mt19937 rng(seed);
        std::vector<ModelRecord> model;
        for (int step = 0; step < 160; ++step) {
            int op = int(rng() % 100);
            std::string where = "step " + std::to_string(step);
            if (model.empty() || op < 45) {
                ASSERT_NO_FATAL_FAILURE(AppendRandom(t, rng, model, where));
                where += " append";
            } else if (op < 88) {
                long rec = long(rng() % model.size()) + 1;
                ModelRecord& r = model[size_t(rec - 1)];
                ASSERT_EQ(tableGo(t, rec), 0);
                ModelRecord next = Random(rng);
                int which = int(rng() % 4);
                if (which == 0 || which == 3) r.name = next.name;
                if (which == 1 || which == 3) r.amount = next.amount;
                if (which == 2 || which == 3) r.day = next.day;
                Store(t, r);
                ASSERT_EQ(tableUpdate(t), 0) << where;
                where += " update";
            } else if (op < 93) {
                // A name that collates equal to the stored one but has other bytes.
                long rec = long(rng() % model.size()) + 1;
                ModelRecord& r = model[size_t(rec - 1)];
                ASSERT_EQ(tableGo(t, rec), 0);
                r.name = Pad(rng() % 2 ? "M\x81ller" : "Mueller", kNameLen);
                Store(t, r);
                ASSERT_EQ(tableUpdate(t), 0);
                where += " twin";
            } else if (op < 98) {
                long rec = long(rng() % model.size()) + 1;
                ASSERT_EQ(tableGo(t, rec), 0);
                ASSERT_EQ(tableDelete(t), 0);
                ASSERT_EQ(tableUpdate(t), 0);
                model[size_t(rec - 1)].deleted = true;
                where += " delete";
            } else {
                ASSERT_EQ(tablePack(t), 0) << where;
                model.erase(std::remove_if(model.begin(), model.end(), [](const ModelRecord& r) { return r.deleted; }),
                            model.end());
                where += " pack";
            }
            ASSERT_NO_FATAL_FAILURE(Check(t, model, where));
        }
        // What is on disk reads back the same.
        ASSERT_EQ(tableClose(t), 0);
        t = tableOpen(&ctx, Path(name));
        ASSERT_NE(t, nullptr);
        ASSERT_NO_FATAL_FAILURE(Check(t, model, "reopened"));
        ASSERT_EQ(tableReindex(t), 0);
        ASSERT_NO_FATAL_FAILURE(Check(t, model, "rebuilt"));
        ASSERT_EQ(tableClose(t), 0);
    }
    EXPECT_TRUE(Shown().empty());
}

TEST_F(KeyWriteTest, SameKeyMeansSameBytes) {
    TableHandle* t = CreateThree();
    ASSERT_NE(t, nullptr);
    ModelRecord r{Pad("Mueller", kNameLen), Pad("1", 9), "20240101"};
    ASSERT_NO_FATAL_FAILURE(AppendRecord(t, r));
    TagFile* tag = tableTag(t, "BYNAME")->tagFile;
    ASSERT_EQ(collateCompare(Pad("M\x81ller", kNameLen).data(), r.name.data(), kNameLen), 0);
    r.name = Pad("M\x81ller", kNameLen);
    Store(t, r);
    ASSERT_EQ(tableUpdate(t), 0);
    ASSERT_EQ(TagTop(tag), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(TagKeyData(tag)), 7), "M\x81ller ");
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(KeyWriteTest, AnUnchangedRewriteTouchesNoIndexFile) {
    TableHandle* t = CreateThree();
    ASSERT_NE(t, nullptr);
    ModelRecord r{Pad("A", kNameLen), Pad("1", 9), "20240101"};
    ASSERT_NO_FATAL_FAILURE(AppendRecord(t, r));
    ASSERT_EQ(tableFlush(t), 0);
    std::string before = Read("PROP.MDX");
    ASSERT_EQ(tableGo(t, 1), 0);
    Store(t, r);
    ASSERT_EQ(tableUpdate(t), 0);
    ASSERT_EQ(tableFlush(t), 0);
    EXPECT_EQ(Read("PROP.MDX"), before);
    // A field outside every key changes no index either.
    ASSERT_EQ(tableDelete(t), 0);
    ASSERT_EQ(tableUpdate(t), 0);
    EXPECT_EQ(Read("PROP.MDX"), before);
    EXPECT_EQ(tableClose(t), 0);
}

class UniqueTest : public test::EngineTest {
protected:
    TableHandle* Create(int16_t secondCode) {
        const FieldInfo fields[] = {{"A", 'C', 4, 0, 0}, {"B", 'C', 4, 0, 0}, {"C", 'C', 4, 0, 0}, {}};
        const TagInfo tags[] = {{"TA", "A", nullptr, 0, 0}, {"TB", "B", nullptr, secondCode, 0},
                                {"TC", "C", nullptr, 0, 0}, {}};
        return tableCreate(&ctx, Path("UNIQ"), fields, tags);
    }
    int Append(TableHandle* t, const char* a, const char* b, const char* c) {
        tableAppendStart(t, false);
        tableBlank(t);
        fieldAssign(tableField(t, "A"), a);
        fieldAssign(tableField(t, "B"), b);
        fieldAssign(tableField(t, "C"), c);
        return tableAppend(t);
    }
    // The values of A, B and C in one record.
    struct Row {
        const char* a;
        const char* b;
        const char* c;
    };
    // Creates the table and appends rows, which all go in.
    void CreateWith(int16_t secondCode, std::initializer_list<Row> rows, TableHandle*& t) {
        t = Create(secondCode);
        ASSERT_NE(t, nullptr);
        for (const Row& r : rows) ASSERT_EQ(Append(t, r.a, r.b, r.c), 0);
    }
    // (record number, first key byte) of a tag in order.
    std::string Keys(TableHandle* t, const char* name) {
        TagFile* tag = tableTag(t, name)->tagFile;
        std::string out;
        if (TagTop(tag) < 0 || TagIsEof(tag)) return out;
        do out += std::to_string(TagRecNo(tag)) + char(TagKeyData(tag)[0]) + " ";
        while (TagSkip(tag, 1) == 1);
        return out;
    }
};

TEST_F(UniqueTest, CodeTwentyFiveDropsTheOldKeyAndStoresNoNewOne) {
    TableHandle* t = nullptr;
    ASSERT_NO_FATAL_FAILURE(CreateWith(r4uniqueContinue, {{"1", "X", "1"}, {"2", "Y", "2"}}, t));
    ASSERT_EQ(tableGo(t, 2), 0);
    fieldAssign(tableField(t, "B"), "X");
    fieldAssign(tableField(t, "C"), "3");
    EXPECT_EQ(tableUpdate(t), 0);
    EXPECT_EQ(Keys(t, "TB"), "1X ");
    EXPECT_EQ(Keys(t, "TC"), "11 23 ");
    // Appending a duplicate stores the record without that key.
    EXPECT_EQ(Append(t, "3", "X", "4"), 0);
    EXPECT_EQ(tableRecCount(t), 3);
    EXPECT_EQ(Keys(t, "TB"), "1X ");
    EXPECT_EQ(Keys(t, "TA"), "11 22 33 ");
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(UniqueTest, AnErrorOnTheSecondTagLeavesAllThreeAsBefore) {
    TableHandle* t = nullptr;
    ASSERT_NO_FATAL_FAILURE(CreateWith(e4unique, {{"1", "X", "1"}, {"2", "Y", "2"}}, t));
    std::string a = Keys(t, "TA"), b = Keys(t, "TB"), c = Keys(t, "TC");
    ASSERT_EQ(tableGo(t, 2), 0);
    fieldAssign(tableField(t, "A"), "0");
    fieldAssign(tableField(t, "B"), "X");
    fieldAssign(tableField(t, "C"), "0");
    EXPECT_EQ(tableUpdate(t), e4unique);
    EXPECT_EQ(ctx.errorCode, e4unique);
    ctx.errorCode = 0;
    EXPECT_EQ(Keys(t, "TA"), a);
    EXPECT_EQ(Keys(t, "TB"), b);
    EXPECT_EQ(Keys(t, "TC"), c);
    ASSERT_EQ(Shown().size(), 1u);
    // On append: nothing is stored and the record count stays.
    tableChanged(t, 0);
    EXPECT_EQ(Append(t, "9", "Y", "9"), e4unique);
    ctx.errorCode = 0;
    EXPECT_EQ(tableRecCount(t), 2);
    EXPECT_EQ(Keys(t, "TA"), a);
    t->recordChanged = false;
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(UniqueTest, CodeTwentyStopsQuietly) {
    TableHandle* t = nullptr;
    ASSERT_NO_FATAL_FAILURE(CreateWith(r4unique, {{"1", "X", "1"}}, t));
    EXPECT_EQ(Append(t, "2", "X", "2"), r4unique);
    EXPECT_EQ(tableRecCount(t), 1);
    EXPECT_EQ(Keys(t, "TA"), "11 ");
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(UniqueTest, EveryWriteOnTheWayToAnotherRecordReportsARefusedKey) {
    TableHandle* t = nullptr;
    ASSERT_NO_FATAL_FAILURE(CreateWith(r4unique, {{"1", "X", "1"}, {"2", "Y", "2"}, {"3", "Z", "3"}}, t));
    TagHandle* ta = tableTag(t, "TA");
    const struct {
        const char* name;
        bool byTag;
        std::function<int()> move;
    } moves[] = {
        {"go", false, [&] { return tableGo(t, 1); }},
        {"skip", false, [&] { return tableSkip(t, 1); }},
        {"skip in a tag", true, [&] { return tableSkip(t, 1); }},
        {"top", false, [&] { return tableTop(t); }},
        {"top in a tag", true, [&] { return tableTop(t); }},
        {"bottom", true, [&] { return tableBottom(t); }},
        {"end of file", false, [&] { return tableGoEof(t); }},
        {"seek", true, [&] { return tableSeek(t, "3"); }},
        {"seek next", true, [&] { return tableSeekNext(t, "1"); }},
        {"append start", false, [&] { return tableAppendStart(t, false); }},
        {"unlock", false, [&] { return tableUnlock(t); }},
        {"flush", false, [&] { return tableFlush(t); }},
    };
    for (const auto& m : moves) {
        tableTagSelect(t, m.byTag ? ta : nullptr);
        ASSERT_EQ(tableGo(t, 2), 0) << m.name;
        fieldAssign(tableField(t, "B"), "X");
        EXPECT_EQ(m.move(), r4unique) << m.name;
        // The edit stays in the buffer, on its record, for the user to mend.
        EXPECT_EQ(tableRecNo(t), 2) << m.name;
        EXPECT_EQ(tableChanged(t, -1), 1) << m.name;
        EXPECT_EQ(std::string(fieldStr(tableField(t, "B"))), "X   ") << m.name;
        EXPECT_EQ(Keys(t, "TB"), "1X 2Y 3Z ") << m.name;
        tableChanged(t, 0);
    }
    EXPECT_TRUE(Shown().empty());
    // Another table of the context moving away writes it too, and says so.
    ctx.singleOpen = 0;
    TableHandle* other = tableOpen(&ctx, Path("UNIQ"));
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(tableGo(t, 2), 0);
    fieldAssign(tableField(t, "B"), "Z");
    EXPECT_EQ(tableGo(other, 1), r4unique);
    EXPECT_EQ(tableChanged(t, -1), 1);
    EXPECT_EQ(tableClose(other), 0);
    // The last chance is the close.
    EXPECT_EQ(tableClose(t), r4unique);
    t = tableOpen(&ctx, Path("UNIQ"));
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(tableGo(t, 2), 0);
    EXPECT_EQ(std::string(fieldStr(tableField(t, "B"))), "Y   ");
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(KeyWriteTest, RemovingTheOnlyKeyLeavesAnEmptyRootAndFiltersFollowTheRecord) {
    const FieldInfo fields[] = {{"NAME", 'C', 10, 0, 0}, {"N", 'N', 4, 0, 0}, {}};
    const TagInfo tags[] = {{"BIG", "NAME", "N > 5", 0, 0}, {}};
    TableHandle* t = tableCreate(&ctx, Path("FILT"), fields, tags);
    ASSERT_NE(t, nullptr);
    TagFile* tag = tableTag(t, "BIG")->tagFile;
    ASSERT_EQ(tableAppendStart(t, false), 0);
    fieldAssign(tableField(t, "NAME"), "A");
    fieldAssign(tableField(t, "N"), "9");
    ASSERT_EQ(tableAppend(t), 0);
    ASSERT_EQ(TagTop(tag), 0);
    EXPECT_EQ(TagRecNo(tag), 1);
    ASSERT_EQ(tableFlush(t), 0);
    EXPECT_EQ(Read("FILT.MDX")[2048 + 246], 1);
    fieldAssign(tableField(t, "N"), "1");
    ASSERT_EQ(tableUpdate(t), 0);
    ASSERT_EQ(TagTop(tag), 0);
    EXPECT_TRUE(TagIsEof(tag));
    EXPECT_EQ(TagRecNo(tag), 0);
    ASSERT_EQ(tableFlush(t), 0);
    std::string m = Read("FILT.MDX");
    EXPECT_EQ(m.size(), 6u * 512 + 1024);
    EXPECT_EQ(m[2048 + 245], 1);
    EXPECT_EQ(m[2048 + 246], 0);
    EXPECT_EQ(m.substr(2048 + 762, 6), std::string("N > 5\0", 6));
    EXPECT_EQ(m.substr(6 * 512), std::string(1024, '\0'));
    fieldAssign(tableField(t, "N"), "6");
    ASSERT_EQ(tableUpdate(t), 0);
    ASSERT_EQ(TagTop(tag), 0);
    EXPECT_EQ(TagRecNo(tag), 1);
    EXPECT_EQ(tableClose(t), 0);
}

TEST_F(KeyWriteTest, SplitsAndMergesKeepATreeOfManyLevels) {
    // 84 date keys fit a block, whose last entry then ends at the block's end.
    const FieldInfo fields[] = {{"NAME", 'C', 100, 0, 0}, {"DAY", 'D', 0, 0, 0}, {}};
    const TagInfo tags[] = {{"BYNAME", "NAME", nullptr, 0, 0}, {"BYDAY", "DAY", nullptr, 0, 0}, {}};
    TableHandle* t = tableCreate(&ctx, Path("DEEP"), fields, tags);
    ASSERT_NE(t, nullptr);
    TagFile* byName = tableTag(t, "BYNAME")->tagFile;
    TagFile* byDay = tableTag(t, "BYDAY")->tagFile;
    EXPECT_EQ(byName->keysMax, 9);
    EXPECT_EQ(byDay->keysMax, 84);
    std::mt19937 rng(7);
    const int count = 400;
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(tableAppendStart(t, false), 0);
        fieldAssign(tableField(t, "NAME"), Format("%05u", unsigned(rng() % 1000)).c_str());
        fieldAssign(tableField(t, "DAY"), dateFromJulian(int32_t(2450000 + rng() % 1000)).c_str());
        ASSERT_EQ(tableAppend(t), 0);
    }
    ASSERT_EQ(TagTop(byName), 0);
    EXPECT_GE(byName->path.size(), 3u);
    EXPECT_EQ(TagSkip(byName, count), count - 1);
    EXPECT_EQ(TagSkip(byDay, count), count - 1);
    // Every record taken out again, in random order: the tags end empty.
    std::vector<long> order(count);
    for (int i = 0; i < count; ++i) order[size_t(i)] = i + 1;
    std::shuffle(order.begin(), order.end(), rng);
    for (size_t i = 0; i < order.size(); ++i) {
        ASSERT_EQ(tableGo(t, order[i]), 0);
        fieldAssign(tableField(t, "NAME"), "");
        fieldAssign(tableField(t, "DAY"), "");
        ASSERT_EQ(tableUpdate(t), 0);
    }
    ASSERT_EQ(TagTop(byName), 0);
    EXPECT_EQ(TagSkip(byName, count), count - 1);
    ASSERT_EQ(tableFlush(t), 0);
    EXPECT_EQ(Read("DEEP.MDX").size() % 1024, 0u);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(tableClose(t), 0);
}


// Checks a tag's tree in the file bytes: every branch key is the largest key
// of its subtree, no leaf but the root is empty, keys ascend. Returns the
// number of keys below block.
size_t CheckTree(const std::string& m, uint32_t block, int keyLen, int group, bool root, std::string* maxKey) {
    size_t at = size_t(block) * 512;
    EXPECT_LT(at + 1024, m.size() + 1);
    if (at + 1024 > m.size()) return 0;
    int n = int(test::Word(m, at));
    auto number = [&](int i) { return uint32_t(test::Dword(m, at + 8 + size_t(i) * size_t(group))); };
    auto key = [&](int i) { return m.substr(at + 8 + size_t(i) * size_t(group) + 4, size_t(keyLen)); };
    if (number(n) == 0) {
        if (!root) {
            EXPECT_GT(n, 0) << "empty leaf " << block;
        }
        for (int i = 1; i < n; ++i) EXPECT_LE(key(i - 1), key(i));
        if (n > 0) *maxKey = key(n - 1);
        return size_t(n);
    }
    size_t count = 0;
    std::string childMax;
    for (int i = 0; i <= n; ++i) {
        count += CheckTree(m, number(i), keyLen, group, false, &childMax);
        if (i < n) {
            EXPECT_EQ(childMax, key(i)) << "branch " << block << " entry " << i;
        } else if (n > 0) {
            EXPECT_GE(childMax, key(n - 1));
        }
    }
    *maxKey = childMax;
    return count;
}

TEST_F(KeyWriteTest, ARebuiltBranchCarriesTheLargestKeyOfItsSubtree) {
    const FieldInfo fields[] = {{"NAME", 'C', 60, 0, 0}, {}};
    const TagInfo tags[] = {{"BYNAME", "NAME", nullptr, 0, 0}, {}};
    for (int count : {0, 1, 15, 16, 240, 241, 256, 1000}) {
        SCOPED_TRACE(count);
        std::string name = "TREE" + std::to_string(count);
        TableHandle* t = tableCreate(&ctx, Path(name), fields, tags);
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(tableTag(t, "BYNAME")->tagFile->keysMax, 15);
        std::mt19937 rng{unsigned(count)};
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(tableAppendStart(t, false), 0);
            fieldAssign(tableField(t, "NAME"), Format("%06u", unsigned(rng() % 100000)).c_str());
            ASSERT_EQ(tableAppend(t), 0);
        }
        ASSERT_EQ(tableReindex(t), 0);
        ASSERT_EQ(tableClose(t), 0);
        std::string m = Read(name + ".MDX");
        EXPECT_EQ(m.size(), size_t(test::Dword(m, 32)) * 512);
        std::string top;
        EXPECT_EQ(CheckTree(m, uint32_t(test::Dword(m, 2048)), 60, 64, true, &top), size_t(count));
        // The tree navigates: every key is found from the root.
        t = tableOpen(&ctx, Path(name));
        ASSERT_NE(t, nullptr);
        tableTagSelect(t, tableTag(t, "BYNAME"));
        long seen = 0;
        for (int rc = tableTop(t); rc == 0; rc = tableSkip(t, 1)) {
            ++seen;
            long rec = tableRecNo(t);
            ASSERT_EQ(tableSeek(t, fieldStr(tableField(t, "NAME"))), 0);
            // Back to where the walk stood; the skip finds its place again.
            ASSERT_EQ(tableGo(t, rec), 0);
        }
        EXPECT_EQ(seen, count);
        ASSERT_EQ(tableClose(t), 0);
    }
    EXPECT_TRUE(Shown().empty());
}


TEST_F(UniqueTest, ARebuildKeepsTheFirstOfEqualKeysOrStops) {
    TableHandle* t = nullptr;
    ASSERT_NO_FATAL_FAILURE(CreateWith(0, {{"1", "X", "1"}, {"2", "X", "2"}, {"3", "W", "3"}}, t));
    // A second index file by name, built in shared use under the file lock.
    const TagInfo skip[] = {{"SB", "B", nullptr, r4uniqueContinue, 0}, {}};
    IndexFile* named = indexCreate(t, Path("SECOND").c_str(), skip);
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(Read("SECOND.MDX")[24], 0);
    EXPECT_EQ(Keys(t, "SB"), "3W 1X ");
    EXPECT_EQ(indexClose(named), 0);
    named = indexOpen(t, Path("second").c_str());
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(tagUnique(tableTag(t, "SB")), r4uniqueContinue);
    EXPECT_EQ(tagUnique(tableTag(t, "TA")), 0);
    tableTag(t, "SB")->uniqueCode = r4unique;
    EXPECT_EQ(tableReindex(t), r4unique);
    tableTag(t, "SB")->uniqueCode = e4unique;
    EXPECT_EQ(tableReindex(t), e4unique);
    ctx.errorCode = 0;
    EXPECT_EQ(indexClose(named), 0);
    EXPECT_EQ(tableTag(t, "SB"), nullptr);
    ctx.errorCode = 0;
    EXPECT_EQ(tableClose(t), 0);
}


TEST_F(KeyWriteTest, TwoUsersTakingTurnsKeepTheTagsWhole) {
    TableHandle* t = CreateThree("SHARED");
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(tableClose(t), 0);
    EngineContext other;
    ASSERT_EQ(engineInit(&other), 0);
    TableHandle* users[2] = {tableOpen(&ctx, Path("SHARED")), tableOpen(&other, Path("SHARED"))};
    ASSERT_TRUE(users[0] && users[1]);
    std::mt19937 rng(42);
    std::vector<ModelRecord> model;
    for (int step = 0; step < 300; ++step) {
        TableHandle* u = users[rng() % 2];
        // Each user reads through its tags as well, keeping blocks cached.
        tableTagSelect(u, tableTag(u, rng() % 2 ? "BYNAME" : "BYDAY"));
        ASSERT_GE(tableTop(u), 0);
        tableTagSelect(u, nullptr);
        if (model.empty() || rng() % 2) {
            ASSERT_NO_FATAL_FAILURE(AppendRandom(u, rng, model, std::to_string(step)));
        } else {
            long rec = long(rng() % model.size()) + 1;
            ASSERT_EQ(tableGo(u, rec), 0);
            ModelRecord& r = model[size_t(rec - 1)];
            ModelRecord next = Random(rng);
            r.name = next.name;
            r.day = next.day;
            Store(u, r);
            ASSERT_EQ(tableUpdateRecord(u, true), 0) << step;
        }
    }
    ASSERT_EQ(tableClose(users[1]), 0);
    engineInitUndo(&other);
    ASSERT_NO_FATAL_FAILURE(Check(users[0], model, "after both"));
    ASSERT_EQ(tableClose(users[0]), 0);
    EXPECT_TRUE(Shown().empty());
}


TEST_F(KeyWriteTest, WritingTheBufferToAnotherRecordMovesItsKeys) {
    TableHandle* t = CreateThree();
    ASSERT_NE(t, nullptr);
    std::vector<ModelRecord> model{{Pad("A", kNameLen), Pad("1", 9), "20240101"},
                                   {Pad("B", kNameLen), Pad("2", 9), "20240102"}};
    for (const ModelRecord& r : model) ASSERT_NO_FATAL_FAILURE(AppendRecord(t, r));
    ASSERT_EQ(tableGo(t, 1), 0);
    // Record 1's contents written over record 2.
    ASSERT_EQ(tableWrite(t, 2, true), 0);
    model[1] = model[0];
    ASSERT_NO_FATAL_FAILURE(Check(t, model, "copied"));
    EXPECT_EQ(tableWrite(t, 4, false), e4write);
    EXPECT_TRUE(fatal.empty());
    ctx.errorCode = 0;
    EXPECT_EQ(tableClose(t), 0);
}

// A full disk at any write of an append: the append either reports success
// and the record is there once, or fails with the error state set and the
// table, its count and its tags are as they were, also after a reopen (an
// open would take a record found past the count into it).
TEST_F(KeyWriteTest, AnAppendRefusedByAFullDiskLeavesTheTableAsItWas) {
    struct FullAt : FileSystemCalls {
        long left = 0;
        ssize_t Pwrite(int fd, const void* buf, size_t len, off_t pos) override {
            if (left > 0 && --left == 0) {
                errno = ENOSPC;
                return -1;
            }
            return FileSystemCalls::Pwrite(fd, buf, len, pos);
        }
    } calls;
    ctx.errOff = 1;
    std::mt19937 rng(7);
    for (int mode : {0, 2}) {
        SCOPED_TRACE(mode);
        std::string name = Format("FULL%d", mode);
        TableHandle* t = CreateThree(name);
        ASSERT_NE(t, nullptr);
        std::vector<ModelRecord> model;
        for (int i = 0; i < 5; ++i) {
            model.push_back(Random(rng));
            ASSERT_EQ(tableAppendStart(t, false), 0);
            Store(t, model.back());
            ASSERT_EQ(tableAppend(t), 0);
        }
        ASSERT_EQ(tableClose(t), 0);
        int refused = 0;
        for (long n = 1;; ++n) {
            ctx.accessMode = mode;
            t = tableOpen(&ctx, Path(name));
            ctx.accessMode = 0;
            ASSERT_NE(t, nullptr) << "write " << n;
            ASSERT_EQ(ctx.errorCode, 0) << "write " << n;
            ASSERT_EQ(tableRecCount(t), long(model.size())) << "write " << n;
            ASSERT_NO_FATAL_FAILURE(Check(t, model, Format("write %ld", n)));
            ModelRecord r = Random(rng);
            ASSERT_EQ(tableAppendStart(t, false), 0);
            Store(t, r);
            calls.left = n;
            setFileSystemCalls(&calls);
            int rc = tableAppend(t);
            setFileSystemCalls(nullptr);
            bool hit = calls.left == 0;
            calls.left = 0;
            if (rc == 0) {
                model.push_back(r);
            } else {
                ++refused;
                EXPECT_LT(ctx.errorCode, 0) << "write " << n << " gave " << rc;
                ctx.errorCode = 0;
                EXPECT_EQ(tableRecCount(t), long(model.size())) << "write " << n;
                tableChanged(t, 0);
            }
            ASSERT_EQ(tableClose(t), 0);
            ctx.errorCode = 0;
            if (!hit) break;
        }
        EXPECT_GT(refused, 3);
    }
}

} // namespace
} // namespace vx
