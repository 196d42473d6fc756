#include "quorvel/PlaceList.h"

#include "testsupport/quorvel/QuorvelTestEnv.h"
#include "quorvel/QuorvelTables.h"

namespace {

TEST(PlaceList, ReadsLandsAndPlaces) {
    std::vector<PlaceEntry> places;
    std::string error;
    ASSERT_TRUE(ReadPlaceList("# Kommentar\n[Th\xC3\xBCringen]\r\n07743;Jena;155\n\n[Bayern]\n 80331 ; M\xC3\xBCnchen ; 519 \n"
                              "87561;Oberstdorf;-5",
                              places, error))
        << error;
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[0].land, "Th\xFCringen");
    EXPECT_EQ(places[1].plz, "80331");
    EXPECT_EQ(places[1].ort, "M\xFCnchen");
    EXPECT_EQ(places[1].land, "Bayern");
    EXPECT_EQ(places[1].height, 519);
    EXPECT_EQ(places[2].height, -5);
}

TEST(PlaceList, RefusesMalformedLinesNamingThem) {
    const struct {
        const char* text;
        const char* error;
    } bad[] = {
        {"80331;M\xC3\xBCnchen;519", "Zeile 1: kein Land angegeben"},
        {"[Bayern]\n80331;M\xC3\xBCnchen", "Zeile 2: erwartet PLZ;Ort;H\xF6he"},
        {"[Bayern]\n80331;M\xC3\xBCnchen;5x9", "Zeile 2: ung\xFCltige H\xF6he"},
        {"[Bayern]\n;M\xC3\xBCnchen;519", "Zeile 2: Postleitzahl oder Ort fehlt oder ist zu lang"},
        {"[Bayern]\n12345678901;Ort;1", "Zeile 2: Postleitzahl oder Ort fehlt oder ist zu lang"},
        {"[Bayern\n80331;M\xC3\xBCnchen;519", "Zeile 1: unvollst\xE4ndiger Landesname"},
        {"[Bayern]\n1;2;3;4", "Zeile 2: erwartet PLZ;Ort;H\xF6he"},
    };
    for (const auto& c : bad) {
        std::vector<PlaceEntry> places;
        std::string error;
        EXPECT_FALSE(ReadPlaceList(c.text, places, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

using SamplePlaces = QuorvelTest;

TEST_F(SamplePlaces, TheSampleTableHoldsEveryPlaceOfItsSource) {
    const std::string source = std::string(VX_SOURCE_TREE) + "/quorvel/tools/plzort.txt";
    std::string text, error;
    ASSERT_TRUE(vx::ReadWholeFile(source, text));
    std::vector<PlaceEntry> places;
    ASSERT_TRUE(ReadPlaceList(text, places, error)) << error;
    EXPECT_GE(places.size(), 500u);
    for (const char* ext : {".DBF", ".MDX"})
        std::filesystem::copy_file(std::string(VX_SOURCE_TREE) + "/data/PLZORT" + ext, Path("plz/PLZORT") + ext);

    vx::EngineContext ctx;
    ASSERT_EQ(vx::engineInit(&ctx), 0);
    CPlzOrtTab table;
    ASSERT_EQ(table.Open(&ctx, Path("plz/PLZORT")), 0);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(vx::tableRecCount(table.Handle()), long(places.size()));
    for (const PlaceEntry& p : places) {
        std::string land;
        EXPECT_EQ(table.GeoHoehe(p.plz, p.ort, &land), p.height) << p.plz << " " << p.ort;
        EXPECT_EQ(land, p.land) << p.plz;
    }
    // Five by name, so that a list and a table that agree by mistake still fail.
    EXPECT_EQ(table.GeoHoehe("80331", "M\xFCnchen"), 519);
    EXPECT_EQ(table.GeoHoehe("98559", "Oberhof"), 815);
    EXPECT_EQ(table.GeoHoehe("26721", "Emden"), 1);
    EXPECT_EQ(table.GeoHoehe("09484", "Oberwiesenthal"), 914);
    EXPECT_EQ(table.GeoHoehe("10115", "Berlin"), 34);
    table.Close();
    vx::engineCloseAll(&ctx);
    vx::engineInitUndo(&ctx);
}

TEST_F(SamplePlaces, BuildingReplacesTheTableOnlyWhenComplete) {
    std::vector<PlaceEntry> places = {{"07743", "Jena", "Th\xFCringen", 155}, {"80331", "M\xFCnchen", "Bayern", 519}};
    std::string error;
    ASSERT_TRUE(BuildPlaceTable(places, Path("plz"), error)) << error;
    const std::string built = Read("plz/PLZORT.DBF");
    EXPECT_EQ((unsigned char)built.at(29), 0x03u);
    EXPECT_FALSE(vx::FileExists(Path("plz/.plzort-neu")));
    // A place that does not fit leaves the table as it was.
    places.push_back({"12345", std::string(60, 'x'), "Bayern", 1});
    places.push_back({"12346", "Ort", "Bayern", 123456});
    EXPECT_FALSE(BuildPlaceTable(places, Path("plz"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Read("plz/PLZORT.DBF"), built);
}

} // namespace
