// The places and remark exports as a host calls them: the library loaded
// with dlopen, its dialogs driven on the display through their controls,
// and the tables read afterwards by the engine and by python3-dbfread.
#include "dbase/Engine.h"
#include "dbase/data/Field.h"
#include "dbase/data/FieldView.h"
#include "dbase/data/Table.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "platform/wx/WxText.h"
#include "testsupport/quorvel/DialogDrive.h"
#include "testsupport/quorvel/QuorvelScratch.h"
#include "values/CProjekt.h"

#include <gtest/gtest.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

extern "C" {
typedef void (*InitFn)(const char*, const char*, const char*);
typedef int (*DialogFn)();
typedef const char* (*TextFn)(const char*);
}

const char* const kPython = "/usr/bin/python3";

// The start of a town-order line of the place search.
std::string FitLine(const std::string& town, const std::string& plz) {
    return town + std::string(50 - town.size(), ' ') + " " + plz + std::string(10 - plz.size(), ' ');
}

class QuorvelModuleGui : public ::testing::Test {
protected:
    void SetUp() override {
        dir = scratch_.Path();
        ASSERT_FALSE(dir.empty());
        ASSERT_NO_FATAL_FAILURE(CopySamplePlaces(dir + "/plz"));
        const std::string ini = dir + "/Velmora.ini";
        vx::WriteFileAtomic(ini, QuorvelProfileText(dir));
        frame_ = ShowHostFrame();
        lib = ::dlopen(VX_QUORVEL_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(lib, nullptr) << ::dlerror();
        reinterpret_cast<InitFn>(::dlsym(lib, "InitQuorvel"))(ini.c_str(), "", "");
    }
    void TearDown() override {
        if (lib) ::dlclose(lib);
        CloseHostFrame(frame_);
    }
    static std::string Selected(wxWindow* dialog, int id) {
        auto* list = dynamic_cast<wxListBox*>(dialog->FindWindow(id));
        return list ? vx::FromWx(list->GetStringSelection()) : "?";
    }
    template <typename Fn> Fn Export(const char* name) { return reinterpret_cast<Fn>(::dlsym(lib, name)); }

    QuorvelScratch scratch_;
    std::string dir;
    void* lib = nullptr;
    KeyUpCounter keys_;
    wxFrame* frame_ = nullptr;
};

TEST_F(QuorvelModuleGui, BearbOrteAddsAPlaceFindsItBothWaysAndCorrectsItsHeight) {
    const std::string town = "Xyl\xF6hausen";
    std::string addedLine;
    WhenTitled places("Orte", [&](wxDialog& d) {
        Press(&d, 1052);  // "&Neu"
        SetText(&d, 1045, "99998");
        SetText(&d, 1046, town);
        SetText(&d, 1047, "Th\xFCringen");
        SetText(&d, 1062, "-99");
        Press(&d, 1057);  // "&Speich"
        EXPECT_TRUE(d.FindWindow(1556)->IsShown());

        // By the first letters of the town, in town order.
        WhenTitled byTown("Suche nach Orten/Postleitzahlen", [&](wxDialog& s) {
            FocusOn(s.FindWindow(1551));
            Type(keys_, "xyl");
            addedLine = Selected(&s, 1539);
            EXPECT_EQ(addedLine.substr(0, 61), FitLine(town, "99998"));
            Press(&s, wxID_OK);
        });
        Press(&d, 1056);  // "Su&che"
        EXPECT_TRUE(byTown.done);
        EXPECT_EQ(Text(&d, 1046), town);

        Press(&d, 1054);  // away from it: "&<"
        EXPECT_NE(Text(&d, 1046), town);
        // By its postcode, in postcode order.
        WhenTitled byPostcode("Suche nach Orten/Postleitzahlen", [&](wxDialog& s) {
            auto* radio = dynamic_cast<wxRadioButton*>(s.FindWindow(1540));
            ASSERT_NE(radio, nullptr);
            FocusOn(radio);
            Key(keys_, WXK_SPACE);
            EXPECT_TRUE(radio->GetValue());
            FocusOn(s.FindWindow(1551));
            Type(keys_, "99998");
            EXPECT_EQ(Selected(&s, 1539).substr(0, 11), "99998      ");
            Press(&s, wxID_OK);
        });
        Press(&d, 1056);
        EXPECT_TRUE(byPostcode.done);
        EXPECT_EQ(Text(&d, 1046), town);
        EXPECT_TRUE(d.FindWindow(1556)->IsShown());

        SetText(&d, 1062, "371");
        Press(&d, 1057);
        EXPECT_FALSE(d.FindWindow(1556)->IsShown());
        Press(&d, wxID_OK);
    });
    EXPECT_EQ(Export<DialogFn>("BearbOrte")(), 1);
    EXPECT_TRUE(places.done);

    vx::EngineContext ctx;
    ASSERT_EQ(vx::engineInit(&ctx), 0);
    vx::TableHandle* t = vx::tableOpen(&ctx, dir + "/plz/PLZORT");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(vx::tableRecCount(t), 672);
    ASSERT_EQ(vx::tableGo(t, 672), 0);
    EXPECT_EQ(vx::FieldView(t, "ORT").str(), town + std::string(50 - town.size(), ' '));
    EXPECT_EQ(long(vx::FieldView(t, "GEOH")), 371);
    EXPECT_EQ(std::string(vx::FieldView(t, "HAND").str()), "T");
    vx::tableClose(t);
    vx::engineInitUndo(&ctx);

    if (!vx::FileExists(kPython) || vx::RunProgram(kPython, {"-c", "import dbfread"}) != 0)
        GTEST_SKIP() << "python3-dbfread is not installed";
    vx::WriteFileAtomic(dir + "/check.py", R"PY(
# -*- coding: cp1252 -*-
import sys
from dbfread import DBF
p = list(DBF(sys.argv[1] + '/plz/PLZORT.DBF'))
assert len(p) == 672 and p[0]['ORT'] == 'Stuttgart' and p[0]['LAND'] == 'Baden-Württemberg', p[0]
x = p[-1]
assert (x['PLZ'], x['ORT'], x['LAND'], x['GEOH'], x['HAND']) == ('99998', 'Xylöhausen', 'Thüringen', 371, True), x
)PY");
    EXPECT_EQ(vx::RunProgram(kPython, {dir + "/check.py", dir}), 0);
}

TEST_F(QuorvelModuleGui, GetBemerkungStoresLoadsAtTheCaretDeletesAndPacks) {
    auto getBemerkung = Export<TextFn>("GetBemerkung");
    auto store = [&](wxDialog& d, const std::string& text, const std::string& match) {
        SetText(&d, 1031, text);
        WhenTitled ask("Matchcode", [&](wxDialog& m) {
            SetText(&m, 1547, match);
            Press(&m, wxID_OK);
        });
        Press(&d, 6);  // "&In Datenb."
        EXPECT_TRUE(ask.done);
    };
    WhenTitled first("Bemerkungen", [&](wxDialog& d) {
        wxTextCtrl* edit = Edit(&d, 1031);
        FocusOn(edit);
        EXPECT_EQ(edit->GetInsertionPoint(), edit->GetLastPosition());
        store(d, "Gr\xFC\xDF" "e aus K\xF6ln\r\nzweite Zeile", "GR\xDC\xDF" "E");
        store(d, "\xD6" "fen pr\xFC" "fen", "\xD6" "FEN");
        SetText(&d, 1031, "Anfang  Ende");
        edit->SetInsertionPoint(7);
        WhenTitled pick("Bemerkungstexte", [&](wxDialog& s) {
            auto* list = dynamic_cast<wxComboBox*>(s.FindWindow(1059));
            ASSERT_EQ(list->GetCount(), 2u);
            EXPECT_EQ(vx::FromWx(list->GetString(1)),
                      "\xD6" "FEN       \xD6" "fen pr\xFC" "fen" + std::string(30, ' ') + "2");
            list->SetSelection(1);
            Press(&s, wxID_OK);
        });
        Press(&d, 5);  // "&Aus Datenb."
        EXPECT_TRUE(pick.done);
        Press(&d, wxID_OK);
    });
    const char* edited = getBemerkung("Erste Zeile\r\nZweite Zeile");
    EXPECT_TRUE(first.done);
    ASSERT_NE(edited, nullptr);
    EXPECT_EQ(std::string(edited), "Anfang \xD6" "fen pr\xFC" "fen Ende");

    // Deleting in the store and closing it packs; cancel gives nothing back.
    WhenTitled second("Bemerkungen", [&](wxDialog& d) {
        EXPECT_EQ(Text(&d, 1031), "unver\xE4ndert");
        WhenTitled remove("Bemerkungstexte", [&](wxDialog& s) {
            auto* list = dynamic_cast<wxComboBox*>(s.FindWindow(1059));
            list->SetSelection(1);
            Press(&s, 3);  // "&Löschen"
            EXPECT_EQ(list->GetCount(), 1u);
            Press(&s, wxID_CANCEL);
        });
        Press(&d, 5);
        EXPECT_TRUE(remove.done);
        SetText(&d, 1031, "verworfen");
        Press(&d, wxID_CANCEL);
    });
    EXPECT_EQ(getBemerkung("unver\xE4ndert"), nullptr);
    EXPECT_TRUE(second.done);
    std::string header;
    ASSERT_TRUE(vx::ReadWholeFile(dir + "/db/BEMERKUN.DBF", header));
    ASSERT_GT(header.size(), 8u);
    EXPECT_EQ(uint8_t(header[4]) | uint8_t(header[5]) << 8, 1);  // one record left after the pack

    if (!vx::FileExists(kPython) || vx::RunProgram(kPython, {"-c", "import dbfread"}) != 0)
        GTEST_SKIP() << "python3-dbfread is not installed";
    vx::WriteFileAtomic(dir + "/check.py", R"PY(
# -*- coding: cp1252 -*-
import sys
from dbfread import DBF
b = list(DBF(sys.argv[1] + '/db/BEMERKUN.DBF'))
assert len(b) == 1, b
# dbfread takes a dBASE IV memo block's length word as the length of the
# text behind it, so it reads the block's padding too.
assert b[0]['MATCH'] == 'GRÜßE' and b[0]['BEMERKUNG'].rstrip('\0') == 'Grüße aus Köln\r\nzweite Zeile', b[0]
)PY");
    EXPECT_EQ(vx::RunProgram(kPython, {dir + "/check.py", dir}), 0);
}

TEST_F(QuorvelModuleGui, StartChoiceUserDataAndFormSettingsAsAHostCallsThem) {
    typedef int (*StartFn)(const char*, const char*, const char*, const char*, const char*, int, int, int);
    typedef const char* (*UserFn)(const char*, int);
    const std::string ini = dir + "/Velmora.ini";
    vx::WriteFileAtomic(ini, "[Global]\nGlobalDBPfad=" + dir + "/db\nAnwenderDAT=" + dir + "/anwender.dat\n"
                             "[Datenbank]\nPfad=" + dir + "\nPfad_P=" + dir + "/plz\n[Recent File List]\n"
                             "File1=/daten/neubau.kfx\nFile2=/daten/anlage.kfx\n[LuL]\nFormular0=" + dir +
                             "/form.lst\n");
    vx::WriteFileAtomic(dir + "/form.lst", "[Layout]\nxOffset=5000\nyOffset=0\n");
    auto start = [&](int line, int icon2) {
        WhenTitled choose("Velmora", [&](wxDialog& d) {
            EXPECT_EQ(d.FindWindow(1015)->IsShown(), icon2 != 0);
            dynamic_cast<wxListBox*>(d.FindWindow(1011))->SetSelection(line);
            Press(&d, wxID_OK);
        });
        return Export<StartFn>("NeuLadenAlt")("Velmora", "Neues Projekt?", "&Neu", "&Zweite",
                                              "&\xD6" "ffnen", 133, icon2, 193);
    };
    EXPECT_EQ(start(0, 0), 12);
    std::string text;
    ASSERT_TRUE(vx::ReadWholeFile(ini, text));
    EXPECT_EQ(text.find("LstPrj"), std::string::npos);
    EXPECT_EQ(start(2, 133), 13);
    ASSERT_TRUE(vx::ReadWholeFile(ini, text));
    EXPECT_NE(text.find("LstPrj=/daten/anlage.kfx"), std::string::npos);

    WhenTitled user("Anwenderdaten", [&](wxDialog& d) {
        EXPECT_EQ(Text(&d, 1038), "Nord");
        SetText(&d, 1042, "0431 1234");
        Press(&d, wxID_OK);
    });
    const char* answer = Export<UserFn>("GetAnwenderDaten")(
        "<ANWENDERDATEN FORMAT=1><DATEN NAME1=\"Nord\" VERSION=\"3.10\"></ANWENDERDATEN>", 12);
    ASSERT_NE(answer, nullptr);
    EXPECT_NE(std::string(answer).find("NAME1=\"Nord\""), std::string::npos) << answer;
    EXPECT_NE(std::string(answer).find("TEL=\"0431 1234\""), std::string::npos) << answer;
    ASSERT_TRUE(vx::ReadWholeFile(dir + "/anwender.dat", text));
    EXPECT_NE(text.find("TEL=0431 1234"), std::string::npos);

    WhenTitled form("Ausdruck konfigurieren", [&](wxDialog& d) {
        EXPECT_EQ(Text(&d, 1040), "0,5");
        SetText(&d, 1040, "1,2");
        Press(&d, wxID_OK);
    });
    EXPECT_EQ(Export<DialogFn>("Formular")(), 1);
    ASSERT_TRUE(vx::ReadWholeFile(dir + "/form.lst", text));
    EXPECT_EQ(text, "[Layout]\n xOffset=12000\n yOffset=0\n");
    EXPECT_TRUE(vx::FileExists(dir + "/form.ls"));
}

} // namespace

TEST_F(QuorvelModuleGui, GetProjektDatenNumbersANewProjectAndReturnsTheEditedRecord) {
    vx::WriteFileAtomic(dir + "/Velmora.ini", "[Global]\nGlobalDBPfad=" + dir + "/db\n[Datenbank]\nPfad=" + dir +
                                                  "\nPfad_P=" + dir + "/plz\n[Projekt]\nNr=1\nLfdNr=41\n");
    auto getProjektDaten = Export<TextFn>("GetProjektDaten");
    CProjekt sent;
    sent.Text(CProjekt::Floskel) = "Guten Tag";
    WhenTitled dialog("Projektdaten", [&](wxDialog& d) {
        EXPECT_EQ(Edit(&d, 1203) ? Text(&d, 1203) : "", "42");
        SetText(&d, 1217, "Heizhaus");
        SetText(&d, 1545, "01067");
        Press(&d, wxID_OK);
    });
    const char* answer = getProjektDaten(sent.WriteRecord().c_str());
    ASSERT_TRUE(dialog.done);
    ASSERT_NE(answer, nullptr);
    CProjekt back;
    back.ReadRecord(answer);
    EXPECT_EQ(back.Text(CProjekt::Nummer), "42");
    EXPECT_EQ(back.Text(CProjekt::StdoName1), "Heizhaus");
    EXPECT_EQ(back.Text(CProjekt::StdoOrt), "Dresden");
    EXPECT_EQ(back.Text(CProjekt::Floskel), "Guten Tag");
    EXPECT_EQ(back.siteHeight, 113.0);
    EXPECT_EQ(back.recipientHeight, -99.0);

    WhenTitled cancel("Projektdaten", [&](wxDialog& d) { Press(&d, wxID_CANCEL); });
    EXPECT_EQ(getProjektDaten(answer), nullptr);
    EXPECT_TRUE(cancel.done);
}
