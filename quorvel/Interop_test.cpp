// The library's tables as another dBASE reader sees them: python3-dbfread
// takes the code page from the header and reads the umlauts unaided.
#include "quorvel/CDatenbank.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"
#include "quorvel/Soundex.h"

#include "platform/System.h"

namespace {

const char* const kPython = "/usr/bin/python3";

using QuorvelInterop = QuorvelTest;

TEST_F(QuorvelInterop, DbfreadReadsTheThreeTablesWithTheirUmlauts) {
    if (!vx::FileExists(kPython) || vx::RunProgram(kPython, {"-c", "import dbfread"}) != 0)
        GTEST_SKIP() << "python3-dbfread is not installed";
    {
        CDatenbank db;
        ASSERT_EQ(db.Oeffnen(Path("db"), Path("plz")), 0);
        CAdressTab& a = *db.Adressen();
        a.SetText(a.name1, "Ofenbau M\xFCller");
        a.SetText(a.name1Soun, SoundexCode("Ofenbau M\xFCller"));
        a.SetText(a.ort, "K\xF6ln");
        a.SetText(a.bemerkung, "Gr\xFC\xDF" "e");
        CBemerkTab& b = *db.Bemerkungen();
        b.SetText(b.match, "GR\xDCN");
        b.SetText(b.bemerkung, "\xC4u\xDF" "erst gr\xFCn");
        CPlzOrtTab& p = *db.Orte();
        p.SetText(p.plz, "80331");
        p.SetText(p.ort, "M\xFCnchen");
        p.SetText(p.land, "Bayern");
        p.SetGeoHoehe(519);
    }
    const char* script = R"PY(
# -*- coding: cp1252 -*-
import sys
from dbfread import DBF
d = sys.argv[1]
a = list(DBF(d + '/db/ADRESSE.DBF'))
assert len(a) == 1 and a[0]['NAME1'] == 'Ofenbau Müller' and a[0]['ORT'] == 'Köln', a
assert a[0]['NAME1_SOUN'] == 'O951', a[0]['NAME1_SOUN']
b = list(DBF(d + '/db/BEMERKUN.DBF'))
assert len(b) == 1 and b[0]['MATCH'] == 'GRÜN', b
p = list(DBF(d + '/plz/PLZORT.DBF'))
assert len(p) == 1 and p[0]['ORT'] == 'München' and p[0]['GEOH'] == 519 and p[0]['LAND'] == 'Bayern', p
print('ok')
)PY";
    vx::WriteFileAtomic(Path("check.py"), script);
    EXPECT_EQ(vx::RunProgram(kPython, {Path("check.py"), dir}), 0);
}

} // namespace
