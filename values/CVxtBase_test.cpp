#include "values/CVxtBase.h"
#include "values/CWDouble.h"
#include "testsupport/values/ValuesTestEnv.h"

namespace {

using VxtBase = ValuesTest;

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

TEST_F(VxtBase, UnitChoiceInTheProfile) {
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
