// The address forms and their searches on the display, keys typed through
// the X server, on a database with the sample places.
#include "quorvel/CDlgAdr.h"
#include "quorvel/CDlgAdrSuche.h"
#include "quorvel/CDlgAdrSucheV2.h"
#include "quorvel/CDlgAdrV2.h"
#include "quorvel/CDlgOrte.h"
#include "quorvel/CDlgOrteSearch.h"

#include "dbase/data/Field.h"
#include "dbase/data/Table.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/System.h"
#include "platform/wx/WxText.h"
#include "quorvel/CDatenbank.h"
#include "testsupport/quorvel/DialogDrive.h"
#include "quorvel/CQuorvelApp.h"
#include "testsupport/quorvel/QuorvelScratch.h"
#include "quorvel/QuorvelTables.h"
#include "testsupport/quorvel/TwoProcesses.h"
#include "quorvel/fields/CMyComboBox.h"
#include "testsupport/quorvel/FieldsTestDialog.h"

#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/listbox.h>

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace {

const char* const kPython = "/usr/bin/python3";

class AddressForms : public ::testing::Test {
protected:
    void SetUp() override {
        dir = scratch_.Path();
        ASSERT_FALSE(dir.empty());
        std::filesystem::create_directories(dir + "/tmp");
        if (const char* old = std::getenv("TMPDIR")) oldTmp_ = old;
        ::setenv("TMPDIR", (dir + "/tmp").c_str(), 1);
        const char* src = std::getenv("VX_SOURCE_DIR");
        ASSERT_NE(src, nullptr);
        ASSERT_NO_FATAL_FAILURE(CopySamplePlaces(dir + "/plz"));
        QuorvelStrings().Clear();
        ASSERT_TRUE(QuorvelStrings().LoadFile(std::string(src) + "/resources/quorvel/strings.txt"));
        ASSERT_TRUE(LoadFieldStrings(QuorvelFields()));
        ASSERT_EQ(TheDatenbank().Oeffnen(dir + "/db", dir + "/plz"), 0);
        frame_ = ShowHostFrame();
    }
    void TearDown() override {
        TheDatenbank().Schliessen();
        CloseHostFrame(frame_);
        if (oldTmp_.empty()) ::unsetenv("TMPDIR");
        else ::setenv("TMPDIR", oldTmp_.c_str(), 1);
    }

    // Types into the field, replacing its text; capitals with the shift key.
    void TypeInto(wxWindow* field, const std::string& text) {
        FocusOn(field);
        if (auto* entry = dynamic_cast<wxTextEntry*>(field)) entry->SelectAll();
        for (char c : text) {
            if (std::isupper((unsigned char)c)) Key(keys_, std::tolower((unsigned char)c), wxMOD_SHIFT);
            else Key(keys_, (unsigned char)c);
        }
    }
    static std::string Text(wxWindow* dialog, int id) {
        wxWindow* w = dialog->FindWindow(id);
        if (auto* entry = dynamic_cast<wxTextEntry*>(w)) return vx::FromWx(entry->GetValue());
        return w ? vx::FromWx(w->GetLabel()) : std::string();
    }
    static CAdressTab& Tab() { return *TheDatenbank().Adressen(); }
    static std::string Col(const vx::FieldView& col) { return Tab().FeldText(col); }
    size_t Said(unsigned id) const {
        size_t n = 0;
        for (const auto& m : messages_.service.shown) n += m.text == QuorvelString(id);
        return n;
    }

    QuorvelScratch scratch_;
    std::string oldTmp_;
    std::string dir;
    vx::ScopedScriptedMessages messages_;
    KeyUpCounter keys_;
    wxFrame* frame_ = nullptr;
};

TEST_F(AddressForms, SchmidtIsAddedFoundEditedAndDeleted) {
    CDlgAdrV2 form(frame_);
    int searches = 0;
    RunModal(form, [&] {
        EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 0);
        Press(&form, 1052);
        EXPECT_FALSE(form.FindWindow(1052)->IsEnabled());
        TypeInto(form.FindWindow(1042), "Schmidt");
        // A postcode of the sample places fills town and country.
        TypeInto(form.FindWindow(1045), "80331");
        EXPECT_EQ(vx::FromWx(form.TownCombo()->GetValue()), "M\xFCnchen");
        EXPECT_EQ(Text(&form, 1047), "Bayern");
        Press(&form, 1057);
        EXPECT_TRUE(form.FindWindow(1052)->IsEnabled());
        EXPECT_EQ(Col(Tab().name1), "Schmidt");
        EXPECT_EQ(Col(Tab().name1Soun), "S753");
        EXPECT_EQ(Col(Tab().plz), "80331");
        EXPECT_EQ(Col(Tab().ort), "M\xFCnchen");
        EXPECT_EQ(Col(Tab().land), "Bayern");

        // A second address to walk past; the search goes back to Schmidt.
        Press(&form, 1052);
        TypeInto(form.FindWindow(1042), "Anton");
        Press(&form, 1057);
        WhenShown<CDlgAdrSuche> search([&](CDlgAdrSuche& s) {
            ++searches;
            TypeInto(s.FindWindow(1054), "Schmitt");
            Press(&s, 4);
            ASSERT_EQ(s.List()->GetCount(), 1u);
            EXPECT_EQ(vx::FromWx(s.List()->GetString(0)), "Schmidt");
            // Through the town, in other letter case: the substring pass.
            TypeInto(s.FindWindow(1054), "nchen");
            Press(&s, 4);
            ASSERT_EQ(s.List()->GetCount(), 1u);
            EXPECT_EQ(s.List()->GetSelection(), 0);
            Press(&s, wxID_OK);
        });
        Press(&form, 1056);
        EXPECT_EQ(searches, 1);
        EXPECT_EQ(Text(&form, 1042), "Schmidt");

        TypeInto(form.FindWindow(1043), "Ofenbau");
        Press(&form, 1057);
        EXPECT_EQ(Col(Tab().name2), "Ofenbau");
        EXPECT_EQ(Col(Tab().name1Soun), "S753");

        // Schmidt is the last of the two in record order.
        Press(&form, 1055);
        EXPECT_EQ(Said(7), 1u);
        EXPECT_EQ(Text(&form, 1042), "Schmidt");
        // Page Up from a field: one back.
        FocusOn(form.FindWindow(1044));
        Key(keys_, WXK_PAGEUP);
        EXPECT_EQ(Text(&form, 1042), "Anton");
        Key(keys_, WXK_PAGEUP);
        EXPECT_EQ(Said(8), 1u);
        Key(keys_, WXK_PAGEDOWN);
        EXPECT_EQ(Text(&form, 1042), "Schmidt");

        Press(&form, 1053);
        EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 1);
        EXPECT_EQ(Text(&form, 1042), "Anton");
        // Taken as recipient: the caller reads the current record.
        Press(&form, 1058);
    });
    EXPECT_EQ(CDlgAdr::ResultCode(form.GetReturnCode()), 1058);
    EXPECT_EQ(Col(Tab().name1), "Anton");
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(messages_.service.shown.size(), 2u);
}

TEST_F(AddressForms, TheFirstFormKeepsWhatItDoesNotShowAndLongStoredValues) {
    const std::string phone30 = "+49 (0) 89 / 123 456 789 - 012";
    ASSERT_EQ(phone30.size(), 30u);
    {
        CDlgAdrV2 form(frame_);
        RunModal(form, [&] {
            Press(&form, 1052);
            TypeInto(form.FindWindow(1061), "SCHMI");
            TypeInto(form.FindWindow(1042), "Schmidt");
            Press(&form, 1057);
        });
    }
    EXPECT_EQ(Col(Tab().match), "SCHMI");
    // Another program stored a longer telephone number than the field takes.
    Tab().SetText(Tab().telefon, phone30);
    Tab().SetText(Tab().bemerkung, "Gr\xFC\xDF" "e an M\xFCller");
    vx::tableFlush(Tab().Handle());

    CDlgAdr form(frame_);
    RunModal(form, [&] {
        EXPECT_EQ(Text(&form, 1048), phone30);
        TypeInto(form.FindWindow(1043), "Kamine");
        Press(&form, 1057);
        EXPECT_EQ(Col(Tab().match), "SCHMI");
        EXPECT_EQ(Col(Tab().telefon), phone30);
        EXPECT_EQ(Col(Tab().name2), "Kamine");
        EXPECT_EQ(Col(Tab().bemerkung), "Gr\xFC\xDF" "e an M\xFCller");
        // The longest text typing can produce is still the field's maximum.
        TypeInto(form.FindWindow(1045), "1234567");
        EXPECT_EQ(Text(&form, 1045), "12345");
    });
    if (vx::FileExists(kPython) && vx::RunProgram(kPython, {"-c", "import dbfread"}) == 0) {
        TheDatenbank().Schliessen();
        const char* script = R"PY(
# -*- coding: cp1252 -*-
import sys
from dbfread import DBF
a = list(DBF(sys.argv[1] + '/db/ADRESSE.DBF'))
assert len(a) == 1, a
r = a[0]
assert r['MATCH'] == 'SCHMI' and r['NAME1_SOUN'] == 'S753' and r['NAME2'] == 'Kamine', r
assert r['TELEFON'] == '+49 (0) 89 / 123 456 789 - 012', r
assert r['BEMERKUNG'].startswith('Grüße an Müller'), r
print('ok')
)PY";
        vx::WriteFileAtomic(dir + "/check.py", script);
        EXPECT_EQ(vx::RunProgram(kPython, {dir + "/check.py", dir}), 0);
        ASSERT_EQ(TheDatenbank().Oeffnen(dir + "/db", dir + "/plz"), 0);
    }

    // Deleting the only record leaves an empty table and empty fields.
    CDlgAdr again(frame_);
    RunModal(again, [&] {
        EXPECT_EQ(Text(&again, 1042), "Schmidt");
        Press(&again, 1053);
        EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 0);
        for (int id = 1042; id <= 1051; ++id) EXPECT_EQ(Text(&again, id), "") << id;
        // Nothing to delete now: nothing happens.
        Press(&again, 1053);
        EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 0);
    });
    EXPECT_TRUE(messages_.service.shown.empty());
}

TEST_F(AddressForms, ThePickListTrimsDeletesOnlyAChosenLineAndPreviews) {
    auto add = [](const char* match, const char* name1, const char* plz, const char* ort) {
        ASSERT_EQ(vx::tableAppendBlank(Tab().Handle()), 0);
        Tab().SetText(Tab().match, match);
        Tab().SetText(Tab().name1, name1);
        Tab().SetText(Tab().plz, plz);
        Tab().SetText(Tab().ort, ort);
        vx::tableFlush(Tab().Handle());
    };
    add("", "Firma  Bauer", "89073", "Ulm");
    add("ZZZ", "Zimmer", "24103", "Kiel");
    add("AAA", "Anton", "53111", "Bonn");

    CDlgAdrSucheV2 list(frame_);
    RunModal(list, [&] {
        wxComboBox* combo = list.Combo();
        ASSERT_EQ(combo->GetCount(), 3u);
        EXPECT_EQ(combo->GetFont().GetFamily(), wxFONTFAMILY_TELETYPE);
        // Two blanks after "Firma": the whole name stays.
        EXPECT_EQ(vx::FromWx(combo->GetString(0)).substr(0, 11), "bauer      ");
        EXPECT_EQ(vx::FromWx(combo->GetString(0)).substr(11, 26), "Firma  Bauer              ");
        // No chosen line: "&Löschen" does nothing and the dialog stays.
        Press(&list, 3);
        EXPECT_TRUE(list.IsModal());
        EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 3);
        int zimmer = -1;
        for (unsigned i = 0; i < combo->GetCount(); ++i)
            if (vx::FromWx(combo->GetString(i)).rfind("ZZZ ", 0) == 0) zimmer = int(i);
        ASSERT_GE(zimmer, 0);
        combo->SetSelection(zimmer);
        wxCommandEvent pick(wxEVT_COMBOBOX, combo->GetId());
        pick.SetEventObject(combo);
        pick.SetInt(zimmer);
        combo->GetEventHandler()->ProcessEvent(pick);
        EXPECT_EQ(Text(&list, 1042), "Zimmer");
        EXPECT_EQ(Text(&list, 1223), "24103 Kiel");
        Press(&list, 3);
        EXPECT_TRUE(list.IsModal());
        EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 2);
        ASSERT_EQ(combo->GetCount(), 2u);
        EXPECT_EQ(combo->GetSelection(), wxNOT_FOUND);
        Press(&list, wxID_OK);
    });
    // No choice: the first record of the list.
    ASSERT_GT(list.chosen, 0);
    vx::tableGo(Tab().Handle(), list.chosen);
    EXPECT_EQ(Col(Tab().name1), "Firma  Bauer");
    EXPECT_TRUE(messages_.service.shown.empty());
}

// "&Neu" appends nothing until "S&peich": Escape and "Schließen" leave the
// book as it was, and the empty records earlier versions left are gone.
TEST_F(AddressForms, AnAbortedNewStoresNothingAndEmptyAddressesAreGone) {
    for (const char* name : {"Anton", "", "Berta", ""}) {
        ASSERT_EQ(vx::tableAppendBlank(Tab().Handle()), 0);
        if (*name) Tab().SetText(Tab().name1, name);
    }
    ASSERT_EQ(vx::tableFlush(Tab().Handle()), 0);
    auto names = [] {
        std::string out;
        for (long n = 1; n <= vx::tableRecCount(Tab().Handle()); ++n) {
            vx::tableGo(Tab().Handle(), n);
            out += (vx::tableDeleted(Tab().Handle()) ? "-" : "") + Col(Tab().name1) + "|";
        }
        return out;
    };
    {
        CDlgAdrV2 form(frame_);
        const int rc = RunModal(form, [&] {
            EXPECT_EQ(names(), "Anton|Berta|");
            WhenShown<CDlgAdrSucheV2> list([&](CDlgAdrSucheV2& l) {
                EXPECT_EQ(l.Combo()->GetCount(), 2u);
                Press(&l, wxID_CANCEL);
            });
            Press(&form, 1539);
            EXPECT_TRUE(list.done);
            Press(&form, 1052);
            TypeInto(form.FindWindow(1042), "Carl");
            EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 2);
            wxUIActionSimulator().Char(WXK_ESCAPE);
            EXPECT_TRUE(PumpUntil([&] { return !form.IsModal(); }));
        });
        EXPECT_EQ(rc, wxID_CANCEL);
    }
    EXPECT_EQ(names(), "Anton|Berta|");
    {
        CDlgAdrV2 form(frame_);
        RunModal(form, [&] {
            Press(&form, 1052);
            Press(&form, wxID_CANCEL);
        });
    }
    EXPECT_EQ(names(), "Anton|Berta|");
    {
        // A new entry stores nothing while it is empty; taken as recipient it is stored and current.
        CDlgAdrV2 form(frame_);
        const int rc = RunModal(form, [&] {
            Press(&form, 1052);
            Press(&form, 1057);
            EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 2);
            TypeInto(form.FindWindow(1042), "Dora");
            Press(&form, 1058);
        });
        EXPECT_EQ(CDlgAdr::ResultCode(rc), 1058);
        EXPECT_EQ(Col(Tab().name1), "Dora");
    }
    EXPECT_EQ(names(), "Anton|Berta|Dora|");
    EXPECT_TRUE(messages_.service.shown.empty());
}

// After "&Neu" the keyboard is in the first field, not on the button.
TEST_F(AddressForms, NewPutsTheKeyboardIntoTheFirstField) {
    CDlgAdrV2 form(frame_);
    RunModal(form, [&] {
        Press(&form, 1052);
        EXPECT_FALSE(form.FindWindow(1052)->IsEnabled());
        ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == form.FindWindow(1042); }));
        Type(keys_, "schmidt");
        Press(&form, 1057);
        EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 1);
        EXPECT_EQ(Col(Tab().name1), "schmidt");
    });
    EXPECT_TRUE(messages_.service.shown.empty());
}

TEST_F(AddressForms, ATableThatFailedToOpenIsReportedOnceAndNeverTouched) {
    TheDatenbank().Schliessen();
    const std::string error = QuorvelString(3);
    ASSERT_FALSE(error.empty());
    {
        CDlgAdrV2 form(frame_);
        RunModal(form, [&] {
            EXPECT_FALSE(form.Usable());
            EXPECT_FALSE(form.FindWindow(1052)->IsEnabled());
            EXPECT_TRUE(form.FindWindow(wxID_CANCEL)->IsEnabled());
            form.OnNeu();
            form.OnNext();
            form.OnPrev();
            form.OnSave();
            form.OnDelete();
            form.OnPostcodeChanged();
            form.OnAddressList();
        });
        EXPECT_EQ(Said(3), 1u);
    }
    CDlgAdrSuche search(frame_);
    search.Search();
    search.Take();
    EXPECT_EQ(search.chosen, -1);
    CDlgAdrSucheV2 list(frame_);
    list.DeleteChosen();
    EXPECT_EQ(Said(3), 3u);
    EXPECT_EQ(messages_.service.shown.size(), 3u);
}

// Every field of the second form stops typing where its column ends, so what
// is stored is what the field shows; a longer text that reaches a field some
// other way is named at "S&peich" and "&Empfänger", and nothing is stored.
TEST_F(AddressForms, EveryFieldTakesNoMoreThanItsColumnHolds) {
    using Column = CCharCol CAdressTab::*;
    const std::pair<int, Column> fields[] = {
        {1061, &CAdressTab::match},   {1042, &CAdressTab::name1},   {1043, &CAdressTab::name2},
        {1044, &CAdressTab::strasse}, {1045, &CAdressTab::plz},     {1543, &CAdressTab::ort},
        {1047, &CAdressTab::land},    {1048, &CAdressTab::telefon}, {1049, &CAdressTab::telefax},
        {1063, &CAdressTab::handy},   {1050, &CAdressTab::ansprech}, {1059, &CAdressTab::email},
        {1060, &CAdressTab::url}};
    const std::string mail60(60, 'm');
    CDlgAdrV2 form(frame_);
    RunModal(form, [&] {
        auto entry = [&](int id) {
            wxWindow* w = form.FindWindow(id);
            return std::pair{w, dynamic_cast<wxTextEntry*>(w)};
        };
        Press(&form, 1052);
        for (const auto& [id, column] : fields) {
            // One character short of the column, then two typed at the end.
            const auto [w, text] = entry(id);
            ASSERT_NE(text, nullptr) << id;
            text->ChangeValue(wxString('a', (Tab().*column).len() - 1));
            FocusOn(w);
            text->SetInsertionPointEnd();
            Type(keys_, "bc");
        }
        Press(&form, 1057);
        ASSERT_EQ(vx::tableRecCount(Tab().Handle()), 1);
        for (const auto& [id, column] : fields) {
            const std::string shown = Text(&form, id);
            EXPECT_LE(shown.size(), (Tab().*column).len()) << id;
            EXPECT_EQ(Col(Tab().*column), shown) << id;
        }
        EXPECT_TRUE(messages_.service.shown.empty());

        const std::string mail = Col(Tab().email);
        entry(1059).second->ChangeValue(vx::ToWx(mail60));
        Press(&form, 1057);
        ASSERT_EQ(messages_.service.shown.size(), 1u);
        const std::string tooLong = QuorvelString(IDS_QV_ADDRESS_TOO_LONG);
        EXPECT_EQ(messages_.service.shown[0].text,
                  vx::Format(tooLong, "eMail", 50, std::string(10, 'm')));
        EXPECT_EQ(Col(Tab().email), mail);
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == form.FindWindow(1059); }));
        // A new entry taken as recipient is refused the same way.
        Press(&form, 1052);
        TypeInto(form.FindWindow(1042), "Zeller");
        entry(1060).second->ChangeValue(vx::ToWx(mail60));
        Press(&form, 1058);
        EXPECT_TRUE(form.IsModal());
        EXPECT_EQ(messages_.service.shown.size(), 2u);
        EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 1);
    });
    vx::tableGo(Tab().Handle(), 1);
    EXPECT_EQ(Col(Tab().email), std::string(50, 'a').replace(49, 1, "b"));
}

// An address table that is there but damaged: the form says so, refuses to
// edit, Escape closes it, and the file is left as it was.
TEST_F(AddressForms, EscapeClosesTheFormOverADamagedTable) {
    TheDatenbank().Schliessen();
    const std::string damaged(600, '\x7F');
    vx::WriteFileAtomic(dir + "/db/ADRESSE.DBF", damaged);
    TheDatenbank().Oeffnen(dir + "/db", dir + "/plz");
    ASSERT_TRUE(TheDatenbank().Fehler());
    CDlgAdrV2 form(frame_);
    bool closed = false;
    const int rc = RunModal(form, [&] {
        EXPECT_FALSE(form.FindWindow(1052)->IsEnabled());
        wxUIActionSimulator().Char(WXK_ESCAPE);
        closed = PumpUntil([&] { return !form.IsModal(); });
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(rc, wxID_CANCEL);
    EXPECT_EQ(Said(3), 1u);
    std::string now;
    ASSERT_TRUE(vx::ReadWholeFile(dir + "/db/ADRESSE.DBF", now));
    EXPECT_EQ(now, damaged);
}

TEST_F(AddressForms, PlaceAndAddressLookUpsFillTheSecondForm) {
    CDlgAdrV2 form(frame_);
    int placeSearches = 0, editors = 0, lists = 0;
    RunModal(form, [&] {
        Press(&form, 1052);
        TypeInto(form.FindWindow(1042), "Schmidt");
        // F4 on the postcode: the place search, in town order at first.
        WhenShown<CDlgOrteSearch> search([&](CDlgOrteSearch& s) {
            ++placeSearches;
            EXPECT_FALSE(s.byPostcode);
            TypeInto(s.FindWindow(CDlgOrteSearch::IDC_SEARCH), "Berl");
            EXPECT_GT(s.recNo, 0);
            if (s.IsModal()) s.EndModal(wxID_OK);
        });
        FocusOn(form.FindWindow(1045));
        Key(keys_, WXK_F4);
        EXPECT_TRUE(PumpUntil([&] { return placeSearches == 1 && !search.IsRunning(); }));
        Settle();
        EXPECT_EQ(vx::FromWx(form.TownCombo()->GetValue()), "Berlin");
        const std::string berlinPlz = Text(&form, 1045);
        std::string land;
        EXPECT_NE(TheDatenbank().Orte()->GeoHoehe(berlinPlz, "Berlin", &land), -99) << berlinPlz;
        EXPECT_EQ(Text(&form, 1047), land);
        EXPECT_EQ(Text(&form, 1042), "Schmidt");

        // "..." beside the town: the places editor, whose shown place comes back.
        WhenShown<CDlgOrte> editor([&](CDlgOrte& e) {
            ++editors;
            e.EndModal(wxID_OK);
        });
        Press(&form, 1538);
        EXPECT_EQ(editors, 1);
        CPlzOrtTab& places = *TheDatenbank().Orte();
        vx::tableTagSelect(places.Handle(), places.plzTag.tag());
        vx::tableTop(places.Handle());
        EXPECT_EQ(Text(&form, 1045), places.FeldText(places.plz));
        EXPECT_EQ(Text(&form, 1047), places.FeldText(places.land));
        Press(&form, 1057);

        // F4 on the match code: the address list; the chosen record is shown.
        Press(&form, 1052);
        TypeInto(form.FindWindow(1042), "Anton");
        Press(&form, 1057);
        WhenShown<CDlgAdrSucheV2> list([&](CDlgAdrSucheV2& l) {
            ++lists;
            EXPECT_EQ(l.Combo()->GetCount(), 2u);
            l.chosen = 0;
            for (unsigned i = 0; i < l.Combo()->GetCount(); ++i)
                if (vx::FromWx(l.Combo()->GetString(i)).find("Schmidt") != std::string::npos) l.Combo()->SetSelection(int(i));
            Press(&l, wxID_OK);
        });
        FocusOn(form.FindWindow(1061));
        Key(keys_, WXK_F4);
        EXPECT_TRUE(PumpUntil([&] { return lists == 1 && !list.IsRunning(); }));
        Settle();
        EXPECT_EQ(Text(&form, 1042), "Schmidt");
    });
    EXPECT_EQ(placeSearches, 1);
    EXPECT_EQ(editors, 1);
    EXPECT_EQ(lists, 1);
}

TEST_F(AddressForms, ChoosingATownTakesItsCountryAndEveryButtonHasItsTip) {
    CPlzOrtTab& places = *TheDatenbank().Orte();
    for (const char* town : {"Zweidorf", "Anderdorf"}) {
        ASSERT_EQ(vx::tableAppendBlank(places.Handle()), 0);
        places.SetText(places.plz, "99999");
        places.SetText(places.ort, town);
        places.SetText(places.land, std::string("Land ") + town);
        places.SetGeoHoehe(town[0] == 'Z' ? 120 : 240);
    }
    vx::tableFlush(places.Handle());
    CDlgAdrV2 form(frame_);
    const int result = RunModal(form, [&] {
        EXPECT_EQ(vx::FromWx(form.FindWindow(1539)->GetToolTipText()), "Liste aller erfassten Adressen.");
        EXPECT_EQ(vx::FromWx(form.FindWindow(4)->GetToolTipText()), "Adresse nach Standort \xFC" "bernehmen.");
        EXPECT_EQ(vx::FromWx(form.FindWindow(wxID_CANCEL)->GetToolTipText()),
                  "Eingabemaske verlassen, \xC4nderungen werden nicht \xFC" "bernommen.");
        // The help button is there, greyed.
        EXPECT_FALSE(form.FindWindow(wxID_HELP)->IsEnabled());
        Press(&form, 1052);
        TypeInto(form.FindWindow(1045), "99999");
        CMyComboBox* combo = form.TownCombo();
        ASSERT_EQ(combo->GetCount(), 2u);
        // The first place of the postcode, with its country.
        const std::string first = vx::FromWx(combo->GetString(0)), second = vx::FromWx(combo->GetString(1));
        EXPECT_EQ(vx::FromWx(combo->GetValue()), first);
        EXPECT_EQ(Text(&form, 1047), "Land " + first);
        combo->SetSelection(1);
        wxCommandEvent pick(wxEVT_COMBOBOX, combo->GetId());
        pick.SetEventObject(combo);
        pick.SetInt(1);
        combo->GetEventHandler()->ProcessEvent(pick);
        EXPECT_EQ(Text(&form, 1047), "Land " + second);
        Press(&form, 1057);
        EXPECT_EQ(Col(Tab().ort), second);
        EXPECT_EQ(Col(Tab().land), "Land " + second);
        Press(&form, 4);
    });
    EXPECT_EQ(CDlgAdr::ResultCode(result), 4);
}

// Another program holds ADRESSE and edits in it while the form deletes: the
// record stays marked and out of sight, nothing is shown, and the pack runs
// at the next opportunity once the other program is gone. Each step waits
// for the other process's word through a pipe.
TEST_F(AddressForms, ADeleteWhileAnotherProgramEditsPacksLater) {
    for (const char* name : {"Anton", "Berta", "Cäsar"}) {
        ASSERT_EQ(vx::tableAppendBlank(Tab().Handle()), 0);
        Tab().SetText(Tab().name1, name);
        Tab().SetText(Tab().match, std::string(name, 1));
    }
    vx::tableFlush(Tab().Handle());
    TwoProcesses talk;
    ASSERT_TRUE(talk.Open());
    const std::string dbDir = dir + "/db", plzDir = dir + "/plz";
    const pid_t pid = talk.Fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        auto say = [&](char c) { return talk.ChildSays(c); };
        auto wait = [&](char want) { return talk.ChildAwaits(want); };
        CDatenbank other;
        bool ok = other.Oeffnen(dbDir, plzDir) == 0;
        if (!say(ok ? 'R' : 'F') || !wait('G')) ::_exit(2);
        CAdressTab& a = *other.Adressen();
        ok = ok && vx::tableGo(a.Handle(), 3) == 0 && a.SetText(a.name2, "vom Nachbarn") == 0;
        ok = ok && vx::tableFlush(a.Handle()) == 0;
        if (!say(ok ? 'E' : 'F') || !wait('Q')) ::_exit(3);
        other.Schliessen();
        ::_exit(ok ? 0 : 1);
    }
    auto say = [&](char c) { talk.Say(c); };
    auto expect = [&](char want) { talk.Expect(want); };
    expect('R');
    {
        CDlgAdr form(frame_);
        RunModal(form, [&] {
            Press(&form, 1055);
            EXPECT_EQ(Text(&form, 1042), "Berta");
            Press(&form, 1053);
            EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 3);
            EXPECT_EQ(Text(&form, 1042), "Anton");
            say('G');
            expect('E');
            // The marked record is passed over both ways.
            Press(&form, 1055);
            EXPECT_EQ(Text(&form, 1042), "C\xE4sar");
            Press(&form, 1054);
            EXPECT_EQ(Text(&form, 1042), "Anton");
        });
    }
    say('Q');
    ASSERT_NO_FATAL_FAILURE(talk.ExpectChildSucceeded());
    EXPECT_TRUE(Tab().PackPending());
    {
        // The next form packs on opening.
        CDlgAdr form(frame_);
        RunModal(form, [&] {
            EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 2);
            Press(&form, 1055);
            EXPECT_EQ(Text(&form, 1042), "C\xE4sar");
            EXPECT_EQ(Text(&form, 1043), "vom Nachbarn");
        });
    }
    EXPECT_FALSE(Tab().PackPending());
    EXPECT_EQ(Said(7), 0u);
    EXPECT_TRUE(messages_.service.shown.empty());
}

} // namespace
