#include "velmora/shared/WrzTexts.h"

#include "testsupport/PartStrings.h"

#include <gtest/gtest.h>

TEST(WrzTexts, OutputRangeOrFullOutput) {
    ScopedPartStrings strings{"shared"};
    WrzEntry e;
    ASSERT_TRUE(ParseWrzLine("Kesselwerk Almendorf GmbH;Oleomat 29-2;1;0;29.0;31.25;92.8;13.2;0.01313;175.0;5.0;"
                             "0.0;0.130;1;19.0;20.39;93.2;12.8;0.00881;140.0;3.5;0.0",
                             e).ok);
    EXPECT_EQ(TypeOutputText(e), "19,0 - 29,0 kW");
    WrzInfoTexts t = MakeWrzInfoTexts(e);
    EXPECT_EQ(t.full[WrzInfoTexts::Output], "29");
    EXPECT_EQ(t.full[WrzInfoTexts::Efficiency], "92,8");
    EXPECT_EQ(t.full[WrzInfoTexts::MassFlow], "13,13");  // g/s
    EXPECT_EQ(t.full[WrzInfoTexts::Draught], "5");
    EXPECT_EQ(t.part[WrzInfoTexts::Output], "19");
    EXPECT_EQ(t.part[WrzInfoTexts::MassFlow], "8,81");
    EXPECT_EQ(t.part[WrzInfoTexts::Draught], "3,5");
    EXPECT_EQ(t.outletSize, "13");
    EXPECT_EQ(t.draughtLabel, "Zugbedarf [Pa]");
    EXPECT_FALSE(t.openOperation);

    ASSERT_TRUE(ParseWrzLine("K;Oleomat 17;1;0;17.0;18.46;92.1;13.0;0.00786;165.0;4.0;0.0;0.130;0", e).ok);
    EXPECT_EQ(TypeOutputText(e), "17,0 kW");
    t = MakeWrzInfoTexts(e);
    for (const std::string& s : t.part) EXPECT_EQ(s, "");
}

TEST(WrzTexts, CondensingShowsItsPositivePressure) {
    ScopedPartStrings strings{"shared"};
    WrzEntry e;
    e.condensing = 1;
    e.requiredDraught = 4;
    e.positivePressure = 60;
    e.partLoadAvailable = 1;
    e.requiredDraughtPart = 2;
    e.positivePressurePart = 20.5;
    e.openFieldCount = 1;
    const WrzInfoTexts t = MakeWrzInfoTexts(e);
    EXPECT_EQ(t.draughtLabel, "F\xF6rderdruck [Pa]");
    EXPECT_EQ(t.full[WrzInfoTexts::Draught], "60");
    EXPECT_EQ(t.part[WrzInfoTexts::Draught], "20,5");
    EXPECT_TRUE(t.openOperation);
}
