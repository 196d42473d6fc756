#include "quorvel/FormLayout.h"

#include "testsupport/quorvel/QuorvelTestEnv.h"

namespace {

using FormLayout = QuorvelTest;

const char* const kLayout = "[Layout]\r\nName=Kurz\r\nxOffset=5000\r\n  yOffset = 12345\r\n[Seite]\r\nBreite=210\r\n";

TEST_F(FormLayout, MarginsAreMicrometresAndMissingOnesCountZero) {
    vx::WriteFileAtomic(Path("form.lst"), kLayout);
    const FormMargins m = ReadFormMargins(Path("form.lst"));
    EXPECT_DOUBLE_EQ(m.leftCm, 0.5);
    EXPECT_DOUBLE_EQ(m.topCm, 1.2345);
    vx::WriteFileAtomic(Path("leer.lst"), "[Layout]\nName=x\n");
    EXPECT_DOUBLE_EQ(ReadFormMargins(Path("leer.lst")).leftCm, 0.0);
    EXPECT_DOUBLE_EQ(ReadFormMargins(Path("fehlt.lst")).topCm, 0.0);
}

TEST_F(FormLayout, SavingKeepsABackupAndRewritesOnlyTheOffsetLines) {
    vx::WriteFileAtomic(Path("form.lst"), kLayout);
    vx::WriteFileAtomic(Path("form.ls"), "alt");
    ASSERT_TRUE(WriteFormMargins(Path("form.lst"), {.topCm = 1.2, .leftCm = 0.57}));
    EXPECT_EQ(Read("form.ls"), kLayout);
    // 0,57 cm is 5700 micrometres, not the 5699 of a truncating product.
    EXPECT_EQ(Read("form.lst"), "[Layout]\r\nName=Kurz\r\n xOffset=5700\n yOffset=12000\n[Seite]\r\nBreite=210\r\n");
    EXPECT_DOUBLE_EQ(ReadFormMargins(Path("form.lst")).leftCm, 0.57);
}

TEST_F(FormLayout, LongLinesAreTakenInPiecesAndAMissingFileChangesNothing) {
    const std::string longLine = std::string(300, 'a') + "xOffset=1\n";
    vx::WriteFileAtomic(Path("lang.lst"), longLine);
    ASSERT_TRUE(WriteFormMargins(Path("lang.lst"), {.topCm = 0, .leftCm = 1.2}));
    EXPECT_EQ(Read("lang.lst"), std::string(254, 'a') + " xOffset=12000\n");
    EXPECT_FALSE(WriteFormMargins(Path("fehlt.lst"), {0, 0}));
    EXPECT_FALSE(vx::FileExists(Path("fehlt.ls")));
    EXPECT_EQ(LayoutBackupPath("C:\\LuL\\form.lst"), "C:\\LuL\\form.ls");
}

TEST_F(FormLayout, MarginsOutsideNoughtToTwoCentimetresAreWrong) {
    struct Case {
        double top, left;
        int wrong;
    } cases[] = {{0, 0, 0}, {2, 2, 0}, {0, 2.5, 2}, {2.01, 0, 1}, {3, 3, 1}, {0, -0.1, 2}, {-1, 1, 1}};
    for (const Case& c : cases) EXPECT_EQ(WrongMargin({c.top, c.left}), c.wrong) << c.top << " " << c.left;
}

} // namespace
