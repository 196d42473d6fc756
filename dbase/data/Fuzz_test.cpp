// Truncated and bit-flipped data and memo files: the engine must answer with
// an error code, never crash, read outside a buffer or end the program.
#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/expr/ExprStep.h"
#include "dbase/expr/ExprTableHandle.h"
#include "dbase/data/Field.h"
#include "dbase/index/IndexFile.h"
#include "dbase/index/TagFile.h"
#include "dbase/data/Table.h"
#include "platform/NumText.h"

#include <cstdio>
#include <random>

namespace vx {
namespace {

class FuzzTest : public test::EngineTest {
protected:
    void SetUp() override {
        test::EngineTest::SetUp();
        const FieldInfo fields[] = {{"NAME", 'C', 12, 0, 0}, {"ZAHL", 'N', 8, 2, 0}, {"DATUM", 'D', 8, 0, 0},
                                    {"OK", 'L', 1, 0, 0},    {"TEXT", 'M', 10, 0, 0}, {}};
        TableHandle* t = tableCreate(&ctx, Path("FUZZ"), fields);
        ASSERT_NE(t, nullptr);
        for (int i = 0; i < 12; ++i) {
            tableAppendStart(t, false);
            tableBlank(t);
            fieldAssign(tableField(t, "NAME"), "Name");
            fieldAssignLong(tableField(t, "ZAHL"), i);
            fieldAssign(tableField(t, "DATUM"), "20080828");
            fieldAssign(tableField(t, "OK"), "T");
            std::string text(size_t(40 + i * 97), char('a' + i));
            fieldMemoAssignN(tableField(t, "TEXT"), text.data(), uint32_t(text.size()));
            ASSERT_EQ(tableAppend(t), 0);
        }
        tableClose(t);
        dbf = Read("FUZZ.DBF");
        dbt = Read("FUZZ.DBT");
        ctx.errOff = 1;
    }

    // Opens the table and reads everything; returns the number of errors met.
    int Exercise() {
        ctx.errorCode = 0;
        TableHandle* t = tableOpen(&ctx, Path("FUZZ"));
        if (!t) {
            EXPECT_LT(ctx.errorCode, 0) << "a failed open without an error code";
            return 1;
        }
        int errors = 0;
        ctx.errGo = 0;
        for (long r = 1; r <= tableRecCount(t) + 1; ++r) {
            ctx.errorCode = 0;
            int rc = tableGo(t, r);
            if (rc < 0) ++errors;
            if (rc != 0) continue;
            // A flipped name leaves no such field: a null handle is the caller's fault.
            Field* m = tableField(t, "TEXT");
            Field* zahl = tableField(t, "ZAHL");
            Field* datum = tableField(t, "DATUM");
            ctx.errorCode = 0;
            if (!m || !zahl || !datum) continue;
            const char* p = fieldMemoPtr(m);
            uint32_t len = fieldMemoLen(m);
            EXPECT_NE(p, nullptr);
            if (ctx.errorCode < 0) ++errors;
            // Reading what was handed out must stay inside the buffer.
            volatile char sink = 0;
            for (uint32_t i = 0; i < len; ++i) sink = char(sink ^ p[i]);
            fieldDouble(zahl);
            fieldLong(datum);
        }
        ctx.errorCode = 0;
        if (tableTop(t) == 0) {
            int steps = 0;
            int rc = 0;
            while ((rc = tableSkip(t, 1)) == 0 && steps < 100) ++steps;
            if (rc < 0) ++errors;
        }
        ctx.errorCode = 0;
        tableClose(t);
        ctx.errGo = 1;
        return errors;
    }

    std::string dbf, dbt;
};

TEST_F(FuzzTest, TruncatedDataFiles) {
    for (size_t len = 0; len < dbf.size(); len += (len < 200 ? 1 : 7)) {
        Write("FUZZ.DBF", dbf.substr(0, len));
        Write("FUZZ.DBT", dbt);
        int errors = Exercise();
        // Short of the header and descriptors, the open itself must fail.
        if (len < 32 + 5 * 32 + 1) {
            EXPECT_GT(errors, 0) << "length " << len;
        }
    }
    EXPECT_TRUE(fatal.empty()) << (fatal.empty() ? 0 : fatal[0]) << " at " << ctx.errorLocation;
}

TEST_F(FuzzTest, TruncatedMemoFiles) {
    for (size_t len = 0; len < dbt.size(); len += 13) {
        Write("FUZZ.DBF", dbf);
        Write("FUZZ.DBT", dbt.substr(0, len));
        int errors = Exercise();
        // Every record has a memo, so a memo file cut short must show.
        if (len < dbt.size() - 512) {
            EXPECT_GT(errors, 0) << "length " << len;
        }
    }
    EXPECT_TRUE(fatal.empty()) << (fatal.empty() ? 0 : fatal[0]) << " at " << ctx.errorLocation;
}

TEST_F(FuzzTest, BitFlippedFiles) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 400; ++round) {
        std::string a = dbf, b = dbt;
        int flips = 1 + int(rng() % 6);
        for (int i = 0; i < flips; ++i) {
            bool inMemo = rng() % 2 == 0;
            std::string& s = inMemo ? b : a;
            // Mostly the structures: headers, descriptors and block headers.
            size_t pos = rng() % 3 == 0 ? rng() % s.size() : (inMemo ? 512 * (rng() % (s.size() / 512)) + rng() % 8 : rng() % 200);
            if (pos >= s.size()) pos = s.size() - 1;
            s[pos] = char(s[pos] ^ (1 << (rng() % 8)));
        }
        Write("FUZZ.DBF", a);
        Write("FUZZ.DBT", b);
        Exercise();
        // Writing to a damaged memo file must not spread the damage unnoticed.
        ctx.errorCode = 0;
        TableHandle* t = tableOpen(&ctx, Path("FUZZ"));
        if (t && tableGo(t, 1) == 0 && t->fields.size() > 4 && t->fields[4].memo) {
            fieldMemoAssignN(&t->fields[4], "neu", 3);
            int rc = tableUpdate(t);
            EXPECT_TRUE(rc == 0 || ctx.errorCode < 0);
        }
        ctx.errorCode = 0;
        if (t) tableClose(t);
    }
    EXPECT_TRUE(fatal.empty()) << (fatal.empty() ? 0 : fatal[0]) << " at " << ctx.errorLocation;
}

// Random expressions, mostly well formed, some damaged, some nested very
// deep, parsed against a table, evaluated on every record and used as a
// tag's key or filter: results and error codes only.
class ExprFuzz {
public:
    explicit ExprFuzz(std::mt19937& rng) : rng_(rng) {}

    std::string Expression(int depth = 0) {
        std::string s = Value(depth);
        int ops = int(rng_() % 3);
        for (int i = 0; i < ops; ++i) s += Pick(kOperators) + Value(depth);
        return s;
    }

    // A text as a user or a damaged file may give it.
    std::string Text() {
        std::string s = Expression();
        switch (rng_() % 8) {
        case 0: s[rng_() % s.size()] = char(rng_()); break;
        case 1: s.erase(rng_() % s.size()); break;
        case 2: s += Pick({")", ",", "+", ".AND.", "(", "\"", "->"}); break;
        case 3: {
            int depth = int(rng_() % 3 == 0 ? 20000 + rng_() % 20000 : rng_() % 100);
            std::string open = rng_() % 2 ? "(" : Pick({"UPPER(", "TRIM(", "ALLTRIM(", ".NOT.(", "DESCEND("});
            std::string t;
            for (int i = 0; i < depth; ++i) t += open;
            t += s;
            if (rng_() % 4) t += std::string(size_t(depth), ')');
            s = t;
            break;
        }
        default: break;
        }
        return s;
    }

private:
    static inline const std::vector<std::string> kOperators = {
        "+", "-", "*", "/", "^", "**", "=", "#", "<>", "<", ">", "<=", ">=", "=<", "=>", "$", " .AND. ", " .OR. "};

    std::string Pick(const std::vector<std::string>& from) { return from[rng_() % from.size()]; }

    std::string Value(int depth) {
        if (depth > 4) return Pick({"NAME", "ZAHL", "DATUM", "OK", "1"});
        switch (rng_() % 10) {
        case 0: return Pick({"NAME", "ZAHL", "DATUM", "OK", "TEXT", "FUZZ->NAME", "X->Y", "NOPE"});
        case 1: return Pick({"1", "-2.5", "0", "1e308", ".5", "99999999999999999999", "-0"});
        case 2: return Pick({"\"abc\"", "'x'", "[klammer]", "\"\"", "\"" + std::string(300, 'q') + "\""});
        case 3: return Pick({".T.", ".F.", ".TRUE.", ".FALSE."});
        case 4: return ".NOT. " + Value(depth + 1);
        case 5: return "(" + Expression(depth + 1) + ")";
        default: {
            static const std::vector<std::pair<std::string, int>> kFunctions = {
                {"UPPER", 1},  {"TRIM", 1},    {"LTRIM", 1},  {"ALLTRIM", 1}, {"STR", 3},     {"STR", 1},
                {"SUBSTR", 3}, {"LEFT", 2},    {"RIGHT", 2},  {"DTOS", 1},    {"DTOC", 1},    {"DTOC", 2},
                {"CTOD", 1},   {"STOD", 1},    {"DAY", 1},    {"MONTH", 1},   {"YEAR", 1},    {"VAL", 1},
                {"IIF", 3},    {"CHR", 1},     {"DEL", 0},    {"DELETED", 0}, {"RECNO", 0},   {"RECCOUNT", 0},
                {"DATE", 0},   {"TIME", 0},    {"ASCEND", 1}, {"DESCEND", 1}, {"PAGENO", 0},  {"NIX", 1}};
            auto f = kFunctions[rng_() % kFunctions.size()];
            int args = rng_() % 8 == 0 ? int(rng_() % 5) : f.second;
            std::string s = f.first + "(";
            for (int i = 0; i < args; ++i) {
                if (i) s += ",";
                // Counts and lengths are constants mostly.
                s += i > 0 && rng_() % 3 ? std::to_string(int(rng_() % 40) - 5) : Expression(depth + 1);
            }
            return s + ")";
        }
        }
    }

    std::mt19937& rng_;
};

TEST_F(FuzzTest, ExpressionsGiveResultsOrCodes) {
    test::FuzzBudget budget(1500, 77);
    std::mt19937 rng(budget.seed());
    ExprFuzz gen(rng);
    TableHandle* t = tableOpen(&ctx, Path("FUZZ"));
    ASSERT_NE(t, nullptr);
    long round = 0, parsed = 0, tags = 0;
    for (; budget.more(round); ++round) {
        std::string text = gen.Text();
        ctx.errorCode = 0;
        std::unique_ptr<CompiledExpr> e;
        int rc = exprParse(t, text, rng() % 2 == 0, e);
        ASSERT_EQ(rc < 0, e == nullptr) << text.substr(0, 200);
        ASSERT_TRUE(fatal.empty()) << text.substr(0, 200);
        ctx.errorCode = 0;
        if (rc < 0) continue;
        ++parsed;
        for (long r = 1; r <= tableRecCount(t); ++r) {
            ASSERT_EQ(tableGo(t, r), 0);
            const char* p = nullptr;
            int len = exprVary(*e, &p);
            ASSERT_GE(len, 0) << text;
            volatile char sink = 0;
            for (int i = 0; i < len; ++i) sink = char(sink ^ p[i]);
            ASSERT_GE(exprKey(*e, &p), 0) << text;
            exprDouble(*e);
            int truth = exprTrue(*e);
            ASSERT_TRUE(e->type == 'L' ? truth == 0 || truth == 1 : truth == -950) << text;
            for (int s = 0; s < int(e->steps.size()); ++s) ASSERT_GE(exprExecute(*e, s, &p), 0) << text;
        }
        // As a tag: the key of a tag, or the filter of one.
        if (round % 8 == 0 && text.size() <= 220) {
            bool logical = e->type == 'L';
            std::string name = Format("X%ld", round);
            const TagInfo info[] = {{"T", logical ? "NAME" : text.c_str(), logical ? text.c_str() : nullptr, 0, 0}, {}};
            ctx.errorCode = 0;
            IndexFile* index = indexCreate(t, Path(name).c_str(), info);
            ctx.errorCode = 0;
            if (index) {
                ++tags;
                TagFile* tag = index->tags[0]->tagFile;
                int steps = 0;
                for (int go = TagTop(tag); go == 0 && !TagIsEof(tag) && steps < 100; ++steps)
                    if (TagSkip(tag, 1) != 1) break;
                ASSERT_EQ(indexClose(index), 0);
            }
            ctx.errorCode = 0;
            std::remove((Path(name) + ".MDX").c_str());
        }
        ASSERT_TRUE(fatal.empty()) << text.substr(0, 200);
    }
    tableClose(t);
    if (budget.timed())
        std::printf("fuzz: %ld expressions in %.0f s, %ld parsed, %ld tags\n", round, budget.elapsed(), parsed, tags);
    EXPECT_GT(parsed, round / 10);
    EXPECT_GT(tags, 0);
}

} // namespace
} // namespace vx
