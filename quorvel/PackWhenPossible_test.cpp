#include "quorvel/PackWhenPossible.h"

#include "dbase/Engine.h"
#include "dbase/file/EngineFile.h"
#include "dbase/data/Field.h"
#include "quorvel/CDatenbank.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"
#include "testsupport/quorvel/TwoProcesses.h"

#include <unistd.h>

#include <vector>

namespace {

class PackWhenPossibleTest : public QuorvelTest {
protected:
    void SetUp() override {
        QuorvelTest::SetUp();
        MakeTable(Path("db/ADRESSE"), kAdresseFields, kAdresseTags,
                  {{{"MATCH", "A"}, {"NAME1", "Ärger"}, {"BEMERKUNG", "memo A"}},
                   {{"MATCH", "B"}, {"NAME1", "Bauer"}},
                   {{"MATCH", "C"}, {"NAME1", "Cäsar"}, {"BEMERKUNG", "memo C"}}});
        MakeTable(Path("plz/PLZORT"), kPlzOrtFields, kPlzOrtTags, {});
    }
    int Open(CDatenbank& db) { return db.Oeffnen(Path("db"), Path("plz")); }
    static bool GoMatch(CAdressTab& a, const char* match) {
        vx::tableTagSelect(a.Handle(), a.primary.tag());
        return vx::tableSeek(a.Handle(), match) == 0;
    }
    static void DeleteMatch(CAdressTab& a, const char* match) {
        ASSERT_TRUE(GoMatch(a, match));
        ASSERT_EQ(vx::tableDelete(a.Handle()), 0);
        ASSERT_EQ(vx::tableFlush(a.Handle()), 0);
    }
    // The live records' match codes in index order, through the skipping walk.
    static std::string LiveMatches(CAdressTab& a) {
        std::string out;
        vx::tableTagSelect(a.Handle(), a.primary.tag());
        for (int rc = GoFirstLive(a.Handle()); rc == 0; rc = SkipLive(a.Handle(), 1))
            out += a.FeldText(a.match);
        return out;
    }
};

TEST_F(PackWhenPossibleTest, AloneThePackRunsAndTheIndexFollows) {
    CDatenbank db;
    ASSERT_EQ(Open(db), 0);
    DeleteMatch(*db.Adressen(), "B");
    EXPECT_EQ(PackWhenPossible(*db.Adressen()), 1);
    CAdressTab& a = *db.Adressen();
    EXPECT_FALSE(a.PackPending());
    EXPECT_EQ(vx::tableRecCount(a.Handle()), 2);
    ASSERT_TRUE(GoMatch(a, "C"));
    EXPECT_EQ(vx::tableRecNo(a.Handle()), 2);
    EXPECT_EQ(a.FeldText(a.bemerkung), "memo C");
    EXPECT_FALSE(GoMatch(a, "B"));
    EXPECT_EQ(LiveMatches(a), "AC");
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(PackIfPending(a), 0);
}

TEST_F(PackWhenPossibleTest, HeldElsewhereThePackWaitsSilentlyAndTheRecordStaysMarked) {
    CDatenbank mine, other;
    ASSERT_EQ(Open(mine), 0);
    ASSERT_EQ(Open(other), 0);
    CAdressTab& a = *mine.Adressen();
    DeleteMatch(a, "B");
    EXPECT_EQ(PackWhenPossible(a), 0);
    EXPECT_TRUE(a.PackPending());
    ASSERT_TRUE(a.IsOpen());
    EXPECT_EQ(vx::tableRecCount(a.Handle()), 3);
    EXPECT_EQ(LiveMatches(a), "AC");
    // Backwards too: from C over the deleted B to A, then the beginning.
    ASSERT_TRUE(GoMatch(a, "C"));
    EXPECT_EQ(SkipLive(a.Handle(), -1), 0);
    EXPECT_EQ(a.FeldText(a.match), "A");
    EXPECT_EQ(SkipLive(a.Handle(), -1), vx::r4bof);
    EXPECT_EQ(PackIfPending(a), 0);
    EXPECT_TRUE(a.PackPending());

    CAdressTab& o = *other.Adressen();
    ASSERT_TRUE(GoMatch(o, "C"));
    o.SetText(o.name2, "geändert");
    ASSERT_EQ(vx::tableFlush(o.Handle()), 0);
    other.Schliessen();

    EXPECT_EQ(PackIfPending(a), 1);
    EXPECT_FALSE(a.PackPending());
    EXPECT_EQ(vx::tableRecCount(a.Handle()), 2);
    ASSERT_TRUE(GoMatch(a, "C"));
    EXPECT_EQ(a.FeldText(a.name2), "geändert");
    EXPECT_EQ(a.FeldText(a.name1), "Cäsar");
    EXPECT_TRUE(Shown().empty()) << Shown()[0].text;
    EXPECT_EQ(mine.Context().errorCode, 0);
}

// One process edits and appends while the other deletes and tries to pack;
// each step waits for the other's word through a pipe.
TEST_F(PackWhenPossibleTest, TwoProcessesEditingAndPackingLoseNothing) {
    TwoProcesses talk;
    ASSERT_TRUE(talk.Open());
    const pid_t pid = talk.Fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        auto say = [&](char c) { return talk.ChildSays(c); };
        auto wait = [&](char want) { return talk.ChildAwaits(want); };
        CDatenbank db;
        int ok = Open(db) == 0;
        if (!say('R') || !wait('G')) ::_exit(2);
        CAdressTab& a = *db.Adressen();
        // The first step that fails names itself: 'a' and on.
        char step = 'E';
        auto check = [&](bool good, char name) {
            if (!good && step == 'E') step = name;
        };
        check(ok, 'a');
        check(GoMatch(a, "C"), 'b');
        check(a.SetText(a.name2, "vom Nachbarn") == 0, 'c');
        check(vx::tableFlush(a.Handle()) == 0, 'd');
        check(vx::tableAppendBlank(a.Handle()) == 0, 'e');
        check(a.SetText(a.match, "D") == 0 && a.SetText(a.name1, "Dörte") == 0, 'f');
        check(a.SetText(a.bemerkung, "memo D") == 0, 'g');
        check(vx::tableFlush(a.Handle()) == 0, 'h');
        ok = step == 'E';
        if (!say(step) || !wait('Q')) ::_exit(3);
        db.Schliessen();
        ::_exit(ok ? 0 : 1);
    }
    auto say = [&](char c) { talk.Say(c); };
    auto expect = [&](char want) { talk.Expect(want); };

    // The other program is up first; two start-ups at once are another matter.
    expect('R');
    CDatenbank db;
    ASSERT_EQ(Open(db), 0);
    CAdressTab& a = *db.Adressen();
    DeleteMatch(a, "B");
    EXPECT_EQ(PackWhenPossible(a), 0);
    say('G');
    expect('E');
    EXPECT_EQ(LiveMatches(a), "ACD");
    EXPECT_EQ(PackIfPending(a), 0);
    say('Q');
    ASSERT_NO_FATAL_FAILURE(talk.ExpectChildSucceeded());

    EXPECT_EQ(PackIfPending(a), 1);
    EXPECT_EQ(vx::tableRecCount(a.Handle()), 3);
    EXPECT_EQ(LiveMatches(a), "ACD");
    struct {
        const char *match, *name1, *name2, *memo;
    } want[] = {{"A", "Ärger", "", "memo A"}, {"C", "Cäsar", "vom Nachbarn", "memo C"}, {"D", "Dörte", "", "memo D"}};
    for (const auto& w : want) {
        SCOPED_TRACE(w.match);
        ASSERT_TRUE(GoMatch(a, w.match));
        EXPECT_FALSE(vx::tableDeleted(a.Handle()));
        EXPECT_EQ(a.FeldText(a.name1), w.name1);
        EXPECT_EQ(a.FeldText(a.name2), w.name2);
        EXPECT_EQ(a.FeldText(a.bemerkung), w.memo);
    }
    EXPECT_TRUE(Shown().empty());
}

// Another program packs the addresses while this one starts: the start waits
// for the pack instead of finding the table held and giving up.
TEST_F(PackWhenPossibleTest, AStartWhileAnotherProgramPacksWaitsForThePack) {
    TwoProcesses talk;
    ASSERT_TRUE(talk.Open());
    const pid_t pid = talk.Fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        CDatenbank db;
        if (Open(db) != 0) ::_exit(2);
        DeleteMatch(*db.Adressen(), "B");
        // The packer stops at its first write while nobody else can open
        // the table, and goes on when told.
        struct Pausing : vx::FileSystemCalls {
            TwoProcesses* talk = nullptr;
            std::string path;
            bool probing = false, paused = false;
            ssize_t Pwrite(int fd, const void* buf, size_t len, off_t pos) override {
                if (!paused && !probing) {
                    probing = true;
                    vx::EngineContext probe;
                    vx::engineInit(&probe);
                    probe.errOpen = 0;
                    vx::TableHandle* t = vx::tableOpen(&probe, path);
                    if (t) vx::tableClose(t);
                    probe.errorCode = 0;
                    vx::engineInitUndo(&probe);
                    probing = false;
                    if (!t) {
                        paused = true;
                        if (!talk->ChildSays('P') || !talk->ChildAwaits('G')) ::_exit(3);
                    }
                }
                return FileSystemCalls::Pwrite(fd, buf, len, pos);
            }
        };
        static Pausing calls;
        calls.talk = &talk;
        calls.path = Path("db/ADRESSE");
        vx::setFileSystemCalls(&calls);
        const int packed = PackWhenPossible(*db.Adressen());
        vx::setFileSystemCalls(nullptr);
        if (!talk.ChildSays('D')) ::_exit(4);
        db.Schliessen();
        ::_exit(packed == 1 && calls.paused ? 0 : 1);
    }
    talk.Expect('P');
    // The start's first wait lets the pack go on and end.
    bool told = false;
    auto letThePackEnd = [&] {
        if (told) return;
        told = true;
        talk.Say('G');
        talk.Expect('D');
    };
    vx::engineHooks().pump = [&](int) { letThePackEnd(); };
    CDatenbank db;
    const int rc = Open(db);
    letThePackEnd();
    ASSERT_NO_FATAL_FAILURE(talk.ExpectChildSucceeded());
    EXPECT_EQ(rc, 0);
    EXPECT_FALSE(db.Fehler());
    ASSERT_NE(db.Adressen(), nullptr);
    ASSERT_NE(db.Bemerkungen(), nullptr);
    EXPECT_EQ(LiveMatches(*db.Adressen()), "AC");
    EXPECT_EQ(vx::tableRecCount(db.Adressen()->Handle()), 2);
    EXPECT_TRUE(Shown().empty());
}

// A program that holds the addresses for itself and takes no notice of the
// directory: the start says once which file it could not open.
TEST_F(PackWhenPossibleTest, AnAddressTableHeldElsewhereIsReportedOnceByName) {
    TwoProcesses talk;
    ASSERT_TRUE(talk.Open());
    const pid_t pid = talk.Fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        vx::EngineContext c;
        vx::engineInit(&c);
        c.accessMode = 2;
        vx::TableHandle* t = vx::tableOpen(&c, Path("db/ADRESSE"));
        if (!talk.ChildSays(t ? 'H' : 'F') || !talk.ChildAwaits('Q')) ::_exit(2);
        vx::engineInitUndo(&c);
        ::_exit(0);
    }
    talk.Expect('H');
    CDatenbank db;
    EXPECT_NE(Open(db), 0);
    talk.Say('Q');
    ASSERT_NO_FATAL_FAILURE(talk.ExpectChildSucceeded());
    EXPECT_TRUE(db.Fehler());
    EXPECT_EQ(db.Adressen(), nullptr);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_NE(Shown()[0].text.find("ADRESSE.DBF"), std::string::npos) << Shown()[0].text;
}

} // namespace
