// Tables that declare Windows ANSI in their header hold code page 1252 text:
// their keys upper-case and collate as that code page's letters.
#include "dbase/util/Collate.h"
#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/index/IndexFile.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"

#include <string>
#include <vector>

namespace vx {
namespace {

int AnsiCmp(std::string a, std::string b) {
    size_t n = std::max(a.size(), b.size());
    a.resize(n, ' ');
    b.resize(n, ' ');
    int r = collateCompareAnsi(a.data(), b.data(), n);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

TEST(CodePageCollate, AnsiTextSortsAsItsOemSpelling) {
    EXPECT_EQ(AnsiCmp("M\xFCller", "Mudd"), 1);
    EXPECT_EQ(AnsiCmp("M\xFCller", "Mufa"), -1);
    EXPECT_EQ(AnsiCmp("\xC4pfel", "Aepfel"), AnsiCmp("Aepfel", "\xC4pfel") * -1);
    EXPECT_EQ(AnsiCmp("Stra\xDF" "e", "Strasse") != 0, true);  // equal by spelling, the bytes decide
    EXPECT_EQ(AnsiCmp("Stra\xDF" "e", "Strasso"), -1);
    // A byte that code page 437 lacks still orders, by its value.
    EXPECT_NE(AnsiCmp("\x80", "?"), 0);
    EXPECT_EQ(AnsiCmp("abc", "abc"), 0);
}

TEST(CodePageCollate, DriverBytes) {
    for (unsigned char d : {0x03, 0x57, 0x58, 0x59}) EXPECT_EQ(collateCodePageOfDriver(d), 1252) << int(d);
    for (unsigned char d : {0x00, 0x01, 0x02, 0x64}) EXPECT_EQ(collateCodePageOfDriver(d), 437) << int(d);
    EXPECT_EQ(collateDriverOfCodePage(1252), 0x03);
    EXPECT_EQ(collateDriverOfCodePage(0), 0x00);
    char text[] = "\xE4\xF6\xFC\xDF";
    collateUpper(1252, text, 4);
    EXPECT_EQ(std::string(text), "\xC4\xD6\xDC\xDF");
}

class CodePageTable : public test::EngineTest {
protected:
    // Creates a table of names with a tag on the upper-cased first letter and
    // one on the name; returns the names in the order of tag NAME and the
    // KEYORT keys of each record in record order.
    void Build(int codePage, std::vector<std::string>& order, std::vector<std::string>& firstKeys) {
        const FieldInfo fields[] = {{"NAME", 'C', 20, 0, 0}, {}};
        const TagInfo tags[] = {{"NAME", "NAME", nullptr, 0, 0}, {"KEYORT", "UPPER(LEFT(NAME,1))", nullptr, 0, 0}, {}};
        ctx.codePage = codePage;
        TableHandle* t = tableCreate(&ctx, Path("ORTE"), fields, tags);
        ASSERT_NE(t, nullptr);
        for (const char* n : {"Mzz", "M\xFCller", "Maa", "\xE4pfel", "Mudd", "\xC4rger", "Mufa"}) {
            ASSERT_EQ(tableAppendBlank(t), 0);
            fieldAssign(tableField(t, "NAME"), n);
        }
        tableFlush(t);
        tableTagSelect(t, tableTag(t, "NAME"));
        for (int rc = tableTop(t); rc == 0 && !tableEof(t); rc = tableSkip(t, 1)) {
            std::string s = fieldStr(tableField(t, "NAME"));
            order.push_back(s.substr(0, s.find_last_not_of(' ') + 1));
        }
        TagHandle* keyOrt = tableTag(t, "KEYORT");
        ASSERT_NE(keyOrt, nullptr);
        for (long r = 1; r <= tableRecCount(t); ++r) {
            tableGo(t, r);
            std::string key;
            ASSERT_GE(TagExprKey(keyOrt->tagFile, t, key), 0);
            firstKeys.push_back(key);
        }
        tableClose(t);
    }
};

TEST_F(CodePageTable, AnAnsiTableUpperCasesAndCollatesItsUmlauts) {
    std::vector<std::string> order, keys;
    Build(1252, order, keys);
    EXPECT_EQ(test::Byte(Read("ORTE.DBF"), 29), 0x03u);
    // Capitals first, as in every table; "Ä" as "Ae", "ü" as "ue".
    EXPECT_EQ(order, (std::vector<std::string>{"\xC4rger", "Maa", "Mudd", "M\xFCller", "Mufa", "Mzz", "\xE4pfel"}));
    // "ä" and "Ä" give one KEYORT key.
    EXPECT_EQ(keys[3], "\xC4");
    EXPECT_EQ(keys[5], "\xC4");
    EXPECT_EQ(keys[1], "M");
    // Reopened, the table keeps its code page.
    TableHandle* t = tableOpen(&ctx, Path("ORTE"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->file->codePage, 1252);
    tableTagSelect(t, tableTag(t, "NAME"));
    EXPECT_EQ(tableSeek(t, "M\xFCller"), 0);
    EXPECT_EQ(tableRecNo(t), 2);
    tableClose(t);
}

TEST_F(CodePageTable, ATableWithoutADeclaredCodePageBehavesAsBefore) {
    std::vector<std::string> order, keys;
    Build(0, order, keys);
    EXPECT_EQ(test::Byte(Read("ORTE.DBF"), 29), 0x00u);
    // Code page 437 does not know 1252's "ä": its key stays as it is.
    EXPECT_EQ(keys[3], "\xE4");
    EXPECT_EQ(keys[5], "\xC4");
    EXPECT_NE(order, (std::vector<std::string>{"\xC4rger", "Maa", "Mudd", "M\xFCller", "Mufa", "Mzz", "\xE4pfel"}));
}

} // namespace
} // namespace vx
