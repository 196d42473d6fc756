// The address forms and their searches on the display, keys typed through
// the X server, on a database with the sample places.
#include "quorvel/CDlgAdr.h"
#include "quorvel/CDlgAdrSuche.h"
#include "quorvel/CDlgAdrSucheV2.h"
#include "quorvel/CDlgAdrV2.h"

#include "dbase/Field.h"
#include "dbase/Table.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/System.h"
#include "platform/wx/WxText.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/QuorvelTables.h"
#include "quorvel/fields/CMyComboBox.h"
#include "quorvel/fields/FieldsTestDialog.h"

#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/listbox.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace {

const char* const kPython = "/usr/bin/python3";

class AddressForms : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxadrformsXXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir = tmpl;
        for (const char* sub : {"/db", "/plz", "/tmp"}) std::filesystem::create_directories(dir + sub);
        ::setenv("TMPDIR", (dir + "/tmp").c_str(), 1);
        const char* src = std::getenv("VX_SOURCE_DIR");
        ASSERT_NE(src, nullptr);
        for (const char* ext : {".DBF", ".MDX"})
            std::filesystem::copy_file(std::string(src) + "/data/PLZORT" + ext, dir + "/plz/PLZORT" + ext);
        QuorvelStrings().Clear();
        ASSERT_TRUE(QuorvelStrings().LoadFile(std::string(src) + "/resources/quorvel/strings.txt"));
        ASSERT_TRUE(LoadFieldStrings(QuorvelFields()));
        ASSERT_EQ(TheDatenbank().Oeffnen(dir + "/db", dir + "/plz"), 0);
        frame_ = new wxFrame(nullptr, wxID_ANY, "Velmora");
        frame_->Show();
        wxTheApp->SetTopWindow(frame_);
    }
    void TearDown() override {
        TheDatenbank().Schliessen();
        frame_->Destroy();
        Settle();
        std::filesystem::remove_all(dir);
    }

    static int RunModal(wxDialog& dialog, std::function<void()> steps) {
        dialog.CallAfter([&dialog, steps] {
            EXPECT_TRUE(PumpUntil([&] { return dialog.IsShown(); }));
            steps();
            if (dialog.IsModal()) dialog.EndModal(wxID_CANCEL);
        });
        return dialog.ShowModal();
    }
    static void Click(wxWindow* dialog, int id) {
        wxWindow* button = dialog->FindWindow(id);
        ASSERT_NE(button, nullptr) << id;
        ASSERT_TRUE(button->IsEnabled()) << id;
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
        Settle();
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
        Click(&form, 1052);
        EXPECT_FALSE(form.FindWindow(1052)->IsEnabled());
        TypeInto(form.FindWindow(1042), "Schmidt");
        // A postcode of the sample places fills town and country.
        TypeInto(form.FindWindow(1045), "80331");
        EXPECT_EQ(vx::FromWx(form.TownCombo()->GetValue()), "M\xFCnchen");
        EXPECT_EQ(Text(&form, 1047), "Bayern");
        Click(&form, 1057);
        EXPECT_TRUE(form.FindWindow(1052)->IsEnabled());
        EXPECT_EQ(Col(Tab().name1), "Schmidt");
        EXPECT_EQ(Col(Tab().name1Soun), "S753");
        EXPECT_EQ(Col(Tab().plz), "80331");
        EXPECT_EQ(Col(Tab().ort), "M\xFCnchen");
        EXPECT_EQ(Col(Tab().land), "Bayern");

        // A second address to walk past; the search goes back to Schmidt.
        Click(&form, 1052);
        TypeInto(form.FindWindow(1042), "Anton");
        Click(&form, 1057);
        WhenShown<CDlgAdrSuche> search([&](CDlgAdrSuche& s) {
            ++searches;
            TypeInto(s.FindWindow(1054), "Schmitt");
            Click(&s, 4);
            ASSERT_EQ(s.List()->GetCount(), 1u);
            EXPECT_EQ(vx::FromWx(s.List()->GetString(0)), "Schmidt");
            // Through the town, in other letter case: the substring pass.
            TypeInto(s.FindWindow(1054), "nchen");
            Click(&s, 4);
            ASSERT_EQ(s.List()->GetCount(), 1u);
            EXPECT_EQ(s.List()->GetSelection(), 0);
            Click(&s, wxID_OK);
        });
        Click(&form, 1056);
        EXPECT_EQ(searches, 1);
        EXPECT_EQ(Text(&form, 1042), "Schmidt");

        TypeInto(form.FindWindow(1043), "Ofenbau");
        Click(&form, 1057);
        EXPECT_EQ(Col(Tab().name2), "Ofenbau");
        EXPECT_EQ(Col(Tab().name1Soun), "S753");

        // Schmidt is the last of the two in record order.
        Click(&form, 1055);
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

        Click(&form, 1053);
        EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 1);
        EXPECT_EQ(Text(&form, 1042), "Anton");
    });
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(messages_.service.shown.size(), 2u);
}

TEST_F(AddressForms, TheFirstFormKeepsWhatItDoesNotShowAndLongStoredValues) {
    const std::string phone30 = "+49 (0) 89 / 123 456 789 - 012";
    ASSERT_EQ(phone30.size(), 30u);
    {
        CDlgAdrV2 form(frame_);
        RunModal(form, [&] {
            Click(&form, 1052);
            TypeInto(form.FindWindow(1061), "SCHMI");
            TypeInto(form.FindWindow(1042), "Schmidt");
            Click(&form, 1057);
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
        Click(&form, 1057);
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
        Click(&again, 1053);
        EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 0);
        for (int id = 1042; id <= 1051; ++id) EXPECT_EQ(Text(&again, id), "") << id;
        // Nothing to delete now: nothing happens.
        Click(&again, 1053);
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
        Click(&list, 3);
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
        Click(&list, 3);
        EXPECT_TRUE(list.IsModal());
        EXPECT_EQ(vx::tableRecCount(Tab().Handle()), 2);
        ASSERT_EQ(combo->GetCount(), 2u);
        EXPECT_EQ(combo->GetSelection(), wxNOT_FOUND);
        Click(&list, wxID_OK);
    });
    // No choice: the first record of the list.
    ASSERT_GT(list.chosen, 0);
    vx::tableGo(Tab().Handle(), list.chosen);
    EXPECT_EQ(Col(Tab().name1), "Firma  Bauer");
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

} // namespace
