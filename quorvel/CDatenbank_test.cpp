#include "quorvel/CDatenbank.h"

#include "dbase/file/EngineFile.h"
#include "dbase/data/Field.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"
#include "testsupport/quorvel/TwoProcesses.h"

#include <filesystem>
#include <set>

namespace {

class Datenbank : public QuorvelTest {
protected:
    int Open() { return db.Oeffnen(Path("db"), Path("plz")); }
    // Appends a place through the table's columns.
    void AddPlace(const char* plz, const char* ort, const char* land, long height) {
        CPlzOrtTab& t = *db.Orte();
        ASSERT_EQ(vx::tableAppendBlank(t.Handle()), 0);
        t.SetText(t.plz, plz);
        t.SetText(t.ort, ort);
        t.SetText(t.land, land);
        t.SetGeoHoehe(height);
    }
    CDatenbank db;
};

TEST_F(Datenbank, FirstStartCreatesEveryTableAndReportsOnlyTheMissingPlaces) {
    ASSERT_EQ(Open(), 0);
    EXPECT_FALSE(db.Fehler());
    ASSERT_TRUE(db.Orte() && db.Adressen() && db.Bemerkungen());
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_NE(Shown()[0].text.find("PLZORT"), std::string::npos) << Shown()[0].text;
    for (const char* f : {"db/ADRESSE.DBF", "db/ADRESSE.MDX", "db/ADRESSE.DBT", "db/BEMERKUN.DBF",
                          "db/BEMERKUN.DBT", "plz/PLZORT.DBF", "plz/PLZORT.MDX"})
        EXPECT_TRUE(vx::FileExists(Path(f))) << f;
    // A freshly built index leaves the addresses in record order.
    EXPECT_TRUE(db.Adressen()->IndexRebuilt());
    EXPECT_EQ(vx::tableTagSelected(db.Adressen()->Handle()), nullptr);
    EXPECT_EQ(vx::tableTagSelected(db.Orte()->Handle()), db.Orte()->plzTag.tag());
    EXPECT_EQ(db.Context().errorCode, 0);
}

// Two programs started at once on a fresh database: the first stops in the
// middle of creating the address table; the second must wait for it, not
// report a half-written table, and both end up with every table.
TEST_F(Datenbank, TwoFirstStartsAtOnceWaitForTheTablesToBeWhole) {
    MakeTable(Path("plz/PLZORT"), kPlzOrtFields, kPlzOrtTags, {});
    std::filesystem::create_directories(Path("db"));
    TwoProcesses creator, second;
    ASSERT_TRUE(creator.Open() && second.Open());
    auto result = [&](TwoProcesses& talk) {
        CDatenbank own;
        const bool ok = own.Oeffnen(Path("db"), Path("plz")) == 0 && own.Adressen() && own.Bemerkungen();
        const bool quiet = Shown().empty();
        own.Schliessen();
        talk.ChildSays(ok && quiet ? 'O' : ok ? 'M' : 'F');
        ::_exit(0);
    };

    const pid_t first = creator.Fork();
    ASSERT_GE(first, 0);
    if (first == 0) {
        struct Pausing : vx::FileSystemCalls {
            TwoProcesses* talk = nullptr;
            bool paused = false;
            ssize_t Pwrite(int fd, const void* buf, size_t len, off_t pos) override {
                if (!paused) {
                    paused = true;
                    if (!talk->ChildSays('P') || !talk->ChildAwaits('G')) ::_exit(2);
                }
                return FileSystemCalls::Pwrite(fd, buf, len, pos);
            }
        };
        static Pausing calls;
        calls.talk = &creator;
        vx::setFileSystemCalls(&calls);
        result(creator);
    }
    creator.Expect('P');

    const pid_t other = second.Fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        bool said = false;
        vx::engineHooks().pump = [&](int) {
            if (said) return;
            said = true;
            if (!second.ChildSays('W') || !second.ChildAwaits('G')) ::_exit(2);
        };
        result(second);
    }
    second.Expect('W');
    creator.Say('G');
    creator.Expect('O');
    ASSERT_NO_FATAL_FAILURE(creator.ExpectChildSucceeded());
    second.Say('G');
    second.Expect('O');
    ASSERT_NO_FATAL_FAILURE(second.ExpectChildSucceeded());
}

TEST_F(Datenbank, AnUnreadableOrMissingAddressIndexIsRebuiltWithoutAWord) {
    ASSERT_EQ(Open(), 0);
    CAdressTab& a = *db.Adressen();
    a.SetText(a.name1, "Meyer");
    a.SetText(a.name1Soun, "M600");
    a.SetText(a.match, "MEY");
    db.Schliessen();
    ASSERT_EQ(Open(), 0);
    EXPECT_FALSE(db.Adressen()->IndexRebuilt());
    EXPECT_EQ(vx::tableTagSelected(db.Adressen()->Handle()), db.Adressen()->primary.tag());
    db.Schliessen();

    for (bool remove : {false, true}) {
        SCOPED_TRACE(remove ? "deleted" : "corrupt");
        if (remove) vx::RemoveFile(Path("db/ADRESSE.MDX"));
        else vx::WriteFileAtomic(Path("db/ADRESSE.MDX"), std::string(1024, '\x5A'));
        messages.service.shown.clear();
        ASSERT_EQ(Open(), 0);
        EXPECT_TRUE(Shown().empty()) << Shown()[0].text;
        EXPECT_FALSE(db.Fehler());
        EXPECT_TRUE(db.Adressen()->IndexRebuilt());
        EXPECT_EQ(db.Context().errorCode, 0);
        // The rebuilt tags find the record.
        vx::TableHandle* t = db.Adressen()->Handle();
        vx::tableTagSelect(t, db.Adressen()->sound.tag());
        EXPECT_EQ(vx::tableSeek(t, "M600"), 0);
        EXPECT_EQ(db.Adressen()->FeldText(db.Adressen()->name1), "Meyer");
        db.Schliessen();
    }
}

// Another table's index file copied over the addresses' one opens well but
// has none of their tags: it is rebuilt like a damaged one, and kept.
TEST_F(Datenbank, AnAddressIndexWithOtherTagsIsRebuiltAndKeptAsBackup) {
    ASSERT_EQ(Open(), 0);
    CAdressTab& a = *db.Adressen();
    a.SetText(a.name1, "Meyer");
    a.SetText(a.name1Soun, "M600");
    db.Schliessen();
    const std::string foreign = Read("plz/PLZORT.MDX");
    ASSERT_FALSE(foreign.empty());
    vx::WriteFileAtomic(Path("db/ADRESSE.MDX"), foreign);
    messages.service.shown.clear();
    ASSERT_EQ(Open(), 0);
    EXPECT_TRUE(Shown().empty()) << Shown()[0].text;
    EXPECT_FALSE(db.Fehler());
    ASSERT_NE(db.Bemerkungen(), nullptr);
    EXPECT_TRUE(db.Adressen()->IndexRebuilt());
    EXPECT_EQ(Read("db/ADRESSE.MDX.OLD"), foreign);
    vx::TableHandle* t = db.Adressen()->Handle();
    vx::tableTagSelect(t, db.Adressen()->sound.tag());
    EXPECT_EQ(vx::tableSeek(t, "M600"), 0);
    EXPECT_EQ(db.Adressen()->FeldText(db.Adressen()->name1), "Meyer");
    db.Schliessen();
    // The next start finds the rebuilt index whole.
    ASSERT_EQ(Open(), 0);
    EXPECT_FALSE(db.Adressen()->IndexRebuilt());
    EXPECT_TRUE(Shown().empty());
}

TEST_F(Datenbank, TextsOfColumns) {
    ASSERT_EQ(Open(), 0);
    CAdressTab& a = *db.Adressen();
    // Writing into the empty table appends the record rather than losing the text.
    ASSERT_EQ(a.SetText(a.name1, "Ofenbau M\xFCller"), 0);
    EXPECT_EQ(vx::tableRecCount(a.Handle()), 1);
    const std::string memo = std::string(600, 'x') + " Ende";
    ASSERT_EQ(a.SetText(a.bemerkung, memo), 0);
    a.SetText(a.name2, "   ");
    EXPECT_EQ(a.FeldText(a.name1), "Ofenbau M\xFCller");
    EXPECT_EQ(a.FeldText(a.name2), "");
    EXPECT_EQ(a.FeldText(a.bemerkung), memo);
    // Cut to the field's length.
    a.SetText(a.match, "ABCDEFGHIJKLMN");
    EXPECT_EQ(a.FeldText(a.match), "ABCDEFGHIJ");
    db.Schliessen();
    ASSERT_EQ(Open(), 0);
    vx::tableGo(db.Adressen()->Handle(), 1);
    EXPECT_EQ(db.Adressen()->FeldText(db.Adressen()->bemerkung), memo);
    EXPECT_EQ(db.Adressen()->FeldText(db.Adressen()->match), "ABCDEFGHIJ");
}

TEST_F(Datenbank, AMemoColumnThatGrowsKeepsItsContents) {
    ASSERT_EQ(Open(), 0);
    CBemerkTab& b = *db.Bemerkungen();
    ASSERT_EQ(b.SetText(b.bemerkung, "Anfang"), 0);
    ASSERT_EQ(b.bemerkung.setLen(10), 0);
    EXPECT_EQ(std::string(b.bemerkung.ptr(), 6), "Anfang");
    EXPECT_EQ(b.bemerkung.len(), 10u);
}

TEST_F(Datenbank, PlacesOfAPostcodeAndTheirHeight) {
    ASSERT_EQ(Open(), 0);
    AddPlace("12345", "Musterstadt", "Brandenburg", 57);
    AddPlace("1234", "Kurzort", "Sachsen", 301);
    AddPlace("12345", "Musterdorf", "Brandenburg", -5);
    AddPlace("80331", "M\xFCnchen", "Bayern", 519);
    CPlzOrtTab& p = *db.Orte();
    // The height is a right-aligned number.
    vx::tableGo(p.Handle(), 3);
    EXPECT_EQ(std::string(p.geoh.ptr(), 5), "   -5");

    struct Case {
        const char* plz;
        const char* ort;
        long height;
        const char* land;
    } cases[] = {
        {"12345", "Musterstadt", 57, "Brandenburg"},
        {"12345", "Musterdorf", -5, "Brandenburg"},
        {"1234", "Kurzort", 301, "Sachsen"},
        {"1234", "Musterstadt", -99, ""},      // the whole postcode counts
        {"80331", "M\xFCnchen", 519, "Bayern"},
        {"80331", "M\xDCNCHEN", -99, ""},      // byte for byte
        {"", "Musterstadt", -99, "unber\xFChrt"},
        {"99999", "Nirgendwo", -99, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.plz) + " " + c.ort);
        std::string land = "unber\xFChrt";
        EXPECT_EQ(p.GeoHoehe(c.plz, c.ort, &land), c.height);
        EXPECT_EQ(land, c.land);
    }

    std::vector<std::string> towns;
    std::string town;
    EXPECT_EQ(p.PlacesOfPostcode("12345", towns, town), 1);
    ASSERT_EQ(towns.size(), 2u);
    EXPECT_EQ(std::set<std::string>(towns.begin(), towns.end()), (std::set<std::string>{"Musterstadt", "Musterdorf"}));
    EXPECT_EQ(town, towns.front());
    town = "Musterdorf";
    EXPECT_EQ(p.PlacesOfPostcode("12345", towns, town), 0);
    EXPECT_EQ(town, "Musterdorf");
    town.clear();
    EXPECT_EQ(p.PlacesOfPostcode("123", towns, town), 0);
    EXPECT_TRUE(towns.empty());
}

TEST_F(Datenbank, ATableThatCannotBeOpenedSetsTheErrorFlag) {
    // A directory where the places table belongs: it neither opens nor can be created.
    std::filesystem::create_directories(Path("plz/PLZORT.DBF"));
    EXPECT_NE(Open(), 0);
    EXPECT_TRUE(db.Fehler());
    EXPECT_EQ(db.Orte(), nullptr);
    EXPECT_EQ(db.Adressen(), nullptr);
    EXPECT_EQ(db.Context().errorCode, 0);
}

TEST_F(Datenbank, TheRelationFiltersTheAddresses) {
    ASSERT_EQ(Open(), 0);
    CAdressTab& a = *db.Adressen();
    for (const char* code : {"M600", "B653", "M670", "M600"}) {
        ASSERT_EQ(vx::tableAppendBlank(a.Handle()), 0);
        a.SetText(a.name1Soun, code);
    }
    ASSERT_EQ(vx::tableFlush(a.Handle()), 0);
    ASSERT_EQ(a.SetQuery("NAME1_SOUN='M600'"), 0);
    ASSERT_EQ(a.SetSort(""), 0);
    std::vector<long> found;
    for (int rc = vx::relateTop(a.Relation()); rc == 0; rc = vx::relateSkip(a.Relation(), 1))
        found.push_back(vx::tableRecNo(a.Handle()));
    EXPECT_EQ(found, (std::vector<long>{1, 4}));
}

TEST_F(Datenbank, ADamagedAddressTableIsReportedOnce) {
    vx::WriteFileAtomic(Path("db/ADRESSE.DBF"), std::string(40, '\x8B'));
    EXPECT_NE(Open(), 0);
    EXPECT_TRUE(db.Fehler());
    ASSERT_EQ(Shown().size(), 2u);  // PLZORT missing, ADRESSE damaged
    EXPECT_NE(Shown()[1].text.find("ADRESSE"), std::string::npos) << Shown()[1].text;
    EXPECT_EQ(db.Adressen(), nullptr);
}

} // namespace
