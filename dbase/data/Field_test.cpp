#include "dbase/data/Field.h"

#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/FieldView.h"
#include "dbase/index/TableTag.h"

#include <cstring>

namespace vx {
namespace {

class FieldTest : public test::EngineTest {
protected:
    void SetUp() override {
        test::EngineTest::SetUp();
        const FieldInfo fields[] = {{"NAME", 'C', 5, 0, 0},  {"N3", 'N', 3, 0, 0},    {"N1", 'N', 1, 0, 0},
                                    {"F", 'F', 8, 3, 0},     {"DATUM", 'D', 8, 0, 0}, {"OK", 'L', 1, 0, 0},
                                    {"GELD", 'N', 10, 2, 0}, {"NOTIZ", 'M', 10, 0, 0}, {"LANG", 'C', 300, 0, 0},
                                    {}};
        t = tableCreate(&ctx, Path("FELDER"), fields);
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(tableAppendBlank(t), 0);
    }
    void TearDown() override {
        if (t) tableClose(t);
        test::EngineTest::TearDown();
    }
    Field* F(const char* name) { return tableField(t, name); }
    std::string Bytes(const char* name) { return std::string(fieldPtr(F(name)), fieldLen(F(name))); }
    TableHandle* t = nullptr;
};

TEST_F(FieldTest, AssignCutsOrPadsToTheFieldLength) {
    ASSERT_EQ(fieldAssign(F("NAME"), "ABC"), 0);
    EXPECT_EQ(Bytes("NAME"), "ABC  ");
    ASSERT_EQ(fieldAssign(F("NAME"), "ABCDEFG"), 0);
    EXPECT_EQ(Bytes("NAME"), "ABCDE");
    EXPECT_EQ(tableChanged(t, -1), 1);
    EXPECT_STREQ(fieldStr(F("NAME")), "ABCDE");
}

TEST_F(FieldTest, TypesAndNumbers) {
    EXPECT_EQ(fieldType(F("F")), 'N');
    EXPECT_EQ(fieldType(F("DATUM")), 'D');
    EXPECT_EQ(fieldDecimals(F("GELD")), 2);
    EXPECT_EQ(fieldAssignLong(F("N3"), -5), 0);
    EXPECT_EQ(Bytes("N3"), " -5");
    EXPECT_EQ(fieldAssignLong(F("N1"), -5), -440);
    EXPECT_EQ(Bytes("N1"), "*");
    EXPECT_EQ(fieldAssignLong(F("GELD"), 42), 0);
    EXPECT_EQ(Bytes("GELD"), "     42.00");
    EXPECT_EQ(fieldLong(F("GELD")), 42);
    EXPECT_EQ(fieldAssignDouble(F("F"), 3.14159), 0);
    EXPECT_EQ(Bytes("F"), "   3.142");
    EXPECT_EQ(fieldAssignDouble(F("N3"), 12345.0), -440);
    EXPECT_EQ(Bytes("N3"), "***");
    EXPECT_EQ(ctx.errorCode, 0);
}

TEST_F(FieldTest, AnOverflowIsReportedAlikeForWholeNumbersAndDoubles) {
    const struct {
        const char* field;
        long value;
        int rc;
        const char* bytes;
    } cases[] = {
        {"N3", 12345, -440, "***"},      {"N3", -100, -440, "***"}, {"N1", 10, -440, "*"},
        {"GELD", 123456789, -440, "**********"}, {"N3", 999, 0, "999"}, {"N3", -99, 0, "-99"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fieldAssignLong(F(c.field), c.value), c.rc) << c.field << " " << c.value;
        EXPECT_EQ(Bytes(c.field), c.bytes) << c.field << " " << c.value;
        fieldAssign(F(c.field), "");
        EXPECT_EQ(fieldAssignDouble(F(c.field), double(c.value)), c.rc) << c.field << " " << c.value;
        EXPECT_EQ(Bytes(c.field), c.bytes) << c.field << " " << c.value;
    }
    // Only a result: no message, and the context stays usable.
    EXPECT_EQ(ctx.errorCode, 0);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(FieldTest, DatesGoThroughTheJulianDayNumber) {
    fieldAssign(F("DATUM"), "20080828");
    EXPECT_EQ(fieldLong(F("DATUM")), 2454707);
    EXPECT_DOUBLE_EQ(fieldDouble(F("DATUM")), 2454707.0);
    ASSERT_EQ(fieldAssignLong(F("DATUM"), 2454708), 0);
    EXPECT_EQ(Bytes("DATUM"), "20080829");
    fieldAssign(F("DATUM"), "");
    EXPECT_EQ(fieldLong(F("DATUM")), 0);
}

TEST_F(FieldTest, LogicalFieldsRefuseNumbers) {
    EXPECT_EQ(fieldAssignLong(F("OK"), 1), -930);
    EXPECT_EQ(fatal.size(), 1u);
    EXPECT_NE(Shown().back().text.find("Feldfunktion für diesen Feldtyp nicht unterstützt"), std::string::npos);
    ctx.errorCode = 0;
}

TEST_F(FieldTest, AssignFieldFollowsTheTargetType) {
    fieldAssign(F("NAME"), "xyz");
    fieldAssign(F("DATUM"), "20080828");
    ASSERT_EQ(fieldAssignField(F("DATUM"), F("NAME")), 0);
    EXPECT_EQ(Bytes("DATUM"), "20080828");
    ASSERT_EQ(fieldAssignField(F("NAME"), F("DATUM")), 0);
    EXPECT_EQ(Bytes("NAME"), "20080");
    fieldAssignDouble(F("GELD"), 7.25);
    ASSERT_EQ(fieldAssignField(F("F"), F("GELD")), 0);
    EXPECT_EQ(Bytes("F"), "   7.250");
    fieldAssign(F("OK"), "T");
    ASSERT_EQ(fieldAssignField(F("OK"), F("NAME")), 0);
    EXPECT_EQ(Bytes("OK"), "T");
}

TEST_F(FieldTest, MemoContentsRoundTrip) {
    Field* m = F("NOTIZ");
    EXPECT_EQ(fieldMemoLen(m), 0u);
    std::string text = "Zeile 1\r\nZeile 2 mit Umlaut ä";
    ASSERT_EQ(fieldMemoAssignN(m, text.data(), uint32_t(text.size())), 0);
    ASSERT_EQ(tableUpdate(t), 0);
    EXPECT_EQ(Bytes("NOTIZ"), "         1");
    ASSERT_EQ(tableGo(t, 1), 0);
    EXPECT_EQ(std::string(fieldMemoPtr(m), fieldMemoLen(m)), text);
    ASSERT_EQ(fieldMemoSetLen(m, 7), 0);
    EXPECT_STREQ(fieldMemoStr(m), "Zeile 1");
    ASSERT_EQ(tableGo(t, 1), 0);
    EXPECT_STREQ(fieldMemoStr(m), "Zeile 1");
    // Empty contents free the block and blank the field.
    ASSERT_EQ(fieldMemoAssignN(m, "", 0), 0);
    ASSERT_EQ(tableGo(t, 1), 0);
    EXPECT_EQ(Bytes("NOTIZ"), "          ");
    // A memo field copied into a new record gets a block of its own.
    fieldMemoAssignN(m, "kopie", 5);
    ASSERT_EQ(tableGo(t, 1), 0);
    ASSERT_EQ(tableAppendStart(t, true), 0);
    ASSERT_EQ(tableAppend(t), 0);
    EXPECT_EQ(tableRecNo(t), 2);
    long second = fieldLong(m);
    tableGo(t, 1);
    EXPECT_NE(fieldLong(m), second);
    tableGo(t, 2);
    EXPECT_STREQ(fieldMemoStr(m), "kopie");
    EXPECT_STREQ(fieldMemoStr(F("NAME")), "     ");
}

TEST_F(FieldTest, ReadLockTakesCurrentMemoBlockNumbers) {
    fieldMemoAssignN(F("NOTIZ"), "alt", 3);
    ASSERT_EQ(tableUpdate(t), 0);
    ASSERT_EQ(tableGo(t, 1), 0);
    tableUnlock(t);
    // Another user moves the memo to a larger run.
    EngineContext other;
    ASSERT_EQ(engineInit(&other), 0);
    TableHandle* o = tableOpen(&other, Path("FELDER"));
    ASSERT_NE(o, nullptr);
    ASSERT_EQ(tableGo(o, 1), 0);
    std::string big(2000, 'n');
    fieldMemoAssignN(tableField(o, "NOTIZ"), big.data(), uint32_t(big.size()));
    ASSERT_EQ(tableClose(o), 0);
    engineInitUndo(&other);
    ctx.readLock = 1;
    EXPECT_EQ(fieldMemoLen(F("NOTIZ")), 2000u);
    EXPECT_EQ(tableLockTest(t, 1), 1);
}

TEST_F(FieldTest, StrViewStrCutsAtItsBuffer) {
    FieldView v(t, "LANG");
    ASSERT_TRUE(v.isValid());
    std::string text(300, 'q');
    ASSERT_EQ(v.assign(text.c_str()), 0);
    EXPECT_EQ(std::strlen(v.str()), 256u);
    char small[4];
    EXPECT_EQ(v.ncpy(small, sizeof small), 3u);
    EXPECT_STREQ(small, "qqq");
}

TEST_F(FieldTest, FieldViewsAssignAndConvert) {
    FieldView name(t, "NAME"), geld(t, "GELD");
    EXPECT_EQ(name.len(), 5u);
    name.assign("ab");
    name.upper();
    EXPECT_EQ(Bytes("NAME"), "AB   ");
    name.assignLong(42, 0, true);
    EXPECT_EQ(Bytes("NAME"), "00042");
    EXPECT_EQ(long(name), 42);
    geld.assign("  -3.50");
    EXPECT_DOUBLE_EQ(double(geld), -3.5);
    EXPECT_EQ(geld.decimals(), 2);
    name.set('x');
    EXPECT_EQ(Bytes("NAME"), "xxxxx");
    FieldView missing;
    ctx.errFieldName = 0;
    EXPECT_EQ(missing.init(t, "NIX"), -210);
}

TEST_F(FieldTest, FieldViewsObeyLockEnforce) {
    ASSERT_EQ(tableGo(t, 1), 0);
    tableUnlock(t);
    ctx.lockEnforce = 1;
    FieldView name(t, "NAME");
    EXPECT_EQ(name.assign("no"), -50);
    ctx.errorCode = 0;
    ASSERT_EQ(tableLock(t, 1), 0);
    EXPECT_EQ(name.assign("ok"), 0);
}

TEST_F(FieldTest, MemoFieldViewsViewTheContents) {
    MemoFieldView unbound;
    EXPECT_EQ(unbound.len(), 0u);
    MemoFieldView notiz(t, "NOTIZ");
    ASSERT_EQ(notiz.assign("Bemerkung"), 0);
    EXPECT_EQ(notiz.len(), 9u);
    EXPECT_STREQ(notiz.str(), "Bemerkung");
    ASSERT_EQ(tableGo(t, 1), 0);
    EXPECT_STREQ(notiz.str(), "Bemerkung");
    notiz.trim();
    EXPECT_EQ(notiz.len(), 9u);
}

TEST_F(FieldTest, StrTenHoldsTenCharacters) {
    StrTen s;
    EXPECT_EQ(s.maximum(), 10u);
    EXPECT_EQ(s.assign("abc"), 0);
    EXPECT_STREQ(s.str(), "abc");
    EXPECT_EQ(s.setLen(12), -1);
    EXPECT_EQ(s.len(), 10u);
    EXPECT_EQ(s.assign("ABCDEFGHIJKLMN"), -1);
    EXPECT_STREQ(s.str(), "ABCDEFGHIJ");
}

TEST_F(FieldTest, FieldInfoListDescribesATable) {
    FieldInfoList list(t);
    EXPECT_EQ(list.size(), 9);
    EXPECT_STREQ(list[1].name, "NAME");
    EXPECT_EQ(list[7].len, 10);
    EXPECT_EQ(list[7].dec, 2);
    EXPECT_EQ(list[10].name, nullptr);
    list.AddFieldEntry("neuername  ", 'C', 12, 0);
    EXPECT_STREQ(list[10].name, "NEUERNAME");
    list.AddFieldEntry("sehrlangername", 'N', 5, 1);
    EXPECT_STREQ(list[11].name, "SEHRLANGER");
    EXPECT_EQ(list.fields()[11].name, nullptr);
    // The list creates a table of the same shape.
    TableHandle* copy = tableCreate(&ctx, Path("KOPIE"), list.fields());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(tableNumFields(copy), 11);
    EXPECT_EQ(fieldLen(tableField(copy, "LANG")), 300u);
    tableClose(copy);
    list.Release();
    EXPECT_EQ(list.size(), 0);
}

TEST_F(FieldTest, TagRefFindsNoTagWithoutAnIndex) {
    TagRef none(t);
    EXPECT_FALSE(none.isValid());
    ctx.errTagName = 0;
    EXPECT_EQ(none.init(t, "NAME"), 80);
}

} // namespace
} // namespace vx
