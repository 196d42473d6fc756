// The address file and the clipboard hand-over into a project record,
// with hostile input of every kind.
#include "quorvel/ProjectImport.h"

#include "platform/Files.h"
#include "values/CProjekt.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using C = CProjekt;

TEST(ProjectImport, AdressAbsFieldsByPosition) {
    CProjekt p;
    p.Text(C::Floskel) = "Sehr geehrte";
    ImportAdressAbs("4711;\"M\xFC" "ller; Bau\";Hans M\xFC" "ller;GmbH;Hauptstr. 3;66606;St. Wendel;06851-1;06851-2;17 Rest",
                    p);
    EXPECT_EQ(p.Text(C::KundenNr), "4711");
    EXPECT_EQ(p.Text(C::Match), "M\xFC" "ller; Bau");
    EXPECT_EQ(p.Text(C::EmpfName1), "Hans M\xFC" "ller");
    EXPECT_EQ(p.Text(C::EmpfName2), "GmbH");
    EXPECT_EQ(p.Text(C::EmpfStrasse), "Hauptstr. 3");
    EXPECT_EQ(p.Text(C::EmpfPlz), "66606");
    EXPECT_EQ(p.Text(C::EmpfOrt), "St. Wendel");
    EXPECT_EQ(p.Text(C::EmpfTel), "06851-1");
    EXPECT_EQ(p.Text(C::EmpfFax), "06851-2");
    EXPECT_EQ(p.Text(C::VertragsNr), "17");
    // Fields the file does not name keep their values.
    EXPECT_EQ(p.Text(C::Floskel), "Sehr geehrte");
}

TEST(ProjectImport, EmptyFieldsDoNotCountAndShortFilesStop) {
    CProjekt p;
    p.Text(C::EmpfOrt) = "bleibt";
    ImportAdressAbs(";;12;;Match;Name\r\n", p);
    EXPECT_EQ(p.Text(C::KundenNr), "12");
    EXPECT_EQ(p.Text(C::Match), "Match");
    EXPECT_EQ(p.Text(C::EmpfName1), "Name");
    EXPECT_EQ(p.Text(C::EmpfOrt), "bleibt");
    EXPECT_EQ(p.Text(C::VertragsNr), "");
}

TEST(ProjectImport, SecondImportDoesNotDoubleTelephoneAndFax) {
    CProjekt p;
    p.Text(C::EmpfTel) = "0681 ";
    const std::string file = "1;M;N;N2;S;1;O;123;456;0";
    ImportAdressAbs(file, p);
    ImportAdressAbs(file, p);
    EXPECT_EQ(p.Text(C::EmpfTel), "0681 123");
    EXPECT_EQ(p.Text(C::EmpfFax), "456");
    EXPECT_EQ(p.Text(C::VertragsNr), "0");
}

TEST(ProjectImport, FileInTheTemporaryFolder) {
    const std::string dir = vx::TempDir() + "/vxabs" + std::to_string(::getpid());
    ASSERT_TRUE(vx::MakeDirs(dir));
    CProjekt p;
    EXPECT_FALSE(ImportAdressAbsFile(dir, p));
    ASSERT_TRUE(vx::WriteFileAtomic(dir + "/ADRESS.ABS", "9;\"A;B\";Empf\xE4nger"));
    EXPECT_TRUE(ImportAdressAbsFile(dir, p));
    EXPECT_EQ(p.Text(C::Match), "A;B");
    EXPECT_EQ(p.Text(C::EmpfName1), "Empf\xE4nger");
    vx::RemoveFile(dir + "/ADRESS.ABS");
    ASSERT_TRUE(vx::WriteFileAtomic(dir + "/adress.abs", "1;Klein"));
    EXPECT_TRUE(ImportAdressAbsFile(dir, p));
    EXPECT_EQ(p.Text(C::Match), "Klein");
    vx::RemoveFile(dir + "/adress.abs");
    ::rmdir(dir.c_str());
}

TEST(ProjectImport, OrvistoSection) {
    CProjekt p;
    p.Text(C::StdoName1) = "bleibt";
    const std::string text = "[ORVISTO2PELVANE]\r\nLNR=2026.17.3\r\nENAME1=Meier\r\nENAME2=Bau\r\nESTRASSE=Weg 1\r\n"
                             "EPLZ=66111\r\nEORT=Saarbr\xFC" "cken\r\nETEL=0681\r\nGSTRASSE=Gasse 2\r\nGPLZ=01067\r\n"
                             "GORT=Dresden\r\nHERSTELLER=X\r\nTYP=Y\r\n";
    ASSERT_TRUE(ImportOrvistoText(text, p));
    EXPECT_EQ(p.Text(C::Nummer), "2026-17-3");
    EXPECT_EQ(p.Text(C::EmpfName1), "Meier");
    EXPECT_EQ(p.Text(C::EmpfName2), "Bau");
    EXPECT_EQ(p.Text(C::EmpfStrasse), "Weg 1");
    EXPECT_EQ(p.Text(C::EmpfPlz), "66111");
    EXPECT_EQ(p.Text(C::EmpfOrt), "Saarbr\xFC" "cken");
    EXPECT_EQ(p.Text(C::EmpfTel), "0681");
    EXPECT_EQ(p.Text(C::StdoStrasse), "Gasse 2");
    EXPECT_EQ(p.Text(C::StdoPlz), "01067");
    EXPECT_EQ(p.Text(C::StdoOrt), "Dresden");
    EXPECT_EQ(p.Text(C::StdoName1), "bleibt");
}

TEST(ProjectImport, OtherSectionChangesNothingAndValuesAreCapped) {
    CProjekt p;
    p.Text(C::Nummer) = "7";
    EXPECT_FALSE(ImportOrvistoText("[ANDERES]\nLNR=9\n", p));
    EXPECT_FALSE(ImportOrvistoText(" [ORVISTO2PELVANE]\nLNR=9\n", p));
    EXPECT_EQ(p.Text(C::Nummer), "7");
    ASSERT_TRUE(ImportOrvistoText("[ORVISTO2PELVANE]\nENAME1=" + std::string(1000, 'x') + "\n", p));
    EXPECT_EQ(p.Text(C::EmpfName1), std::string(255, 'x'));
    ImportAdressAbs("1;2;" + std::string(10000, 'y'), p);
    EXPECT_LE(p.Text(C::EmpfName1).size(), 255u);
}

// Random bytes, quotes, separators and section heads: never a crash, a hang
// or an overlong value (the sanitizer build watches the reads).
TEST(ProjectImport, FuzzBothParsers) {
    std::mt19937 rng(26);
    const std::string alphabet = "\";;\r\n=[]ORVISTO2PELVANE LNR.ab\xFC\0x";
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        if (round % 3 == 0) text = "[ORVISTO2PELVANE]\n";
        const size_t len = rng() % (round % 50 == 0 ? 20000 : 300);
        for (size_t i = 0; i < len; ++i)
            text += round % 2 ? char(rng() % 256) : alphabet[rng() % alphabet.size()];
        CProjekt p;
        ImportAdressAbs(text, p);
        ImportAdressAbs(text, p);
        ImportOrvistoText(text, p);
        for (const CWString& cell : p.cells) ASSERT_LE(cell.text.size(), kHandOverValueMax);
    }
}

} // namespace
