#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "platform/System.h"
#include "testsupport/ScratchDir.h"
#include "testsupport/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vx {
namespace {

TEST(SharedLibrary, LooksExportsUpByName) {
    SharedLibrary lib;
    EXPECT_EQ(lib.Symbol("vx_test_answer"), nullptr);
    ASSERT_TRUE(lib.Open(VX_TESTLIB)) << lib.LastError();
    auto fn = lib.Function<int (*)(int)>("vx_test_answer");
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(fn(20), 41);
    EXPECT_EQ(lib.Symbol("gibt_es_nicht"), nullptr);
    SharedLibrary missing;
    EXPECT_FALSE(missing.Open("/nirgends/libquorvel.so"));
    EXPECT_FALSE(missing.LastError().empty());
}

TEST(StartProgram, RunsInItsDirectoryWithOneArgument) {
    const ScratchDir scratch("vxspawn");
    std::string dir = scratch.Path();
    ASSERT_FALSE(dir.empty());
    std::string script = JoinPath(dir, "AURELIA.sh");
    // The started program writes its report whole, then renames it.
    ASSERT_TRUE(WriteFileAtomic(script, "#!/bin/sh\n{ pwd; printf '%s|%s' \"$#\" \"$1\"; } > out.tmp && mv out.tmp out.txt\n"));
    ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
    std::string record = "\"<AURELIA FORMAT=2 ERZEUGER=\"Velmora\"><BERECHNUNG DATEI=\"/a b/c.kfx\"></AURELIA>\"";
    ASSERT_EQ(StartProgram(script, dir, record), 0);
    std::string out;
    ASSERT_TRUE(WaitForFile(JoinPath(dir, "out.txt"), out));
    EXPECT_EQ(out, dir + "\n1|" + record);
    EXPECT_NE(StartProgram(JoinPath(dir, "fehlt.exe"), dir, "x"), 0);
}

TEST(StartProgram, AProgramThatEndsLeavesNoZombie) {
    const ScratchDir scratch("vxzombie");
    const std::string dir = scratch.Path();
    ASSERT_FALSE(dir.empty());
    const std::string fifo = JoinPath(dir, "weiter");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string script = JoinPath(dir, "AURELIA.sh");
    // The program lives until the test lets it go, long after StartProgram returned.
    ASSERT_TRUE(WriteFileAtomic(script, "#!/bin/sh\necho $$ > pid.txt\nread x < '" + fifo + "'\n"));
    ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
    ASSERT_EQ(StartProgram(script, dir, "x"), 0);
    std::string pid;
    {
        // Opening blocks until the program reads, after it wrote its number.
        std::ofstream go(fifo);
        ASSERT_TRUE(ReadWholeFile(JoinPath(dir, "pid.txt"), pid));
        go << "los\n";
    }
    while (!pid.empty() && pid.back() == '\n')
        pid.pop_back();
    ASSERT_FALSE(pid.empty());
    const std::string proc = "/proc/" + pid;
    // Once the program has ended, it is collected; a zombie would stay for good.
    for (int i = 0; i < 6000 && std::filesystem::exists(proc); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(std::filesystem::exists(proc));
}

TEST(Files, PathsAndCaseInsensitiveLookup) {
    EXPECT_EQ(NormalizeSlashes("C:\\daten\\x.dbf"), "C:/daten/x.dbf");
    EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a", "\\b"), "/a/b");
    EXPECT_EQ(DirName("/a/b/c.txt"), "/a/b");
    EXPECT_EQ(BaseName("a\\b\\c.txt"), "c.txt");
    EXPECT_EQ(DirName("c.txt"), "");

    const ScratchDir scratch("vxcase");
    std::string dir = scratch.Path();
    ASSERT_FALSE(dir.empty());
    ASSERT_TRUE(WriteFileAtomic(JoinPath(dir, "innentab.ini"), "[INNENTAB]\n"));
    EXPECT_EQ(FindFileNoCase(dir, "INNENTAB.INI"), "innentab.ini");
    EXPECT_EQ(ResolveNoCase(JoinPath(dir, "InnenTab.Ini")), JoinPath(dir, "innentab.ini"));
    EXPECT_EQ(FindFileNoCase(dir, "fehlt.ini"), "");
    EXPECT_TRUE(MakeDirs(JoinPath(dir, "x/y/z")));
    EXPECT_TRUE(DirExists(JoinPath(dir, "x/y/z")));
    EXPECT_FALSE(ProgramDir().empty());
    EXPECT_EQ(ProgramDir().back() == '/', false);
}

TEST(StringTable, ReadsEntriesAndOverrides) {
    StringTable t;
    // The file is UTF-8; in memory the text is code page 1252.
    t.LoadText("# Kommentar\n235 Die H\xC3\xB6he mu\xC3\x9F zwischen 0 und 5000 m liegen.\r\n  61842 \"Nachricht senden\" ist fehlgeschlagen.\n"
               "7 Zeile1\\nZeile2\\t\\\\\nkeine Zahl\n");
    EXPECT_EQ(t.Get(235), "Die Höhe muß zwischen 0 und 5000 m liegen.");
    EXPECT_EQ(t.Get(61842), "\"Nachricht senden\" ist fehlgeschlagen.");
    EXPECT_EQ(t.Get(7), "Zeile1\nZeile2\t\\");
    EXPECT_EQ(t.Get(8), "");
    EXPECT_EQ(t.Size(), 3u);
    t.LoadText("235 Height out of range\n");
    EXPECT_EQ(t.Get(235), "Height out of range");
}

TEST(MessageService, ScriptedAnswersAndRecords) {
    ScopedScriptedMessages scripted;
    scripted.service.answers = {IDNO};
    EXPECT_EQ(ShowMessage("Speichern?", MB_YESNOCANCEL, "Velmora"), IDNO);
    EXPECT_EQ(ShowMessage("Noch einmal?", MB_YESNO), IDYES);  // script used up: first button
    EXPECT_EQ(ShowMessage("Wiederholen?", MB_RETRYCANCEL), IDRETRY);
    MessageBeep(0xFFFFFFFF);
    ASSERT_EQ(scripted.service.shown.size(), 3u);
    EXPECT_EQ(scripted.service.shown[0].caption, "Velmora");
    EXPECT_EQ(scripted.service.shown[0].text, "Speichern?");
    EXPECT_EQ(scripted.service.beeps, std::vector<unsigned>{0xFFFFFFFF});
}

} // namespace
} // namespace vx
