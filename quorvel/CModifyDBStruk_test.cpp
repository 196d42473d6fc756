#include "quorvel/CModifyDBStruk.h"

#include "dbase/Engine.h"
#include "dbase/file/EngineFile.h"
#include "dbase/data/FieldView.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/QuorvelTables.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"

#include <cstring>

namespace {

// ADRESSE as an older version left it: without HANDY.
std::vector<vx::FieldInfo> OldAdresseFields() {
    std::vector<vx::FieldInfo> fields;
    for (const vx::FieldInfo* f = kAdresseFields; f->name; ++f)
        if (std::strcmp(f->name, "HANDY") != 0) fields.push_back(*f);
    fields.push_back({});
    return fields;
}

const std::vector<QuorvelTest::Row> kRows = {
    {{"MATCH", "MUELLER"}, {"NAME1", "Ofenbau M\xFCller"}, {"NAME1_SOUN", "O191"}, {"ORT", "K\xF6ln"},
     {"BEMERKUNG", std::string(700, 'm') + " Gr\xFC\xDF" "e"}},
    {{"MATCH", "WEG"}, {"NAME1", "Gel\xF6scht"}, {"*", ""}},
    {{"MATCH", "BAUER"}, {"NAME1", "Firma Bauer"}, {"DUMMY", "Rabatt 3"}},
};

class ModifyDBStruk : public QuorvelTest {
protected:
    void SetUp() override {
        QuorvelTest::SetUp();
        ASSERT_EQ(vx::engineInit(&ctx), 0);
        CModifyDBStruk::QuitHook() = [this] { ++quits; };
    }
    void TearDown() override {
        CModifyDBStruk::QuitHook() = nullptr;
        ctx.errorCode = 0;
        vx::engineCloseAll(&ctx);
        vx::engineInitUndo(&ctx);
        QuorvelTest::TearDown();
    }
    int Run() {
        CModifyDBStruk m(&ctx);
        int rc = m.Run(Path("db/ADRESSE"), kAdresseFields, kAdresseTags);
        refused = m.Refused();
        return rc;
    }
    std::string Field(vx::TableHandle* t, const char* name) {
        vx::Field* f = vx::tableField(t, name);
        if (!f) return "<fehlt>";
        if (f->type == 'M') return std::string(vx::fieldMemoPtr(f), vx::fieldMemoLen(f));
        std::string s(vx::fieldPtr(f), f->len);
        return s.substr(0, s.find_last_not_of(' ') + 1);
    }

    vx::EngineContext ctx;
    int quits = 0;
    bool refused = false;
};

TEST_F(ModifyDBStruk, AnAddressTableWithoutHandyIsConvertedKeepingEverything) {
    auto old = OldAdresseFields();
    MakeTable(Path("db/ADRESSE"), old.data(), kAdresseTags, kRows);
    const std::string oldDbf = Read("db/ADRESSE.DBF"), oldMdx = Read("db/ADRESSE.MDX"),
                      oldDbt = Read("db/ADRESSE.DBT");

    ASSERT_EQ(Run(), CModifyDBStruk::Converted);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(Read("db/ADRESSE.DBF.OLD"), oldDbf);
    EXPECT_EQ(Read("db/ADRESSE.MDX.OLD"), oldMdx);
    EXPECT_EQ(Read("db/ADRESSE.DBT.OLD"), oldDbt);
    // The temporary table lay in a folder of this process's own inside the
    // private one, which goes with it.
    EXPECT_FALSE(vx::FileExists(Path("tmp/ADRESSE.DBF")));
    const std::string priv = Path("tmp/quorvel-" + std::to_string(::getuid()));
    EXPECT_TRUE(std::filesystem::is_directory(priv));
    EXPECT_FALSE(std::filesystem::exists(priv + "/" + std::to_string(::getpid())));

    ctx.autoOpen = 1;
    vx::TableHandle* t = vx::tableOpen(&ctx, Path("db/ADRESSE"));
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(vx::tableRecCount(t), 3);
    for (long r = 1; r <= 3; ++r) {
        SCOPED_TRACE(r);
        ASSERT_EQ(vx::tableGo(t, r), 0);
        const Row& want = kRows[size_t(r - 1)];
        EXPECT_EQ(vx::tableDeleted(t) != 0, want.count("*") != 0);
        for (const char* name : {"MATCH", "NAME1", "NAME1_SOUN", "ORT", "BEMERKUNG", "DUMMY"}) {
            auto it = want.find(name);
            EXPECT_EQ(Field(t, name), it == want.end() ? "" : it->second) << name;
        }
        EXPECT_EQ(Field(t, "HANDY"), "");
    }
    // The index of the new table came along.
    vx::tableTagSelect(t, vx::tableTag(t, "PRIMARY"));
    EXPECT_EQ(vx::tableSeek(t, "BAUER"), 0);
    EXPECT_EQ(vx::tableRecNo(t), 3);
    vx::tableClose(t);

    // Now the structure agrees: nothing more happens.
    EXPECT_EQ(Run(), CModifyDBStruk::Unchanged);
}

TEST_F(ModifyDBStruk, ASecondConversionKeepsTheFirstBackups) {
    auto old = OldAdresseFields();
    MakeTable(Path("db/ADRESSE"), old.data(), kAdresseTags, {kRows[0]});
    ASSERT_EQ(Run(), CModifyDBStruk::Converted);
    const std::string firstBackup = Read("db/ADRESSE.DBF.OLD");
    MakeTable(Path("db/ADRESSE"), old.data(), kAdresseTags, kRows);
    ASSERT_EQ(Run(), CModifyDBStruk::Converted);
    EXPECT_EQ(Read("db/ADRESSE.DBF.OLD"), firstBackup);
    ctx.autoOpen = 0;
    vx::TableHandle* t = vx::tableOpen(&ctx, Path("db/ADRESSE"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(vx::tableRecCount(t), 3);
    vx::tableClose(t);
}

TEST_F(ModifyDBStruk, WhatTheComparisonDecides) {
    // A longer name field than the old one: converted, texts unchanged.
    std::vector<vx::FieldInfo> shorter(kAdresseFields, kAdresseFields + 17);
    shorter[1].len = 30;
    MakeTable(Path("db/ADRESSE"), shorter.data(), kAdresseTags, {kRows[0]});
    ASSERT_EQ(Run(), CModifyDBStruk::Converted);
    vx::TableHandle* t = vx::tableOpen(&ctx, Path("db/ADRESSE"));
    ASSERT_NE(t, nullptr);
    vx::tableGo(t, 1);
    EXPECT_EQ(vx::tableField(t, "NAME1")->len, 50);
    EXPECT_EQ(Field(t, "NAME1"), "Ofenbau M\xFCller");
    vx::tableClose(t);

    // A field that is not wanted does not count.
    std::vector<vx::FieldInfo> extra(kAdresseFields, kAdresseFields + 16);
    extra.push_back({"EXTRA", 'C', 5, 0});
    extra.push_back({});
    vx::RemoveFile(Path("db/ADRESSE.DBF.OLD"));
    MakeTable(Path("db/ADRESSE"), extra.data(), kAdresseTags, {kRows[0]});
    const std::string before = Read("db/ADRESSE.DBF");
    EXPECT_EQ(Run(), CModifyDBStruk::Unchanged);
    EXPECT_EQ(Read("db/ADRESSE.DBF"), before);
    EXPECT_FALSE(vx::FileExists(Path("db/ADRESSE.DBF.OLD")));

    // No table: nothing to do.
    for (const char* ext : {".DBF", ".MDX", ".DBT"}) vx::RemoveFile(Path("db/ADRESSE") + ext);
    EXPECT_EQ(Run(), CModifyDBStruk::Unchanged);
    EXPECT_EQ(ctx.errorCode, 0);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(ModifyDBStruk, ATableHeldByAnotherProgramIsLeftAloneAndTheApplicationEnds) {
    auto old = OldAdresseFields();
    MakeTable(Path("db/ADRESSE"), old.data(), kAdresseTags, kRows);
    const std::string before = Read("db/ADRESSE.DBF");
    vx::EngineContext other;
    ASSERT_EQ(vx::engineInit(&other), 0);
    vx::TableHandle* held = vx::tableOpen(&other, Path("db/ADRESSE"));
    ASSERT_NE(held, nullptr);

    EXPECT_EQ(Run(), CModifyDBStruk::Unchanged);
    EXPECT_TRUE(refused);
    EXPECT_EQ(quits, 1);
    ASSERT_EQ(Shown().size(), 1u);
    const std::string path = Path("db/ADRESSE");
    EXPECT_EQ(Shown()[0].text, "Die Datenbank " + path + " muss konvertiert werden.\nDazu m\xFCssen alle Programme, die auf " +
                                   path + " zugreifen beendet werden.\nStarten Sie danach die Software nochmals.");
    EXPECT_EQ(Shown()[0].flags & vx::MB_ICONMASK, unsigned(vx::MB_ICONSTOP));
    EXPECT_EQ(Read("db/ADRESSE.DBF"), before);
    EXPECT_FALSE(vx::FileExists(Path("db/ADRESSE.DBF.OLD")));

    // The database start-up then opens neither ADRESSE nor BEMERKUN with the old structure.
    CDatenbank db;
    EXPECT_NE(db.Oeffnen(Path("db"), Path("plz")), 0);
    EXPECT_TRUE(db.ConversionRefused());
    EXPECT_TRUE(db.Fehler());
    EXPECT_EQ(db.Adressen(), nullptr);
    EXPECT_EQ(db.Bemerkungen(), nullptr);
    db.Schliessen();
    vx::tableClose(held);
    vx::engineInitUndo(&other);
}

TEST_F(ModifyDBStruk, ATemporaryTableThatCannotBeMadeEndsTheConversionWithAMessage) {
    auto old = OldAdresseFields();
    MakeTable(Path("db/ADRESSE"), old.data(), kAdresseTags, kRows);
    const std::string before = Read("db/ADRESSE.DBF");
    // Whatever sits in the way of the temporary data file.
    ::setenv("TMPDIR", Path("blocked").c_str(), 1);
    const std::string priv = Path("blocked/quorvel-" + std::to_string(::getuid()));
    const std::string own = priv + "/" + std::to_string(::getpid());
    std::filesystem::create_directories(own + "/ADRESSE.DBF");
    std::filesystem::permissions(priv, std::filesystem::perms::owner_all);
    std::filesystem::permissions(own, std::filesystem::perms::owner_all);
    EXPECT_EQ(Run(), CModifyDBStruk::Failed);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_NE(Shown()[0].text.find("konnte nicht konvertiert werden"), std::string::npos);
    EXPECT_EQ(Read("db/ADRESSE.DBF"), before);
    EXPECT_EQ(ctx.errorCode, 0);

    // The start-up then leaves the old table closed rather than bind a missing field.
    CDatenbank db;
    EXPECT_NE(db.Oeffnen(Path("db"), Path("plz")), 0);
    EXPECT_TRUE(db.Fehler());
    EXPECT_EQ(db.Adressen(), nullptr);
    EXPECT_EQ(db.Context().errorCode, 0);
    db.Schliessen();
    EXPECT_EQ(Read("db/ADRESSE.DBF"), before);
}

TEST_F(ModifyDBStruk, AFailedReplacementRestoresTheOldTable) {
    auto old = OldAdresseFields();
    MakeTable(Path("db/ADRESSE"), old.data(), kAdresseTags, kRows);
    const std::string dbf = Read("db/ADRESSE.DBF"), mdx = Read("db/ADRESSE.MDX"), dbt = Read("db/ADRESSE.DBT");
    // The index's new copy cannot take its place.
    std::filesystem::create_directories(Path("db/ADRESSE.DBT.NEU"));
    std::filesystem::create_directories(Path("db/ADRESSE.DBT.NEU/x"));
    EXPECT_EQ(Run(), CModifyDBStruk::Failed);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_NE(Shown()[0].text.find("ADRESSE.DBT"), std::string::npos) << Shown()[0].text;
    EXPECT_EQ(Read("db/ADRESSE.DBF"), dbf);
    EXPECT_EQ(Read("db/ADRESSE.MDX"), mdx);
    EXPECT_EQ(Read("db/ADRESSE.DBT"), dbt);
    EXPECT_FALSE(vx::FileExists(Path("db/ADRESSE.DBF.NEU")));
}

} // namespace
