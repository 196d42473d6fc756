#include "values/Helpers.h"
#include "values/CVxtBase.h"
#include "values/CWDouble.h"
#include "testsupport/values/ValuesTestEnv.h"

#include <cmath>
#include <limits>

namespace {

using Helpers = ValuesTest;

TEST_F(Helpers, RoundToStep) {
    EXPECT_NEAR(RoundToStep(2.345, 100), 2.35, 1e-12);
    EXPECT_EQ(RoundToStep(-2.5, 1), -3.0);
    EXPECT_EQ(RoundToStep(2.5, 1), 3.0);
    EXPECT_EQ(RoundToStep(-2.4, 1), -2.0);
    EXPECT_NEAR(RoundToStep(1.23456, 1000), 1.235, 1e-12);
    // Beyond the 32-bit range and not a number: no undefined cast, no made-up value.
    EXPECT_EQ(RoundToStep(5e9, 100), 5e9);
    EXPECT_TRUE(std::isnan(RoundToStep(std::nan(""), 100)));
    EXPECT_TRUE(std::isinf(RoundToStep(std::numeric_limits<double>::infinity(), 10)));
}

// The number a "%f" text reads back as, bit for bit.
TEST_F(Helpers, RoundToSixDecimalsAsItsText) {
    EXPECT_EQ(RoundToSixDecimals(2.0000004), 2.0);
    EXPECT_EQ(RoundToSixDecimals(0.1234567), 0.123457);
    EXPECT_EQ(RoundToSixDecimals(-4999.9999996), -5000.0);
    // Exact halves go to the even digit; a half that is not exact in binary goes its own way.
    EXPECT_EQ(RoundToSixDecimals(0.0078125), 0.007812);
    EXPECT_EQ(RoundToSixDecimals(0.0234375), 0.023438);
    EXPECT_EQ(RoundToSixDecimals(0.0000005), 0.0);
    EXPECT_EQ(RoundToSixDecimals(1.0000005), 1.000001);
    // A negative value that rounds to zero reads back as minus zero, as "-0.000000" does.
    EXPECT_TRUE(std::signbit(RoundToSixDecimals(-1e-9)));
    EXPECT_FALSE(std::signbit(RoundToSixDecimals(1e-9)));
    EXPECT_EQ(RoundToSixDecimals(123456789012.0000007), 123456789012.0);
    EXPECT_TRUE(std::isnan(RoundToSixDecimals(std::nan(""))));
}

TEST_F(Helpers, NumbersAsText) {
    EXPECT_EQ(FormatFixed(2.5, 0, 0), "2.5");
    EXPECT_EQ(FormatFixed(3.0, 0, 0), "3");
    EXPECT_EQ(FormatFixed(0.126, 0, 2), "0.13");
    EXPECT_EQ(FormatFixed(7, 5, 0), "    7");
    EXPECT_EQ(FormatFixed(1.25, 6, 4), "  1.25");
    GermanNumeric de;
    ASSERT_TRUE(de.active());
    EXPECT_EQ(FormatFixed(0.126, 0, 2), "0.13");
    EXPECT_NEAR(RoundToStep(2.345, 100), 2.35, 1e-12);
}

TEST_F(Helpers, QuoteForRecordReturnsItsOwnText) {
    std::string a = QuoteForRecord("Der \"Ofen\"");
    std::string b = QuoteForRecord("Kamin");
    EXPECT_EQ(a, "Der 'Ofen'");
    EXPECT_EQ(b, "Kamin");
}

TEST_F(Helpers, Directories) {
    std::string prog = GetProgramDir();
    ASSERT_FALSE(prog.empty());
    EXPECT_NE(prog.back(), '/');
    EXPECT_TRUE(vx::DirExists(prog));

    // The default is read once, from a profile without entries: the current directory.
    std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(GetDataDir("X"), cwd);
    vx::Profile().WriteString("Datenbank", "Pfad_X", "/daten/wrz/");
    EXPECT_EQ(GetDataDir("X"), "/daten/wrz");
    vx::Profile().WriteString("Datenbank", "Pfad", "/anders\\");
    EXPECT_EQ(GetDataDir(), "/anders");
    EXPECT_EQ(GetDataDir("Y"), cwd);

    SetCdStartMode(true);
    EXPECT_EQ(GetDataDir("X"), prog);
    SetCdStartMode(false);
}

TEST_F(Helpers, StoringAlwaysUsesTheCurrentFormat) {
    vx::g_FileFormat = 19;
    auto out = vx::Archive::ForStoring();
    auto in = vx::Archive::ForLoading({});
    EXPECT_EQ(ArchiveFormat(out), 42);
    EXPECT_EQ(ArchiveFormat(in), 19);
    vx::g_FileFormat = vx::kFileFormatCurrent;
}

class Owner : public CVxtBase {
public:
    void LoadDefault(CWerte&) override {}
    void SaveDefaults() override {}
    void OnUnitChanged(CWerte& v) override { SaveUnitChoice(v); }
    int OnValueChanged(CWerte&) override { return 0; }
    void UpdateDependentValues() override {}
    std::string GetName() override { return "SKOPF"; }
    int CheckInputs(std::string&, std::vector<int>*) override { return 0; }
};

TEST_F(Helpers, UnitChoiceInTheProfile) {
    Owner o;
    CWDouble c;
    c.valueId = 0x12;
    c.displayUnit = 0x502;
    o.OnUnitChanged(c);
    EXPECT_EQ(vx::Profile().GetString("SKOPF", "0x0012"), "1282 # 0x0502");
    EXPECT_EQ(o.LoadUnitChoice(0x12, "1280"), 0x502);
    vx::Profile().WriteString("SKOPF", "0x00AB", "1283 # 0x0503");
    EXPECT_EQ(o.LoadUnitChoice(0xAB, "1280"), 0x503);
    EXPECT_EQ(o.LoadUnitChoice(0x99, "1281 # 0x0501"), 0x501);
    std::string a, b, d, e;
    EXPECT_EQ(o.GetValueInfo(0, 0, a, b, d, e), 0);
    std::string extra = "x";
    EXPECT_EQ(o.GetExtraText(extra, 3), "");
    EXPECT_EQ(extra, "");
}

} // namespace
