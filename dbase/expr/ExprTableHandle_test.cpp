#include "dbase/expr/ExprTableHandle.h"

#include <cstring>

#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/data/Table.h"

namespace vx {
namespace {

class ExprTableTest : public test::EngineTest {
protected:
    void SetUp() override {
        test::EngineTest::SetUp();
        const FieldInfo fields[] = {{"NAME1", 'C', 10, 0, 0}, {"PREIS", 'N', 8, 2, 0},
                                    {"DATUM", 'D', 8, 0, 0},  {"OK", 'L', 1, 0, 0},
                                    {"NOTIZ", 'M', 10, 0, 0}, {}};
        t = tableCreate(&ctx, Path("ADRESSE"), fields);
        ASSERT_NE(t, nullptr);
        const FieldInfo plz[] = {{"PLZ", 'C', 5, 0, 0}, {}};
        p = tableCreate(&ctx, Path("PLZORT"), plz);
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(tableAppendBlank(p), 0);
        fieldAssign(tableField(p, "PLZ"), "53111");
        ASSERT_EQ(tableAppendBlank(t), 0);
        fieldAssign(tableField(t, "NAME1"), "M\x81ller");
        fieldAssignDouble(tableField(t, "PREIS"), 12.5);
        fieldAssign(tableField(t, "DATUM"), "20080828");
        fieldAssign(tableField(t, "OK"), "T");
        const char memo[] = "Eine Notiz";
        fieldMemoAssignN(tableField(t, "NOTIZ"), memo, sizeof memo - 1);
    }
    void TearDown() override {
        if (t) tableClose(t);
        if (p) tableClose(p);
        test::EngineTest::TearDown();
    }
    std::string Text(const char* text) {
        std::unique_ptr<CompiledExpr> e;
        EXPECT_EQ(exprParse(t, text, false, e), 0) << text;
        if (!e) return "";
        const char* out = nullptr;
        int len = exprVary(*e, &out);
        return len < 0 ? "" : std::string(out, size_t(len));
    }
    TableHandle* t = nullptr;
    TableHandle* p = nullptr;
};

TEST_F(ExprTableTest, FieldsOfTheCurrentRecord) {
    for (auto [expr, value] : {std::pair{"UPPER(NAME1)", "M\x9ALLER    "}, {"STR(PREIS*2,8,2)", "   25.00"},
                               {"DTOS(DATUM+4)", "20080901"}, {"LEFT(NOTIZ,4)", "Eine"}, {"PLZORT->PLZ + \"x\"", "53111x"}})
        EXPECT_EQ(Text(expr), value) << expr;
    std::unique_ptr<CompiledExpr> e;
    ASSERT_EQ(exprParse(t, "OK .AND. NAME1 = \"Mueller\" .AND. RECNO() = 1", false, e), 0);
    EXPECT_EQ(exprTrue(*e), 1);
}

TEST_F(ExprTableTest, ErrorsAreReportedWithTheText) {
    std::unique_ptr<CompiledExpr> e;
    EXPECT_EQ(exprParse(t, "PLZORT->PLZ", true, e), -510);
    EXPECT_EQ(e, nullptr);
    ASSERT_FALSE(Shown().empty());
    EXPECT_NE(Shown().back().text.find("PLZORT->PLZ"), std::string::npos);
    EXPECT_EQ(ctx.errorCode, -510);
    ctx.errorCode = 0;
    EXPECT_EQ(exprParse(t, "UNBEKANNT", false, e), -490);
    ctx.errorCode = 0;
}

TEST_F(ExprTableTest, DatePictureAndMemoLengthComeFromTheContext) {
    ASSERT_EQ(engineDateFormatSet(&ctx, "CCYY-MM-DD"), 0);
    EXPECT_EQ(Text("DTOC(DATUM)"), "2008-08-28");
    ctx.memExprSize = 20;
    EXPECT_EQ(Text("NOTIZ").size(), 20u);
}

} // namespace
} // namespace vx

namespace vx {
namespace {

TEST_F(ExprTableTest, ContextMovesToAnotherHandleOfTheSameFile) {
    ASSERT_EQ(tableAppendBlank(t), 0);
    fieldAssign(tableField(t, "NAME1"), "Zweiter");
    ASSERT_EQ(tableFlush(t), 0);
    ctx.singleOpen = 0;
    TableHandle* second = tableOpen(&ctx, Path("ADRESSE"));
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(tableGo(second, 1), 0);
    std::unique_ptr<CompiledExpr> e;
    ASSERT_EQ(exprParse(t, "LEFT(NAME1,7)+PLZORT->PLZ", false, e), 0);
    const char* out = nullptr;
    ASSERT_EQ(exprVary(*e, &out), 12);
    EXPECT_EQ(std::string(out, 12), "Zweiter53111");
    ASSERT_EQ(exprContext(*e, second), 0);
    ASSERT_EQ(exprVary(*e, &out), 12);
    EXPECT_EQ(std::string(out, 12), "M\x81ller 53111");
    EXPECT_EQ(exprContext(*e, p), -930);
    tableClose(second);
}

} // namespace
} // namespace vx
