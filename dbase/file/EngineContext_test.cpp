#include "dbase/Engine.h"

#include "dbase/file/EngineFile.h"
#include "testsupport/dbase/EngineTestSupport.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace vx {
namespace {

using test::EngineTest;

TEST_F(EngineTest, InitSetsTheDefaults) {
    EXPECT_EQ(ctx.autoOpen, 1);
    EXPECT_EQ(ctx.safety, 1);
    EXPECT_EQ(ctx.accessMode, 0);
    EXPECT_EQ(ctx.errGo, 1);
    EXPECT_EQ(ctx.errDefaultUnique, 25);
    EXPECT_EQ(ctx.lockAttempts, -1);
    EXPECT_EQ(ctx.lockDelay, 100);
    EXPECT_EQ(ctx.unlockAuto, 1);
    EXPECT_EQ(ctx.memSizeBlock, 512);
    EXPECT_EQ(ctx.packBufferSize, 32768);
    EXPECT_STREQ(engineDateFormat(&ctx), "DD.MM.YY");
    EXPECT_EQ(engineIndexFormat(&ctx), 201);
}

TEST_F(EngineTest, WrongLibraryVersionReportsBothNumbersAndSetsNoDefaults) {
    EngineContext other;
    EXPECT_EQ(engineInit(&other, 6000), -1095);
    EXPECT_EQ(other.errorCode, -1095);
    EXPECT_EQ(other.lockDelay, 0);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].caption, "DATENBANK FEHLER");
    EXPECT_NE(Shown()[0].text.find("      6000"), std::string::npos);
    EXPECT_NE(Shown()[0].text.find("      6100"), std::string::npos);
    EXPECT_TRUE(fatal.empty());
}

TEST_F(EngineTest, BoxTextLinesFollowTheLayout) {
    std::string text = engineErrorBoxText(-920, L4fileOpen, "A.DBF", nullptr, nullptr);
    // A four-character code stands one blank after the colon, a five-character one right after it.
    EXPECT_EQ(text.substr(0, 31), "Fehler #: -920" + std::string(17, ' '));
    EXPECT_EQ(engineErrorBoxText(-1095, 0, nullptr, nullptr, nullptr).substr(0, 14), "Fehler #:-1095");
    EXPECT_NE(text.find("\r\nKein Speicher mehr verfügbar\r\nfileOpen\r\nA.DBF"), std::string::npos);
    // A description that would overflow 256 characters is dropped with those after it.
    std::string longText(240, 'x');
    std::string cut = engineErrorBoxText(-60, L4fileOpen, "kurz", longText.c_str(), "danach");
    EXPECT_NE(cut.find("kurz"), std::string::npos);
    EXPECT_EQ(cut.find("danach"), std::string::npos);
    EXPECT_LE(cut.size(), 255u);
}

TEST_F(EngineTest, UnknownCodesAndLocations) {
    EXPECT_STREQ(engineErrorText(-12345), "Ungültige oder unbekannte Fehlernummer");
    EXPECT_STREQ(engineErrorText(-64), "Dateisuchfehler beim Öffnen einer Datei");
    int shown = -1;
    EXPECT_STREQ(engineLocationName(9999, &shown), "Ungültige oder unbekannte Fehlernummer");
    EXPECT_EQ(shown, 0);
    EXPECT_STREQ(engineLocationName(99999, &shown), "Ungültige oder unbekannte Fehlernummer");
    EXPECT_STREQ(engineLocationName(L4fileRead, &shown), "fileRead");
    EXPECT_EQ(shown, L4fileRead);
}

TEST_F(EngineTest, ErrorOffStoresTheCodeWithoutABoxAndTheContextRefusesWork) {
    ctx.errOff = 1;
    EXPECT_EQ(engineError(&ctx, -60, L4fileOpen, "X"), -60);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(ctx.errorCode, -60);
    EngineFile f;
    EXPECT_EQ(fileOpen(&f, &ctx, Path("x.dbf")), -1410);
    ctx.errorCode = 0;
    EXPECT_EQ(fileOpen(&f, &ctx, Path("x.dbf")), -64);
}

TEST_F(EngineTest, FatalCodesEndTheProgram) {
    engineError(&ctx, -930, L4utilNcpy);
    ASSERT_EQ(fatal.size(), 1u);
    EXPECT_EQ(fatal[0], -930);
    ctx.errorCode = 0;
    engineError(&ctx, -60, L4fileOpen);
    EXPECT_EQ(fatal.size(), 1u);
    // Memory exhaustion is shown system-modal.
    ctx.errorCode = 0;
    engineError(&ctx, -920, L4utilAlloc);
    EXPECT_TRUE(Shown().back().flags & 0x1000);
    EXPECT_TRUE(Shown().back().flags & MB_ICONSTOP);
}

// An error whose box cannot be shown, because the system answers 0 or the
// memory runs out while it is built, ends the program with the memory message.
TEST_F(EngineTest, AnErrorWhoseBoxCannotBeShownEndsTheProgram) {
    std::vector<std::string> ended;
    engineHooks().boxFailedExit = [&](const char* text) { ended.push_back(text); };
    engineError(&ctx, -60, L4fileOpen, "X");
    EXPECT_TRUE(ended.empty());
    ctx.errorCode = 0;
    messages.service.answers.push_back(0);
    engineError(&ctx, -60, L4fileOpen, "X");
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0], "Speicherverwaltungs-Fehler");
    struct NoMemory : MessageService {
        int Show(const std::string&, const std::string&, unsigned) override { throw std::bad_alloc(); }
        void Beep(unsigned) override {}
    } noMemory;
    SetMessageService(&noMemory);
    ctx.errorCode = 0;
    engineError(&ctx, -920, L4utilAlloc);
    SetMessageService(&messages.service);
    ASSERT_EQ(ended.size(), 2u);
    EXPECT_EQ(ended[1], "Speicherverwaltungs-Fehler");
}

TEST_F(EngineTest, ErrorLogGetsEachEntryInCodePage437) {
    auto* log = new EngineFile;
    ASSERT_EQ(fileCreate(log, &ctx, Path("ERR.LOG")), 0);
    ctx.errorLog = log;
    ctx.errOff = 1;
    engineError(&ctx, -64, L4fileOpen, "A.DBF");
    std::string text = Read("ERR.LOG");
    // "Ö" is 0x99 in code page 437.
    EXPECT_EQ(text, "       -64Dateisuchfehler beim \x99" "ffnen einer Datei\r\n     90004fileOpen\r\nA.DBF\r\n\r\n\r\n");
}

TEST_F(EngineTest, UtilNcpyAndEnviron) {
    char buf[4];
    EXPECT_EQ(utilNcpy(&ctx, buf, "abcdef", sizeof buf), 3);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(utilNcpy(&ctx, buf, "", sizeof buf), 0);
    EXPECT_EQ(utilNcpy(&ctx, buf, "x", 0), -930);
    ::setenv("VX_DBASE_TEST", "1", 1);
    EXPECT_STREQ(utilEnviron(&ctx, "VX_DBASE_TEST", true), "1");
    ctx.errorCode = 0;
    EXPECT_EQ(utilEnviron(&ctx, "VX_DBASE_MISSING", true), nullptr);
    EXPECT_EQ(ctx.errorCode, -910);
}

TEST_F(EngineTest, DatePictureIsLimitedTo19Characters) {
    EXPECT_EQ(engineDateFormatSet(&ctx, "DD. MMMMMMMMM CCYY"), 0);
    EXPECT_STREQ(engineDateFormat(&ctx), "DD. MMMMMMMMM CCYY");
    EXPECT_EQ(engineDateFormatSet(&ctx, "DD.MM.CCYY DD.MM.CCYY"), -930);
    EXPECT_STREQ(engineDateFormat(&ctx), "DD. MMMMMMMMM CCYY");
}

TEST_F(EngineTest, RawAllocationChecks) {
    EXPECT_EQ(utilAllocErDefault(&ctx, 0), nullptr);
    EXPECT_EQ(ctx.errorCode, -930);
    ctx.errorCode = 0;
    void* p = utilAllocErDefault(&ctx, 10);
    size_t len = 10;
    static_cast<char*>(p)[9] = 'z';
    EXPECT_EQ(utilAllocAgainDefault(&ctx, &p, &len, 100), 0);
    EXPECT_EQ(len, 100u);
    EXPECT_EQ(static_cast<char*>(p)[9], 'z');
    EXPECT_EQ(static_cast<char*>(p)[99], 0);
    utilFreeDefault(p);
}

TEST_F(EngineTest, TheWaitHookIsNeverEnteredTwice) {
    int entered = 0, deepest = 0, depth = 0;
    engineHooks().pump = [&](int h) {
        ++entered;
        deepest = std::max(deepest, ++depth);
        // A repaint that waits again.
        if (h == 1) enginePump(0);
        --depth;
    };
    enginePump(1);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(deepest, 1);
    enginePump(2);
    EXPECT_EQ(entered, 2);
}

} // namespace
} // namespace vx
