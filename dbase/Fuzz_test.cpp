// Truncated and bit-flipped data and memo files: the engine must answer with
// an error code, never crash, read outside a buffer or end the program.
#include "dbase/EngineTestSupport.h"
#include "dbase/Field.h"
#include "dbase/Table.h"

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

} // namespace
} // namespace vx
