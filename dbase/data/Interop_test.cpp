// Tables exchanged with other programs: Debian's python3-dbfread reads what
// the engine writes, and the engine reads what python3-dbf writes.
#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/data/Table.h"
#include "platform/NumText.h"
#include "platform/System.h"

#include <cstring>

namespace vx {
namespace {

const char* const kPython = "/usr/bin/python3";

class InteropTest : public test::EngineTest {
protected:
    bool HasModule(const char* module) {
        if (!FileExists(kPython)) return false;
        return RunProgram(kPython, {"-c", std::string("import ") + module}) == 0;
    }
    int RunScript(const std::string& script, const std::vector<std::string>& args = {}) {
        Write("script.py", script);
        std::vector<std::string> all{Path("script.py")};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(kPython, all);
    }
};

// The values both directions use; text in code page 1252.
struct Row {
    const char* name;
    const char* betrag; // as the field holds it
    const char* datum;
    char ok;
    std::string text;
};

std::vector<Row> Rows() {
    return {
        {"Müller", "   1234.50", "20080828", 'T', "Memo eins: Grüße aus Köln"},
        {"Mueller & Söhne", "     -0.25", "20000229", 'F', std::string(1000, 'x') + "Ende"},
        {"", "      0.00", "19991231", 'T', "Zeile 1\r\nZeile 2"},
    };
}

TEST_F(InteropTest, DbfreadReadsWhatTheEngineWrites) {
    if (!HasModule("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
    const FieldInfo fields[] = {{"NAME", 'C', 20, 0, 0},  {"BETRAG", 'N', 10, 2, 0}, {"DATUM", 'D', 8, 0, 0},
                                {"OK", 'L', 1, 0, 0},     {"TEXT", 'M', 10, 0, 0},   {}};
    TableHandle* t = tableCreate(&ctx, Path("ENGINE"), fields);
    ASSERT_NE(t, nullptr);
    for (const Row& r : Rows()) {
        ASSERT_EQ(tableAppendStart(t, false), 0);
        tableBlank(t);
        fieldAssign(tableField(t, "NAME"), r.name);
        fieldAssignDouble(tableField(t, "BETRAG"), vx::ParseDouble(r.betrag));
        fieldAssign(tableField(t, "DATUM"), r.datum);
        fieldAssign(tableField(t, "OK"), std::string(1, r.ok).c_str());
        fieldMemoAssignN(tableField(t, "TEXT"), r.text.data(), uint32_t(r.text.size()));
        ASSERT_EQ(tableAppend(t), 0);
    }
    // A rewrite of another length moves the memo; the reader must see the new one.
    tableGo(t, 2);
    fieldMemoAssignN(tableField(t, "TEXT"), "kurz", 4);
    ASSERT_EQ(tableClose(t), 0);
    // The chain's change counter behind the memo header was raised by then.
    EXPECT_NE(test::Dword(Read("ENGINE.DBT"), 24), 0u);
    // dbfread takes the length word of a dBASE IV memo block as the length of
    // the contents, though it counts the 8-byte block header too; it thus
    // reads 8 bytes past the contents, which the engine leaves zeroed.
    const char* script = R"PY(
# -*- coding: cp1252 -*-
import sys, datetime
from dbfread import DBF
t = DBF(sys.argv[1], encoding='cp1252', char_decode_errors='strict')
rows = list(t)
want = [
    ('Müller', 1234.5, datetime.date(2008, 8, 28), True, 'Memo eins: Grüße aus Köln'),
    ('Mueller & Söhne', -0.25, datetime.date(2000, 2, 29), False, 'kurz'),
    ('', 0.0, datetime.date(1999, 12, 31), True, 'Zeile 1\r\nZeile 2'),
]
assert [f.name for f in t.fields] == ['NAME', 'BETRAG', 'DATUM', 'OK', 'TEXT'], t.fields
assert len(rows) == 3, len(rows)
for r, w in zip(rows, want):
    got = (r['NAME'], r['BETRAG'], r['DATUM'], r['OK'], (r['TEXT'] or '').rstrip('\0'))
    assert got == w, (got, w)
print('dbfread ok')
)PY";
    EXPECT_EQ(RunScript(script, {Path("ENGINE.DBF")}), 0);
}

TEST_F(InteropTest, TheEngineReadsWhatPythonDbfWrites) {
    if (!HasModule("dbf")) GTEST_SKIP() << "python3-dbf is not installed";
    const char* script = R"PY(
# -*- coding: cp1252 -*-
import sys, datetime, dbf
t = dbf.Table(sys.argv[1], 'NAME C(20); BETRAG N(10,2); DATUM D; OK L; TEXT M',
              dbf_type='db3', codepage='cp1252')
t.open(dbf.READ_WRITE)
t.append(('Müller', 1234.5, datetime.date(2008, 8, 28), True, 'Memo eins: Grüße aus Köln'))
t.append(('Mueller & Söhne', -0.25, datetime.date(2000, 2, 29), False, 'x' * 1000 + 'Ende'))
t.append(('', 0.0, datetime.date(1999, 12, 31), True, 'Zeile 1\r\nZeile 2'))
t.close()
)PY";
    ASSERT_EQ(RunScript(script, {Path("fremd")}), 0);
    std::string f = Read("fremd.dbf");
    ASSERT_GT(f.size(), 32u);
    EXPECT_EQ(test::Byte(f, 0), 0x83u); // dBASE III with memo
    TableHandle* t = tableOpen(&ctx, Path("FREMD"));
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(tableRecCount(t), 3);
    std::vector<Row> rows = Rows();
    for (long r = 1; r <= 3; ++r) {
        ASSERT_EQ(tableGo(t, r), 0);
        const Row& w = rows[size_t(r - 1)];
        std::string name = fieldStr(tableField(t, "NAME"));
        EXPECT_EQ(name.substr(0, name.find_last_not_of(' ') + 1), w.name);
        EXPECT_DOUBLE_EQ(fieldDouble(tableField(t, "BETRAG")), vx::ParseDouble(w.betrag));
        EXPECT_STREQ(fieldStr(tableField(t, "DATUM")), w.datum);
        EXPECT_EQ(fieldStr(tableField(t, "OK"))[0], w.ok);
        Field* m = tableField(t, "TEXT");
        EXPECT_EQ(std::string(fieldMemoPtr(m), fieldMemoLen(m)), w.text) << "record " << r;
    }
    // Memos written back stay in the dBASE III form, which the other program reads.
    ASSERT_EQ(tableGo(t, 2), 0);
    fieldMemoAssignN(tableField(t, "TEXT"), "geändert", 8);
    ASSERT_EQ(tableAppendStart(t, false), 0);
    fieldAssign(tableField(t, "NAME"), "Neu");
    fieldMemoAssignN(tableField(t, "TEXT"), "neues Memo", 10);
    ASSERT_EQ(tableAppend(t), 0);
    tableClose(t);
    const char* check = R"PY(
# -*- coding: cp1252 -*-
import sys, dbf
t = dbf.Table(sys.argv[1], codepage='cp1252')
t.open(dbf.READ_ONLY)
texts = [r.text for r in t]
assert texts == ['Memo eins: Grüße aus Köln', 'geändert', 'Zeile 1\r\nZeile 2', 'neues Memo'], texts
t.close()
)PY";
    EXPECT_EQ(RunScript(check, {Path("fremd")}), 0);
}

} // namespace
} // namespace vx
