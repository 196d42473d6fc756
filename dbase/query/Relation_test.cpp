#include "dbase/query/Relation.h"

#include "dbase/util/Bcd.h"
#include "dbase/util/Collate.h"
#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/expr/ExprTableHandle.h"
#include "dbase/index/IndexFile.h"
#include "dbase/index/TagFile.h"
#include "dbase/data/Field.h"
#include "dbase/query/QueryTag.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <set>

namespace vx {
namespace {

// A tag kept in memory: the keys of every record, sorted as an index holds them.
class MemoryTag final : public QueryTag {
public:
    MemoryTag(TableHandle* t, const char* expression, bool descending = false) : desc_(descending) {
        EXPECT_EQ(exprParse(t, expression, true, expr_), 0);
        type_ = expr_->type == 'C' ? 'C' : (expr_->type == 'N' || expr_->type == 'n' ? 'N' : 'D');
        len_ = exprKeyLen(*expr_);
        for (long r = 1; r <= tableRecCount(t); ++r) {
            EXPECT_EQ(tableGo(t, r), 0);
            const char* k = nullptr;
            int n = exprKey(*expr_, &k);
            entries_.push_back({std::string(k, size_t(n)), r});
        }
        std::stable_sort(entries_.begin(), entries_.end(), [this](const Item& a, const Item& b) {
            int c = Order(a.key.data(), b.key.data(), size_t(len_));
            return c != 0 ? c < 0 : a.rec < b.rec;
        });
    }
    CompiledExpr* keyExpr() override { return expr_.get(); }
    char keyType() override { return type_; }
    int keyLen() override { return len_; }
    bool hasFilter() override { return filter; }
    int uniqueCode() override { return unique; }
    bool descending() override { return desc_; }
    int compare(const void* a, const void* b, size_t n) override {
        return type_ == 'N' ? bcdCompare(a, b, n) : collateCompare(a, b, n);
    }
    int top() override {
        pos_ = 0;
        return 0;
    }
    int bottom() override {
        pos_ = entries_.empty() ? 0 : long(entries_.size()) - 1;
        return 0;
    }
    int seek(const char* key, int len) override {
        size_t n = size_t(std::min(len, len_));
        pos_ = 0;
        while (pos_ < Size() && Order(entries_[size_t(pos_)].key.data(), key, n) < 0) ++pos_;
        return pos_ < Size() && compare(entries_[size_t(pos_)].key.data(), key, n) == 0 ? 0 : 2;
    }
    long skip(long n) override {
        long moved = n > 0 ? std::max(0L, std::min(n, Size() - 1 - pos_)) : std::max(n, -pos_);
        pos_ += moved;
        return moved;
    }
    long recNo() override { return pos_ < Size() ? entries_[size_t(pos_)].rec : 0; }
    const char* key() override { return pos_ < Size() ? entries_[size_t(pos_)].key.data() : nullptr; }
    double position() override {
        if (Size() <= 1) return 0;
        return std::min(1.0, double(pos_) / double(Size() - 1));
    }

    bool filter = false;
    int unique = 0;

private:
    struct Item {
        std::string key;
        long rec;
    };
    long Size() const { return long(entries_.size()); }
    int Order(const void* a, const void* b, size_t n) {
        int c = compare(a, b, n);
        return desc_ ? -c : c;
    }
    bool desc_ = false;
    std::unique_ptr<CompiledExpr> expr_;
    std::vector<Item> entries_;
    char type_ = 'C';
    int len_ = 0;
    long pos_ = 0;
};

class MemoryTags final : public QueryTagSource {
public:
    std::vector<QueryTag*> tags(TableHandle*) override {
        std::vector<QueryTag*> out;
        for (auto& t : list) out.push_back(t.get());
        return out;
    }
    QueryTag* selected(TableHandle*) override { return chosen; }
    std::vector<std::unique_ptr<MemoryTag>> list;
    QueryTag* chosen = nullptr;
};

// No tags at all.
class NoTags final : public QueryTagSource {
public:
    std::vector<QueryTag*> tags(TableHandle*) override { return {}; }
    QueryTag* selected(TableHandle*) override { return nullptr; }
};

class RelationTest : public test::EngineTest {
protected:
    void SetUp() override {
        test::EngineTest::SetUp();
        const char* old = std::getenv("TEMP");
        hadTemp = old != nullptr;
        if (old) savedTemp = old;
        ::setenv("TEMP", dir.c_str(), 1);
    }
    void TearDown() override {
        setQueryTagSource(nullptr);
        if (node) relateFree(node);
        if (t) tableClose(t);
        if (hadTemp) ::setenv("TEMP", savedTemp.c_str(), 1);
        else ::unsetenv("TEMP");
        sortFailNextAllocations(0);
        test::EngineTest::TearDown();
    }
    void Create(bool withTags = false) {
        const FieldInfo fields[] = {{"A", 'C', 4, 0, 0}, {"B", 'C', 6, 0, 0}, {"NR", 'N', 5, 0, 0}, {}};
        const TagInfo tagList[] = {{"A", "A", nullptr, 0, 0},
                                   {"UB", "UPPER(B)", nullptr, 0, 0},
                                   {"NR", "NR", nullptr, 0, 0},
                                   {"SB", "SUBSTR(B,2,3)", nullptr, 0, 0},
                                   {"DB", "B", nullptr, 0, 10},
                                   {}};
        t = tableCreate(&ctx, Path("REL"), fields, withTags ? tagList : nullptr);
        ASSERT_NE(t, nullptr);
    }
    void Add(TableHandle* table, const std::string& a, const std::string& b, long nr) {
        ASSERT_EQ(tableAppendStart(table, false), 0);
        ASSERT_EQ(tableBlank(table), 0);
        ASSERT_EQ(fieldAssign(tableField(table, "A"), a.c_str()), 0);
        ASSERT_EQ(fieldAssign(tableField(table, "B"), b.c_str()), 0);
        ASSERT_EQ(fieldAssignLong(tableField(table, "NR"), nr), 0);
        ASSERT_EQ(tableAppend(table), 0);
    }
    void AddRandom(int n, unsigned seed) {
        std::mt19937 rng(seed);
        for (int i = 0; i < n; ++i) {
            std::string a, b;
            for (int k = 0, len = int(rng() % 5); k < len; ++k) a += char('A' + rng() % 4);
            for (int k = 0, len = int(rng() % 7); k < len; ++k) b += char('A' + rng() % 3);
            Add(t, a, b, long(rng() % 50));
        }
    }
    void UseTags(std::initializer_list<const char*> exprs) {
        for (const char* e : exprs) tags.list.push_back(std::make_unique<MemoryTag>(t, e));
        setQueryTagSource(&tags);
    }
    // The records a plain scan finds with exprTrue.
    std::vector<long> Scan(const std::string& query) {
        std::unique_ptr<CompiledExpr> e;
        EXPECT_EQ(exprParse(t, query, false, e), 0) << query;
        std::vector<long> out;
        for (long r = 1; r <= tableRecCount(t); ++r) {
            EXPECT_EQ(tableGo(t, r), 0);
            if (exprTrue(*e) == 1) out.push_back(r);
        }
        return out;
    }
    // The records the relation returns, forward from relateTop.
    std::vector<long> Walk(const std::string& query, const char* sort = nullptr) {
        if (!node) node = relateInit(t);
        EXPECT_EQ(relateQuerySet(node, query.c_str()), 0) << query;
        EXPECT_EQ(relateSortSet(node, sort), 0);
        std::vector<long> out;
        int rc = relateTop(node);
        while (rc == 0) {
            out.push_back(tableRecNo(t));
            rc = relateSkip(node, 1);
        }
        EXPECT_EQ(rc, 3) << query;
        EXPECT_EQ(relateEof(node), 1);
        return out;
    }
    // The records skipping back one at a time finds, put in forward order;
    // with fromHere the record the relation stands on comes last.
    std::vector<long> WalkBack(bool fromHere) {
        std::vector<long> out;
        if (fromHere) out.push_back(tableRecNo(t));
        while (relateSkip(node, -1) == 0) out.push_back(tableRecNo(t));
        std::reverse(out.begin(), out.end());
        return out;
    }
    // Frees the relation: a sort's temporary files go with it.
    void FreeLeavingOnlyTables() {
        relateFree(node);
        node = nullptr;
        for (auto& e : std::filesystem::directory_iterator(dir))
            EXPECT_EQ(e.path().extension().string(), ".DBF") << e.path();
    }
    // Eighty random records, a tag on A, and a relation on q sorted by NR
    // that has not moved yet; want gets what a scan finds.
    void StartSortedByNr(const std::string& q, std::vector<long>& want) {
        Create();
        AddRandom(80, 8);
        UseTags({"A"});
        want = Scan(q);
        node = relateInit(t);
        ASSERT_EQ(relateQuerySet(node, q.c_str()), 0);
        ASSERT_EQ(relateSortSet(node, "NR"), 0);
    }
    // The records from the one the relation stands on to its end; ends gets
    // what the last skip returned.
    std::vector<long> RestForward(int* ends = nullptr) {
        std::vector<long> out;
        int rc = 0;
        do out.push_back(tableRecNo(t));
        while ((rc = relateSkip(node, 1)) == 0);
        if (ends) *ends = rc;
        return out;
    }
    // The same in record order.
    std::vector<long> RestInRecordOrder() {
        std::vector<long> out = RestForward();
        std::sort(out.begin(), out.end());
        return out;
    }
    // Another user appends n records to REL through a context of its own.
    void AddAsAnotherUser(int n, const std::string& a, long nr) {
        EngineContext other;
        ASSERT_EQ(engineInit(&other), 0);
        TableHandle* second = tableOpen(&other, Path("REL"));
        ASSERT_NE(second, nullptr);
        for (int i = 0; i < n; ++i) Add(second, a, "", nr);
        tableClose(second);
        engineInitUndo(&other);
    }
    std::string A(long rec) {
        EXPECT_EQ(tableGo(t, rec), 0);
        return std::string(fieldPtr(tableField(t, "A")), 4);
    }

    TableHandle* t = nullptr;
    RelationNode* node = nullptr;
    MemoryTags tags;
    std::string savedTemp;
    bool hadTemp = false;
};

TEST(BitmapTest, SetTestAndFindAgreeWithAPlainSet) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        long count = long(rng() % 70);
        Bitmap a, b;
        ASSERT_EQ(bitmapInit(&a, nullptr, count), 0);
        ASSERT_EQ(bitmapInit(&b, nullptr, count), 0);
        EXPECT_EQ(a.bits.size(), size_t(count / 8 + 2));
        std::vector<bool> sa(size_t(count + 1)), sb(size_t(count + 1));
        for (long r = 1; r <= count; ++r) {
            if (rng() % 3 == 0) { bitmapSet(&a, r); sa[size_t(r)] = true; }
            if (rng() % 2 == 0) { bitmapSet(&b, r); sb[size_t(r)] = true; }
        }
        bool ia = rng() % 2, ib = rng() % 2;
        if (ia) bitmapNot(&a);
        if (ib) bitmapNot(&b);
        auto pa = [&](long r) { return bool(sa[size_t(r)]) != ia; };
        auto pb = [&](long r) { return bool(sb[size_t(r)]) != ib; };
        Bitmap both = a, either = a;
        bitmapAnd(&both, a, b);
        bitmapOr(&either, a, b);
        for (long r = 1; r <= count; ++r) {
            ASSERT_EQ(bitmapPasses(&a, r), pa(r));
            ASSERT_EQ(bitmapPasses(&both, r), pa(r) && pb(r)) << round << " " << r;
            ASSERT_EQ(bitmapPasses(&either, r), pa(r) || pb(r)) << round << " " << r;
        }
        // Records past the bitmap never pass, inverted or not.
        for (const Bitmap* m : {&a, &both, &either}) {
            EXPECT_FALSE(bitmapPasses(m, count + 1));
            EXPECT_FALSE(bitmapPasses(m, count + 100));
            EXPECT_FALSE(bitmapPasses(m, 0));
        }
        for (long from = 0; from <= count + 2; ++from) {
            long want = 0;
            for (long r = std::max(1L, from); r <= count && !want; ++r)
                if (pa(r)) want = r;
            ASSERT_EQ(bitmapNext(&a, from, 1), want) << round << " " << from;
            want = 0;
            for (long r = std::min(from, count); r >= 1 && !want; --r)
                if (pa(r)) want = r;
            ASSERT_EQ(bitmapNext(&a, from, -1), want) << round << " " << from;
        }
    }
}

TEST_F(RelationTest, AQueryIsAnsweredInRecordOrder) {
    Create();
    for (const char* a : {"DD", "AB", "ABC", "B", "AC", "AB"}) Add(t, a, "AC", 1);
    EXPECT_EQ(Walk("A >= 'AB' .AND. A <= 'AB'"), (std::vector<long>{2, 3, 6}));
    EXPECT_EQ(Walk("A = 'AB' .OR. A = 'D'"), (std::vector<long>{1, 2, 3, 6}));
    EXPECT_EQ(Walk(".NOT. A = 'A'"), (std::vector<long>{1, 4}));
    // A comparison between two fields cannot come from a tag and is still answered.
    EXPECT_EQ(Walk("A < B"), (std::vector<long>{2, 3, 5, 6}));
    EXPECT_EQ(Walk(""), (std::vector<long>{1, 2, 3, 4, 5, 6}));
}

TEST_F(RelationTest, AQueryThatNoRecordSatisfiesEndsAtOnce) {
    Create();
    AddRandom(20, 1);
    node = relateInit(t);
    ASSERT_EQ(relateQuerySet(node, "A = 'ZZ'"), 0);
    EXPECT_EQ(relateTop(node), 3);
    EXPECT_EQ(relateEof(node), 1);
    EXPECT_EQ(tableRecNo(t), 21);
    EXPECT_EQ(relateBottom(node), 3);
}

TEST_F(RelationTest, AQueryThatIsNotLogicalIsRefusedWhenSet) {
    Create();
    AddRandom(5, 2);
    ctx.errOff = 1;
    node = relateInit(t);
    EXPECT_EQ(relateQuerySet(node, "A + B"), -1);
    EXPECT_EQ(ctx.errorCode, -460);
    ctx.errorCode = 0;
    EXPECT_EQ(relateQuerySet(node, "A >= "), -1);
    EXPECT_LT(ctx.errorCode, 0);
    ctx.errorCode = 0;
    EXPECT_TRUE(fatal.empty());
    // The refused query is gone: the relation returns every record.
    EXPECT_EQ(relateTop(node), 0);
    EXPECT_EQ(tableRecNo(t), 1);
}

TEST_F(RelationTest, SkippingNeedsATopAndBackwardNeedsEnabling) {
    Create();
    AddRandom(5, 3);
    node = relateInit(t);
    EXPECT_EQ(relateSkip(node, 1), -910);
    ctx.errorCode = 0;
    ASSERT_EQ(relateTop(node), 0);
    EXPECT_EQ(relateSkip(node, -1), -910);
    ctx.errorCode = 0;
    EXPECT_EQ(fatal.size(), 2u);
    ASSERT_EQ(relateSortSet(node, "A"), 0);
    ASSERT_EQ(relateTop(node), 0);
    EXPECT_EQ(relateSkip(node, -1), -910);
    ctx.errorCode = 0;
}

TEST_F(RelationTest, ASortedResultKeepsTheQueryOrderForEqualKeys) {
    Create();
    Add(t, "C", "1", 5);
    Add(t, "A", "2", 3);
    Add(t, "C", "3", 1);
    Add(t, "B", "4", 3);
    Add(t, "A", "5", 3);
    Add(t, "Z", "6", 9);
    EXPECT_EQ(Walk("A < 'Z'", "A"), (std::vector<long>{2, 5, 4, 1, 3}));
    EXPECT_EQ(Walk("A < 'Z'", "NR"), (std::vector<long>{3, 2, 4, 5, 1}));
    // Walking again starts over.
    EXPECT_EQ(Walk("A < 'Z'", "NR"), (std::vector<long>{3, 2, 4, 5, 1}));
}

TEST_F(RelationTest, ASortedResultSkipsBackwardWhenEnabled) {
    Create();
    AddRandom(40, 4);
    std::vector<long> forward = Walk("B >= 'B'", "B+A");
    ASSERT_GT(forward.size(), 5u);
    ASSERT_EQ(relateSkipEnable(node, true), 0);
    ASSERT_EQ(relateTop(node), 0);
    EXPECT_EQ(tableRecNo(t), forward[0]);
    ASSERT_EQ(relateSkip(node, 4), 0);
    EXPECT_EQ(tableRecNo(t), forward[4]);
    ASSERT_EQ(relateSkip(node, -3), 0);
    EXPECT_EQ(tableRecNo(t), forward[1]);
    EXPECT_EQ(relateSkip(node, -2), 4);
    ASSERT_EQ(relateBottom(node), 0);
    EXPECT_EQ(tableRecNo(t), forward.back());
    EXPECT_EQ(WalkBack(true), forward);
    // The delivered entries lived in a temporary file, removed with the relation.
    FreeLeavingOnlyTables();
}

TEST_F(RelationTest, ASortLargerThanMemoryGivesTheSameOrder) {
    Create();
    AddRandom(1500, 15);
    // Two temporary files at once: the second name waits for the clock.
    engineHooks().pump = [](int h) { ::usleep(useconds_t(h) * 10000); };
    std::vector<long> inMemory = Walk("NR < 40", "A");
    relateFree(node);
    node = nullptr;
    ctx.sortBlockSize = 2048;
    node = relateInit(t);
    ASSERT_EQ(relateSkipEnable(node, true), 0);
    std::vector<long> spooled = Walk("NR < 40", "A");
    EXPECT_EQ(spooled, inMemory);
    // Equal keys in query (here record) order.
    for (size_t i = 1; i < spooled.size(); ++i) {
        if (A(spooled[i - 1]) == A(spooled[i])) {
            ASSERT_LT(spooled[i - 1], spooled[i]);
        }
    }
    EXPECT_EQ(WalkBack(false), spooled);
    FreeLeavingOnlyTables();
}

TEST_F(RelationTest, BottomAndBackwardSkipsMirrorTheForwardWalk) {
    Create();
    AddRandom(60, 5);
    UseTags({"A", "B"});
    for (QueryTag* walkTag : {static_cast<QueryTag*>(nullptr), static_cast<QueryTag*>(tags.list[1].get())}) {
        tags.chosen = walkTag;
        std::vector<long> forward = Walk("A >= 'B' .OR. B = 'A'");
        ASSERT_EQ(relateBottom(node), 0);
        std::vector<long> backward{tableRecNo(t)};
        int rc;
        while ((rc = relateSkip(node, -1)) == 0) backward.push_back(tableRecNo(t));
        EXPECT_EQ(rc, 4);
        std::reverse(backward.begin(), backward.end());
        EXPECT_EQ(backward, forward);
        relateFree(node);
        node = nullptr;
    }
}

TEST_F(RelationTest, ARangeOverAShorterConstantIsTheSameWithAndWithoutATag) {
    Create();
    for (const char* a : {"AB", "ABCD", "AA", "ABZ", "AC", "A", "B"}) Add(t, a, "", 0);
    const std::string q = "A >= 'AB' .AND. A <= 'AB'";
    std::vector<long> plain = Walk(q);
    EXPECT_EQ(plain, (std::vector<long>{1, 2, 4}));
    EXPECT_EQ(Scan(q), plain);
    relateFree(node);
    node = nullptr;
    UseTags({"A"});
    EXPECT_EQ(Walk(q), plain);
    ASSERT_NE(node->bitmap, nullptr);
    // The bitmap answers both comparisons.
    EXPECT_TRUE(node->relation->conjuncts[0].answered);
    EXPECT_TRUE(node->relation->conjuncts[1].answered);
    for (const char* other : {"A > 'AB'", "A < 'AB'", "'AB' >= A", "A > 'ABCDE'", "A < 'ABCDE'", "A >= 'ABCDE'",
                              "A = 'ABCDE'", "A # 'AB'", "A <> 'ABZ'"}) {
        std::vector<long> viaTag = Walk(other);
        ASSERT_NE(node->bitmap, nullptr) << other;
        EXPECT_EQ(viaTag, Scan(other)) << other;
    }
}

TEST_F(RelationTest, DescendingTagsAnswerRangesWalkedTheOtherWay) {
    Create(true);
    AddRandom(300, 16);
    const char* const queries[] = {"B >= 'AB'", "B > 'AB'", "B > 'ABCABC'", "B < 'B'", "B <= 'AB'",
                                   "B = 'A'", "B >= 'A' .AND. B < 'C'", "B > 'ABCDEFGH'", "B # 'AB'",
                                   "'B' > B .AND. B >= 'AB'", "B < 'A'", "B <= 'CCCCCC'"};
    MemoryTags onlyDescending;
    onlyDescending.list.push_back(std::make_unique<MemoryTag>(t, "B", true));
    for (QueryTagSource* source : {static_cast<QueryTagSource*>(&onlyDescending), static_cast<QueryTagSource*>(nullptr)}) {
        setQueryTagSource(source);
        for (const char* q : queries) {
            if (node) relateFree(node);
            node = nullptr;
            EXPECT_EQ(Walk(q), Scan(q)) << q;
            EXPECT_NE(node->bitmap, nullptr) << q;
        }
    }
}

TEST_F(RelationTest, TagsWithAFilterOrUniqueCode25AreNotUsed) {
    Create();
    AddRandom(30, 6);
    UseTags({"A", "B"});
    tags.list[0]->filter = true;
    tags.list[1]->unique = 25;
    Walk("A >= 'B' .AND. B <= 'B'");
    EXPECT_EQ(node->bitmap, nullptr);
    EXPECT_TRUE(node->relation->notOptimisable);
}

TEST_F(RelationTest, RecordsAppendedByAnotherUserAfterTopAreOutsideTheBitmap) {
    Create();
    AddRandom(50, 7);
    UseTags({"A"});
    node = relateInit(t);
    ASSERT_EQ(relateQuerySet(node, "A >= ' '"), 0);
    ASSERT_EQ(relateTop(node), 0);
    ASSERT_NE(node->bitmap, nullptr);
    long count = node->bitmap->count;
    EXPECT_EQ(count, 50);
    // Another user appends through a context of its own.
    ASSERT_NO_FATAL_FAILURE(AddAsAnotherUser(20, "AAAA", 0));
    // Their keys reach the tag as well.
    tags.list[0] = std::make_unique<MemoryTag>(t, "A");
    tags.chosen = tags.list[0].get();
    ASSERT_EQ(relateTop(node), 0);
    int rc = 0;
    std::vector<long> seen = RestForward(&rc);
    EXPECT_EQ(rc, 3);
    EXPECT_EQ(seen.size(), 50u);
    EXPECT_LE(*std::max_element(seen.begin(), seen.end()), 50);
    // In record order as well.
    tags.chosen = nullptr;
    ASSERT_EQ(relateTop(node), 0);
    EXPECT_EQ(RestForward().size(), 50u);
    // After a reset the new records are part of the result.
    ASSERT_EQ(relateChanged(node), 0);
    ASSERT_EQ(relateTop(node), 0);
    EXPECT_EQ(RestForward().size(), 70u);
}

TEST_F(RelationTest, WithoutMemoryForTheSortTheBitmapsGoAndTheResultStays) {
    std::vector<long> want;
    ASSERT_NO_FATAL_FAILURE(StartSortedByNr("A >= 'B' .AND. A < 'D'", want));
    // The sort's first allocation fails; it frees the relation's bitmaps and tries again.
    sortFailNextAllocations(1);
    ASSERT_EQ(relateTop(node), 0);
    EXPECT_EQ(node->bitmap, nullptr);
    EXPECT_EQ(ctx.errorCode, 0);
    EXPECT_EQ(RestInRecordOrder(), want);
}

// A sort short of memory takes it from a running read and write optimisation
// before the bitmaps, and the relation starts the optimisation again.
TEST_F(RelationTest, ASortShortOfMemorySuspendsTheOptimisationAndTheRelationRestartsIt) {
    std::vector<long> want;
    ASSERT_NO_FATAL_FAILURE(StartSortedByNr("A >= 'B' .AND. A < 'D'", want));
    ctx.optActive = 1; // as a running block cache would have it
    sortFailNextAllocations(1);
    ASSERT_EQ(relateTop(node), 0);
    EXPECT_NE(node->bitmap, nullptr);
    EXPECT_EQ(ctx.optActive, 1);
    EXPECT_EQ(ctx.hadOpt, 0);
    EXPECT_EQ(ctx.errorCode, 0);
    EXPECT_EQ(RestInRecordOrder(), want);
}

// Random queries of the library's shape: ranges on character keys combined
// with .AND., .OR. and .NOT.
std::string RandomConstant(std::mt19937& rng) {
    std::string c;
    for (int k = 0, len = 1 + int(rng() % 7); k < len; ++k) c += char('A' + rng() % 4);
    return "'" + c + "'";
}

std::string RandomQuery(std::mt19937& rng, int depth) {
    static const char* const ops[] = {"=", "#", "<>", "<", "<=", ">", ">=", "=<", "=>"};
    static const char* const fields[] = {"A", "B", "UPPER(B)", "SUBSTR(B,2,3)"};
    int kind = depth > 2 ? 0 : int(rng() % 6);
    if (kind <= 2) {
        std::string field = fields[rng() % 4];
        std::string op = ops[rng() % 9];
        if (rng() % 5 == 0) return RandomConstant(rng) + " " + op + " " + field;
        if (rng() % 8 == 0) return "NR " + op + " " + std::to_string(rng() % 50);
        return field + " " + op + " " + RandomConstant(rng);
    }
    if (kind == 3) return ".NOT. (" + RandomQuery(rng, depth + 1) + ")";
    std::string join = kind == 4 ? " .AND. " : " .OR. ";
    std::string q = "(" + RandomQuery(rng, depth + 1);
    for (int k = 0, n = 1 + int(rng() % 2); k < n; ++k) q += join + RandomQuery(rng, depth + 1);
    return q + ")";
}

TEST_F(RelationTest, RandomQueriesReturnWhatAScanFindsWithAndWithoutTags) {
    Create();
    AddRandom(250, 9);
    std::mt19937 rng(11);
    int withBitmap = 0;
    for (int round = 0; round < 300; ++round) {
        std::string q = RandomQuery(rng, 0);
        std::vector<long> want = Scan(q);
        setQueryTagSource(nullptr);
        if (node) relateFree(node);
        node = nullptr;
        ASSERT_EQ(Walk(q), want) << q;
        EXPECT_EQ(node->bitmap, nullptr);
        if (tags.list.empty()) {
            tags.list.push_back(std::make_unique<MemoryTag>(t, "A"));
            tags.list.push_back(std::make_unique<MemoryTag>(t, "UPPER(B)"));
            tags.list.push_back(std::make_unique<MemoryTag>(t, "NR"));
            tags.list.push_back(std::make_unique<MemoryTag>(t, "SUBSTR(B,2,3)"));
            tags.list.push_back(std::make_unique<MemoryTag>(t, "B", true));
        }
        setQueryTagSource(&tags);
        relateFree(node);
        node = nullptr;
        tags.chosen = nullptr;
        ASSERT_EQ(Walk(q), want) << q;
        withBitmap += node->bitmap ? 1 : 0;
        // Walking in the order of a tag returns the same records in key order.
        tags.chosen = tags.list[round % 5].get();
        std::vector<long> inTagOrder = Walk(q);
        std::sort(inTagOrder.begin(), inTagOrder.end());
        ASSERT_EQ(inTagOrder, want) << q;
    }
    EXPECT_GT(withBitmap, 150);
}

TEST_F(RelationTest, RandomQueriesOverIndexTagsReturnWhatAScanFinds) {
    Create(true);
    AddRandom(400, 12);
    std::mt19937 rng(13);
    NoTags none;
    int withBitmap = 0;
    const char* const walkOrders[] = {nullptr, "A", "UB", "NR", "SB", "DB"};
    for (int round = 0; round < 300; ++round) {
        std::string q = RandomQuery(rng, 0);
        std::vector<long> want = Scan(q);
        setQueryTagSource(&none);
        tableTagSelect(t, nullptr);
        if (node) relateFree(node);
        node = nullptr;
        ASSERT_EQ(Walk(q), want) << q;
        setQueryTagSource(nullptr);
        relateFree(node);
        node = nullptr;
        ASSERT_EQ(Walk(q), want) << q;
        withBitmap += node->bitmap ? 1 : 0;
        const char* order = walkOrders[round % 6];
        tableTagSelect(t, order ? tableTag(t, order) : nullptr);
        std::vector<long> walked = Walk(q);
        std::vector<long> sorted = walked;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(sorted, want) << q;
        if (order && walked.size() > 1) {
            // In the tag's key order.
            TagHandle* tag = tableTag(t, order);
            std::string last;
            for (long r : walked) {
                ASSERT_EQ(tableGo(t, r), 0);
                std::string key;
                ASSERT_GE(TagExprKey(tag->tagFile, t, key), 0);
                if (!last.empty()) {
                    ASSERT_LE(tag->tagFile->Compare(last.data(), key.data(), key.size()), 0) << q;
                }
                last = key;
            }
        }
    }
    EXPECT_GT(withBitmap, 150);
}

TEST_F(RelationTest, RecordsAppendedElsewhereAfterTopDoNotPassIndexTags) {
    Create(true);
    AddRandom(100, 14);
    tableTagSelect(t, tableTag(t, "A"));
    node = relateInit(t);
    ASSERT_EQ(relateQuerySet(node, "A >= ' ' .AND. NR >= 0"), 0);
    ASSERT_EQ(relateTop(node), 0);
    ASSERT_NE(node->bitmap, nullptr);
    ASSERT_NO_FATAL_FAILURE(AddAsAnotherUser(30, "", 1));
    int rc = 0;
    std::vector<long> seen = RestForward(&rc);
    EXPECT_EQ(rc, 3);
    EXPECT_EQ(seen.size(), 100u);
    EXPECT_LE(*std::max_element(seen.begin(), seen.end()), 100);
    ASSERT_EQ(relateChanged(node), 0);
    ASSERT_EQ(relateTop(node), 0);
    EXPECT_EQ(RestForward().size(), 130u);
}

} // namespace
} // namespace vx
