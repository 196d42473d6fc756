#include "model/DocValue.h"

#include <gtest/gtest.h>

namespace {

class FakeDocument : public DocValueSource {
public:
    int32_t GetDocValue(int code, int index) override { return code == 19 ? 1 : code == 39 ? index * 10 : 0; }
    double* GetFlueMassFlow() override { return &massFlow; }
    double massFlow = 0.0125;
};

TEST(DocValue, WithoutApplicationThereIsNoDocument) {
    SetDocValueSource(nullptr);
    EXPECT_EQ(GetDocValue(19), -1);
    EXPECT_EQ(GetDocChimneyHead(), nullptr);
    EXPECT_EQ(GetDocFlueMassFlow(), nullptr);
    EXPECT_EQ(GetDocAirSupplyPressure(), nullptr);
    EXPECT_EQ(GetDocConstruction(), nullptr);
}

TEST(DocValue, InstalledSourceAnswers) {
    FakeDocument doc;
    SetDocValueSource(&doc);
    EXPECT_EQ(GetDocValue(19), 1);
    EXPECT_EQ(GetDocValue(39, 3), 30);
    EXPECT_EQ(GetDocValue(60), 0);
    ASSERT_EQ(GetDocFlueMassFlow(), &doc.massFlow);
    *GetDocFlueMassFlow() = 0.5;
    EXPECT_EQ(doc.massFlow, 0.5);
    EXPECT_EQ(GetDocChimneyHead(), nullptr);
    SetDocValueSource(nullptr);
}

} // namespace
