#include "quorvel/CQuorvelApp.h"

#include "platform/Profile.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/PrivateTemp.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"

#include <sys/stat.h>

namespace {

using QuorvelApp = QuorvelTest;

TEST_F(QuorvelApp, InitBindsTheHostsIniFileAndTheLanguageFileOverridesStrings) {
    vx::WriteFileAtomic(Path("sprache.txt"), "3 Address database could not be opened !\n");
    vx::WriteFileAtomic(Path("Velmora.ini"), "[Global]\nGlobalDBPfad=" + Path("db") + "\\\nSpracheVxt=" +
                                                 Path("sprache.txt") + "\n[Datenbank]\nPfad=" + dir +
                                                 "\nPfad_P=" + Path("plz") + "\n");
    CQuorvelApp app;
    app.Init(Path("Velmora.ini"), "/opt/velmora/Velmora.hlp", "");
    EXPECT_EQ(vx::Profile().Path(), Path("Velmora.ini"));
    EXPECT_EQ(app.HelpPath(), "/opt/velmora/Velmora.hlp");
    EXPECT_EQ(app.RegistryKey(), "");
    EXPECT_EQ(QuorvelString(IDS_QV_DB_OPEN_ERROR), "Address database could not be opened !");
    // A trailing separator of the folder does not matter.
    EXPECT_TRUE(vx::FileExists(Path("db/ADRESSE.DBF")));
    EXPECT_FALSE(TheDatenbank().Fehler());
    EXPECT_EQ(app.KehrBezirk().Mode(), 0);
    // The records come on first use.
    app.Anwender().name1 = "Nord";
    EXPECT_EQ(app.Anwender().name1, "Nord");
    app.Shutdown();
    EXPECT_EQ(TheDatenbank().Adressen(), nullptr);

    // Without a language file the library's own text.
    vx::Profile().WriteString("Global", "SpracheVxt", Path("fehlt.txt"));
    app.Init(Path("Velmora.ini"), "", "");
    EXPECT_EQ(QuorvelString(IDS_QV_DB_OPEN_ERROR), "Fehler beim \xD6" "ffnen der Adressdatenbank !");
    app.Shutdown();
}

TEST_F(QuorvelApp, RecordsNameTheHostWhoseIniFileItNamed) {
    // A host started beside its INI file hands the file's path; the records
    // the library writes still carry the host's name.
    vx::WriteFileAtomic(Path("Tarsilo.ini"), "[Datenbank]\nPfad=" + dir + "\n");
    vx::Profile().UseFile(Path("vorher.ini"), "");
    CQuorvelApp app;
    app.Init(Path("Tarsilo.ini"), "", "");
    EXPECT_NE(app.Anwender().WriteRecord().find("ERZEUGER=\"Tarsilo\""), std::string::npos);
    EXPECT_NE(app.Projekt().WriteRecord().find("ERZEUGER=\"Tarsilo\""), std::string::npos);
    app.Shutdown();
}

TEST_F(QuorvelApp, ThePrivateTemporaryFolderBelongsToTheUserAlone) {
    const std::string mine = QuorvelTempDir();
    ASSERT_FALSE(mine.empty());
    struct stat st;
    ASSERT_EQ(::stat(mine.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(QuorvelTempDir(), mine);
    // A folder others may write into, or a link planted in its place, is refused.
    ::chmod(mine.c_str(), 0777);
    EXPECT_EQ(QuorvelTempDir(), "");
    std::filesystem::remove_all(mine);
    std::filesystem::create_directories(Path("elsewhere"));
    ::chmod(Path("elsewhere").c_str(), 0700);
    std::filesystem::create_directory_symlink(Path("elsewhere"), mine);
    EXPECT_EQ(QuorvelTempDir(), "");
}

} // namespace
