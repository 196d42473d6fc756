// Loads the library as the programs do, through dlopen and the plain C
// exports, and checks what its start-up leaves on disk.
#include "dbase/Engine.h"
#include "dbase/data/Field.h"
#include "dbase/index/IndexFile.h"
#include "dbase/data/Table.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/Profile.h"
#include "platform/System.h"
#include "testsupport/quorvel/QuorvelScratch.h"
#include "quorvel/QuorvelTables.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

extern "C" {
typedef void (*InitFn)(const char*, const char*, const char*);
typedef int (*CountFn)();
typedef void (*ResetFn)();
typedef int (*DialogFn)();
typedef const char* (*TextFn)(const char*);
}

class QuorvelModule : public ::testing::Test {
protected:
    void SetUp() override {
        dir = scratch_.Path();
        ASSERT_FALSE(dir.empty());
        kehr = ::dlopen(VX_KEHR_STAND_IN, RTLD_NOW);
        ASSERT_NE(kehr, nullptr);
        reinterpret_cast<ResetFn>(::dlsym(kehr, "kehr_test_reset"))();
    }
    void TearDown() override {
        if (lib) ::dlclose(lib);
        if (kehr) ::dlclose(kehr);
    }
    std::string Profile(const std::string& kehrDll, int kehrMode) {
        const std::string ini = dir + "/Velmora.ini";
        vx::WriteFileAtomic(ini, QuorvelProfileText(dir));
        vx::WriteFileAtomic(dir + "/kehr.ini",
                            "[Kehrbezirk]\nKehrSW=" + std::to_string(kehrMode) + "\nKehrSW_DLL=" + kehrDll + "\n");
        return ini;
    }
    // Loads the library and calls InitQuorvel; returns what it wrote to stderr.
    std::string LoadAndInit(const std::string& profile, const std::string& key) {
        lib = ::dlopen(VX_QUORVEL_MODULE, RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(lib, nullptr) << ::dlerror();
        if (!lib) return "";
        auto init = reinterpret_cast<InitFn>(::dlsym(lib, "InitQuorvel"));
        EXPECT_NE(init, nullptr);
        if (!init) return "";
        std::fflush(stderr);
        const std::string log = dir + "/stderr.txt";
        int saved = ::dup(2);
        int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        ::close(fd);
        init(profile.c_str(), "/opt/velmora/Velmora.hlp", key.c_str());
        std::fflush(stderr);
        ::dup2(saved, 2);
        ::close(saved);
        std::string out;
        vx::ReadWholeFile(log, out);
        return out;
    }
    void Unload() {
        ASSERT_EQ(::dlclose(lib), 0);
        lib = nullptr;
        // Really gone, so that its clean-up ran.
        EXPECT_EQ(::dlopen(VX_QUORVEL_MODULE, RTLD_NOW | RTLD_NOLOAD), nullptr);
    }
    int Count(const char* name) { return reinterpret_cast<CountFn>(::dlsym(kehr, name))(); }
    std::string Read(const std::string& name) {
        std::string out;
        vx::ReadWholeFile(dir + "/" + name, out);
        return out;
    }
    static unsigned Word(const std::string& s, size_t i) {
        return (unsigned char)s.at(i) | (unsigned char)s.at(i + 1) << 8;
    }
    static size_t Count(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
        return n;
    }

    QuorvelScratch scratch_;
    std::string dir;
    void* lib = nullptr;
    void* kehr = nullptr;
};

TEST_F(QuorvelModule, FirstStartCreatesTheThreeTablesAndReportsOnlyTheMissingPlaces) {
    const std::string err = LoadAndInit(Profile("", 0), "");
    // PLZORT's missing data file once (its missing index is rebuilt quietly), ADRESSE's not at all.
    EXPECT_EQ(Count(err, "DATENBANK FEHLER"), 1u) << err;
    EXPECT_NE(err.find("PLZORT"), std::string::npos) << err;

    const std::string adresse = Read("db/ADRESSE.DBF");
    ASSERT_GE(adresse.size(), 32u);
    EXPECT_EQ((unsigned char)adresse[0], 0x8Bu);
    EXPECT_EQ(Word(adresse, 8), 545u);
    EXPECT_EQ(Word(adresse, 10), 560u);
    EXPECT_EQ((unsigned char)adresse[28], 1u);     // has a production index
    EXPECT_EQ((unsigned char)adresse[29], 0x03u);  // Windows ANSI text
    EXPECT_TRUE(vx::FileExists(dir + "/db/ADRESSE.MDX"));
    EXPECT_TRUE(vx::FileExists(dir + "/db/ADRESSE.DBT"));
    const std::string bemerkun = Read("db/BEMERKUN.DBF");
    ASSERT_GE(bemerkun.size(), 32u);
    EXPECT_EQ(Word(bemerkun, 8), 97u);
    EXPECT_EQ(Word(bemerkun, 10), 21u);
    EXPECT_FALSE(vx::FileExists(dir + "/db/BEMERKUN.MDX"));
    const std::string plzort = Read("plz/PLZORT.DBF");
    ASSERT_GE(plzort.size(), 32u);
    EXPECT_EQ((unsigned char)plzort[0], 0x03u);
    EXPECT_EQ(Word(plzort, 8), 193u);
    EXPECT_EQ(Word(plzort, 10), 117u);
    EXPECT_TRUE(vx::FileExists(dir + "/plz/PLZORT.MDX"));

    // The dialogs still to come answer as cancelled.
    EXPECT_EQ(reinterpret_cast<DialogFn>(::dlsym(lib, "BearbOrte"))(), vx::IDCANCEL);
    EXPECT_EQ(reinterpret_cast<TextFn>(::dlsym(lib, "GetBemerkung"))("x"), nullptr);
    Unload();

    // The tags, as another program sees them.
    vx::EngineContext ctx;
    ASSERT_EQ(vx::engineInit(&ctx), 0);
    ctx.autoOpen = 1;
    vx::TableHandle* a = vx::tableOpen(&ctx, dir + "/db/ADRESSE");
    ASSERT_NE(a, nullptr);
    EXPECT_NE(vx::tableTag(a, "PRIMARY"), nullptr);
    EXPECT_NE(vx::tableTag(a, "SOUND"), nullptr);
    vx::TableHandle* p = vx::tableOpen(&ctx, dir + "/plz/PLZORT");
    ASSERT_NE(p, nullptr);
    EXPECT_NE(vx::tableTag(p, "PLZ"), nullptr);
    EXPECT_NE(vx::tableTag(p, "KEYORT"), nullptr);
    vx::engineCloseAll(&ctx);
    vx::engineInitUndo(&ctx);

    // A second start finds everything in place and reports nothing.
    EXPECT_EQ(LoadAndInit(dir + "/Velmora.ini", ""), "");
}

TEST_F(QuorvelModule, ARegistryKeyBindsTheHostsStoreUnderTheCompanyKey) {
    ASSERT_EQ(::setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1), 0);
    std::filesystem::create_directories(dir + "/config/Firma");
    vx::WriteFileAtomic(dir + "/config/Firma/Velmora.ini", QuorvelProfileText(dir));
    LoadAndInit("Velmora", "Firma");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(vx::FileExists(dir + "/db/ADRESSE.DBF"));
    EXPECT_TRUE(vx::FileExists(dir + "/plz/PLZORT.DBF"));
}

TEST_F(QuorvelModule, TheSweepDistrictLibraryStartsOnLoadAndStopsOnUnload) {
    LoadAndInit(Profile(VX_KEHR_STAND_IN, 1), "");
    EXPECT_EQ(Count("kehr_test_starts"), 1);
    EXPECT_EQ(Count("kehr_test_stops"), 0);
    Unload();
    EXPECT_EQ(Count("kehr_test_starts"), 1);
    EXPECT_EQ(Count("kehr_test_stops"), 1);
}

TEST_F(QuorvelModule, AWrongSweepDistrictLibraryIsSkippedWithoutAWord) {
    Profile(dir + "/missing.so", 1);
    LoadAndInit(dir + "/Velmora.ini", "");  // the tables' first start
    Unload();
    EXPECT_EQ(LoadAndInit(dir + "/Velmora.ini", ""), "");
    Unload();
    EXPECT_EQ(Count("kehr_test_starts"), 0);
    EXPECT_EQ(Count("kehr_test_stops"), 0);
}

TEST_F(QuorvelModule, ExportsTheEightFunctionsAndNothingElse) {
    if (!vx::FileExists("/usr/bin/nm")) GTEST_SKIP() << "nm is not installed";
    const std::string out = dir + "/nm.txt";
    ASSERT_EQ(vx::RunProgram("/bin/sh", {"-c", std::string("/usr/bin/nm -D --defined-only '") + VX_QUORVEL_MODULE +
                                                  "' > '" + out + "'"}),
              0);
    std::string text;
    ASSERT_TRUE(vx::ReadWholeFile(out, text));
    std::vector<std::string> names;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        const size_t blank = line.rfind(' ');
        if (blank != std::string::npos) names.push_back(line.substr(blank + 1));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"BearbOrte", "Formular", "GetAnwenderDaten", "GetBemerkung",
                                               "GetProjektDaten", "InitQuorvel", "NeuLadenAlt", "WdbBestell"}));
}

// Programs started together on an address table of an older structure: each
// start loads the library and calls InitQuorvel, as Velmora and Tarsilo do.
class QuorvelStarts : public QuorvelTest {
protected:
    static constexpr int kStarts = 3;

    // ADRESSE without HANDY, BEMERKUN as it is now and the sample places.
    void OlderInstallation() {
        std::filesystem::remove_all(Path("db"));
        std::filesystem::remove_all(Path("plz"));
        std::filesystem::create_directories(Path("db"));
        std::filesystem::create_directories(Path("plz"));
        ASSERT_NO_FATAL_FAILURE(CopySamplePlaces(Path("plz")));
        std::vector<vx::FieldInfo> old;
        for (const vx::FieldInfo* f = kAdresseFields; f->name; ++f)
            if (std::strcmp(f->name, "HANDY") != 0) old.push_back(*f);
        old.push_back({});
        ASSERT_NO_FATAL_FAILURE(MakeTable(Path("db/ADRESSE"), old.data(), kAdresseTags, Rows()));
        ASSERT_NO_FATAL_FAILURE(MakeTable(Path("db/BEMERKUN"), kBemerkunFields, nullptr, {{{"MATCH", "GRUSS"}}}));
        vx::WriteFileAtomic(Path("Velmora.ini"), QuorvelProfileText(dir));
        vx::WriteFileAtomic(Path("kehr.ini"), "[Kehrbezirk]\nKehrSW=0\nKehrSW_DLL=\n");
    }
    static std::vector<Row> Rows() {
        return {{{"MATCH", "MUELLER"}, {"NAME1", "Ofenbau M\xFCller"}, {"NAME1_SOUN", "O191"},
                 {"BEMERKUNG", std::string(700, 'm')}},
                {{"MATCH", "BAUER"}, {"NAME1", "Firma Bauer"}, {"DUMMY", "Rabatt 3"}},
                {{"MATCH", "ZANDER"}, {"NAME1", "Zander"}, {"ORT", "K\xF6ln"}}};
    }

    // Forks the starts; each loads the library, says it is ready and waits at
    // the gate, which opens for all at once when the test closes it. Each
    // start's error output goes to "start<i>.txt".
    void StartTogether() {
        int ready[2], gate[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(gate), 0);
        const std::string profile = Path("Velmora.ini");
        std::vector<pid_t> pids;
        for (int i = 0; i < kStarts; ++i) {
            const std::string log = Path("start" + std::to_string(i) + ".txt");
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(ready[0]);
                ::close(gate[1]);
                const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
                if (fd < 0 || ::dup2(fd, 2) < 0) ::_exit(2);
                ::close(fd);
                void* lib = ::dlopen(VX_QUORVEL_MODULE, RTLD_NOW | RTLD_LOCAL);
                auto init = lib ? reinterpret_cast<InitFn>(::dlsym(lib, "InitQuorvel")) : nullptr;
                if (!init) ::_exit(3);
                char c = 'r';
                if (::write(ready[1], &c, 1) != 1) ::_exit(4);
                if (::read(gate[0], &c, 1) != 0) ::_exit(5);
                init(profile.c_str(), "", "");
                std::fflush(stderr);
                ::dlclose(lib);
                ::_exit(0);
            }
            ASSERT_GT(pid, 0);
            pids.push_back(pid);
        }
        ::close(ready[1]);
        ::close(gate[0]);
        for (int i = 0; i < kStarts; ++i) {
            char c = 0;
            EXPECT_EQ(::read(ready[0], &c, 1), 1);
        }
        ::close(gate[1]);
        ::close(ready[0]);
        for (pid_t pid : pids) {
            int status = -1;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
    }

    std::string Text(vx::TableHandle* t, const char* name) {
        vx::Field* f = vx::tableField(t, name);
        if (!f) return "<fehlt>";
        if (f->type == 'M') return std::string(vx::fieldMemoPtr(f), vx::fieldMemoLen(f));
        std::string s(vx::fieldPtr(f), f->len);
        return s.substr(0, s.find_last_not_of(' ') + 1);
    }
};

TEST_F(QuorvelStarts, ThreeStartsAtOnceOnAnOlderAddressTableKeepEveryRecord) {
    for (int run = 0; run < 10; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ASSERT_NO_FATAL_FAILURE(OlderInstallation());
        const std::string before = Read("db/ADRESSE.DBF");
        ASSERT_NO_FATAL_FAILURE(StartTogether());
        // Nobody was told to end, and nothing failed.
        for (int i = 0; i < kStarts; ++i) EXPECT_EQ(Read("start" + std::to_string(i) + ".txt"), "") << i;
        EXPECT_EQ(Read("db/ADRESSE.DBF.OLD"), before);

        vx::EngineContext ctx;
        ASSERT_EQ(vx::engineInit(&ctx), 0);
        vx::TableHandle* t = vx::tableOpen(&ctx, Path("db/ADRESSE"));
        ASSERT_NE(t, nullptr);
        ASSERT_NE(vx::tableField(t, "HANDY"), nullptr);
        const std::vector<Row> rows = Rows();
        ASSERT_EQ(vx::tableRecCount(t), long(rows.size()));
        for (long r = 1; r <= long(rows.size()); ++r) {
            ASSERT_EQ(vx::tableGo(t, r), 0);
            for (const char* name : {"MATCH", "NAME1", "NAME1_SOUN", "ORT", "BEMERKUNG", "DUMMY"}) {
                const auto it = rows[size_t(r - 1)].find(name);
                EXPECT_EQ(Text(t, name), it == rows[size_t(r - 1)].end() ? "" : it->second) << r << " " << name;
            }
        }
        vx::tableTagSelect(t, vx::tableTag(t, "PRIMARY"));
        EXPECT_EQ(vx::tableSeek(t, "ZANDER"), 0);
        EXPECT_EQ(vx::tableRecNo(t), 3);
        vx::engineCloseAll(&ctx);
        vx::engineInitUndo(&ctx);
        if (HasFailure()) break;
    }
}

} // namespace
