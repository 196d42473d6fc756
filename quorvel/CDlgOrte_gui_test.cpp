// The places and remark dialogs on the display, on tables in a scratch
// folder, driven through their controls and real keys.
#include "quorvel/CDlgBemDBV2.h"
#include "quorvel/CDlgBemerk.h"
#include "quorvel/CDlgMatchCode.h"
#include "quorvel/CDlgOrte.h"
#include "quorvel/CDlgOrteSearch.h"

#include "dbase/data/Table.h"
#include "platform/Files.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/CQuorvelApp.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"
#include "quorvel/RemarkRecords.h"
#include "testsupport/quorvel/DialogDrive.h"
#include "quorvel/fields/CPromptMessage.h"

#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>

namespace {

class PlacesRemarksGui : public QuorvelTest {
protected:
    void SetUp() override {
        QuorvelTest::SetUp();
        ASSERT_TRUE(LoadLibraryTexts());
        MakeTable(Path("plz/PLZORT"), kPlzOrtFields, kPlzOrtTags,
                  {{{"PLZ", "66606"}, {"ORT", "St. Wendel"}, {"LAND", "Saarland"}, {"GEOH", "286"}},
                   {{"PLZ", "66111"}, {"ORT", "Saarbr\xFC" "cken"}, {"LAND", "Saarland"}, {"GEOH", "-99"}},
                   {{"PLZ", "01067"}, {"ORT", "Dresden"}, {"LAND", "Sachsen"}, {"GEOH", "113"}}});
        frame_ = ShowHostFrame();
    }
    void TearDown() override {
        TheDatenbank().Schliessen();
        CloseHostFrame(frame_);
        QuorvelStrings().Clear();
        vx::Strings().Clear();
        QuorvelTest::TearDown();
    }
    void OpenDatabase() { ASSERT_EQ(TheDatenbank().Oeffnen(Path("db"), Path("plz")), 0); }

    size_t Count(unsigned stringId) const {
        size_t n = 0;
        for (const auto& m : Shown()) n += m.text == QuorvelString(stringId);
        return n;
    }
    // The place of a record number, read from the table directly.
    std::string PlaceAt(long rec) {
        CPlzOrtTab& t = *TheDatenbank().Orte();
        vx::tableGo(t.Handle(), rec);
        const std::string plz = t.FeldText(t.plz);
        const std::string ort = t.FeldText(t.ort);
        return plz + " " + ort + " " + std::to_string(long(t.geoh)) + " " + t.FeldText(t.hand);
    }

    std::string RemarkAt(long rec) {
        CBemerkTab& b = *TheDatenbank().Bemerkungen();
        vx::tableGo(b.Handle(), rec);
        const std::string match = b.FeldText(b.match);
        return match + "|" + b.FeldText(b.bemerkung);
    }

    KeyUpCounter keys_;
    wxFrame* frame_ = nullptr;
};

TEST_F(PlacesRemarksGui, PlacesEditorAddsBrowsesAndDeletesAPlace) {
    OpenDatabase();
    CDlgOrte dialog(frame_);
    long added = 0;
    const int rc = RunModal(dialog, [&] {
        // Postcode order: Dresden first; no hint for a known height.
        EXPECT_EQ(Text(&dialog, CDlgOrte::IDC_PLZ) + " " + Text(&dialog, CDlgOrte::IDC_ORT), "01067 Dresden");
        EXPECT_FALSE(dialog.FindWindow(CDlgOrte::IDC_NO_HEIGHT_HINT)->IsShown());
        EXPECT_FALSE(dialog.FindWindow(wxID_HELP)->IsEnabled());
        Press(&dialog, CDlgOrte::IDC_PREVIOUS);
        EXPECT_EQ(Count(IDS_QV_FIRST_RECORD), 1u);

        Press(&dialog, CDlgOrte::IDC_NEW);
        EXPECT_FALSE(dialog.FindWindow(CDlgOrte::IDC_NEW)->IsEnabled());
        SetText(&dialog, CDlgOrte::IDC_PLZ, "66802");
        SetText(&dialog, CDlgOrte::IDC_ORT, "\xDC" "berherrn");
        SetText(&dialog, CDlgOrte::IDC_LAND, "Saarland");
        SetText(&dialog, CDlgOrte::IDC_HEIGHT, "-99");
        Press(&dialog, CDlgOrte::IDC_SAVE);
        added = vx::tableRecNo(TheDatenbank().Orte()->Handle());
        EXPECT_EQ(added, 4);
        EXPECT_TRUE(dialog.FindWindow(CDlgOrte::IDC_NEW)->IsEnabled());
        EXPECT_TRUE(dialog.FindWindow(CDlgOrte::IDC_NO_HEIGHT_HINT)->IsShown());
        EXPECT_EQ(PlaceAt(added), "66802 \xDC" "berherrn -99 T");

        Press(&dialog, CDlgOrte::IDC_NEXT);
        EXPECT_EQ(Count(IDS_QV_LAST_RECORD), 1u);
        EXPECT_EQ(Text(&dialog, CDlgOrte::IDC_ORT), "\xDC" "berherrn");

        // Delete packs at once and shows the first place.
        vx::tableGo(TheDatenbank().Orte()->Handle(), 3);
        Press(&dialog, CDlgOrte::IDC_PREVIOUS);
        EXPECT_EQ(Count(IDS_QV_FIRST_RECORD), 2u);
        ASSERT_EQ(Text(&dialog, CDlgOrte::IDC_ORT), "Dresden");
        Press(&dialog, CDlgOrte::IDC_DELETE);
        EXPECT_EQ(vx::tableRecCount(TheDatenbank().Orte()->Handle()), 3);
        EXPECT_EQ(Text(&dialog, CDlgOrte::IDC_PLZ), "66111");
        Press(&dialog, wxID_OK);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(dialog.Postcode() + "|" + dialog.Town() + "|" + dialog.Country(), "66111|Saarbr\xFC" "cken|Saarland");
}

TEST_F(PlacesRemarksGui, SearchBuildsItsListOncePerFirstCharacterAndWarnsOfAMissingHeight) {
    OpenDatabase();
    CDlgOrteSearch dialog(frame_, true);
    RunModal(dialog, [&] {
        auto* list = dynamic_cast<wxListBox*>(dialog.FindWindow(CDlgOrteSearch::IDC_LIST));
        wxWindow* warning = dialog.FindWindow(CDlgOrteSearch::IDC_NO_HEIGHT);
        FocusOn(dialog.FindWindow(CDlgOrteSearch::IDC_SEARCH));
        Type(keys_, "s");
        ASSERT_EQ(list->GetCount(), 2u);
        // A place added now is not listed until the first character changes.
        CPlzOrtTab& t = *TheDatenbank().Orte();
        ASSERT_EQ(vx::tableAppendBlank(t.Handle()), 0);
        t.SetText(t.plz, "66333");
        t.SetText(t.ort, "Sa V\xF6lklingen");
        ASSERT_EQ(vx::tableFlush(t.Handle()), 0);
        Type(keys_, "a");
        EXPECT_EQ(list->GetCount(), 2u);
        EXPECT_EQ(vx::FromWx(list->GetStringSelection()).substr(0, 11), "Saarbr\xFC" "cken");
        EXPECT_EQ(dialog.recNo, 2);
        EXPECT_TRUE(warning->IsShown());
        int wendel = 0;
        while (wendel < int(list->GetCount()) && !list->GetString(unsigned(wendel)).StartsWith("St. Wendel")) ++wendel;
        ASSERT_LT(wendel, int(list->GetCount()));
        list->SetSelection(wendel);
        wxCommandEvent select(wxEVT_LISTBOX, CDlgOrteSearch::IDC_LIST);
        select.SetInt(wendel);
        list->GetEventHandler()->ProcessEvent(select);
        EXPECT_FALSE(warning->IsShown());

        // Postcode order: the list empties; "66" lists by postcode.
        auto* byPostcode = dynamic_cast<wxRadioButton*>(dialog.FindWindow(CDlgOrteSearch::IDC_BY_POSTCODE));
        byPostcode->SetValue(true);
        wxCommandEvent radio(wxEVT_RADIOBUTTON, CDlgOrteSearch::IDC_BY_POSTCODE);
        byPostcode->GetEventHandler()->ProcessEvent(radio);
        EXPECT_EQ(list->GetCount(), 0u);
        FocusOn(dialog.FindWindow(CDlgOrteSearch::IDC_SEARCH));
        Type(keys_, "\b\b66");
        ASSERT_EQ(list->GetCount(), 3u);
        EXPECT_EQ(vx::FromWx(list->GetString(0)).substr(0, 16), "66111      Saarb");
        EXPECT_EQ(vx::FromWx(list->GetString(2)).substr(0, 11), "66606      ");
        Type(keys_, "3");
        EXPECT_EQ(dialog.recNo, 4);
        EXPECT_FALSE(warning->IsShown());
    });
    EXPECT_EQ(vx::tableTagSelected(TheDatenbank().Orte()->Handle()), TheDatenbank().Orte()->plzTag.tag());
}

TEST_F(PlacesRemarksGui, RemarksAreStoredWithOrWithoutMatchCodeAndPackedOnceAfterDeleting) {
    OpenDatabase();
    CBemerkTab& b = *TheDatenbank().Bemerkungen();
    CDlgBemerk dialog(frame_, "Anfang\r\nEnde");
    const int rc = RunModal(dialog, [&] {
        auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(CDlgBemerk::IDC_TEXT));
        FocusOn(edit);
        Settle();
        EXPECT_EQ(edit->GetInsertionPoint(), edit->GetLastPosition());
        SetText(&dialog, CDlgBemerk::IDC_TEXT, "Gr\xFC\xDF" "e aus K\xF6ln");
        WhenShown<CDlgMatchCode> name([&](CDlgMatchCode& m) {
            SetText(&m, CDlgMatchCode::IDC_MATCH, "GR\xDC\xDF");
            Press(&m, wxID_OK);
        });
        Press(&dialog, CDlgBemerk::IDC_TO_DB);
        ASSERT_TRUE(name.done);
        // Cancelling the match code still stores the text.
        SetText(&dialog, CDlgBemerk::IDC_TEXT, "zweiter");
        WhenShown<CDlgMatchCode> cancel([&](CDlgMatchCode& m) { Press(&m, wxID_CANCEL); });
        Press(&dialog, CDlgBemerk::IDC_TO_DB);
        ASSERT_EQ(vx::tableRecCount(b.Handle()), 2);
        EXPECT_EQ(RemarkAt(1), "GR\xDC\xDF|Gr\xFC\xDF" "e aus K\xF6ln");
        EXPECT_EQ(RemarkAt(2), "|zweiter");

        Press(&dialog, wxID_OK);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(dialog.text, "zweiter");

    // "&Weiter" without a chosen line takes the first text.
    {
        CDlgBemDBV2 store(frame_);
        EXPECT_EQ(RunModal(store, [&] { Press(&store, wxID_OK); }), wxID_OK);
        EXPECT_EQ(store.chosen, "Gr\xFC\xDF" "e aus K\xF6ln");
    }
    // "&Löschen" without a chosen line does nothing; two deletions pack once at the close.
    {
        CDlgBemDBV2 store(frame_);
        RunModal(store, [&] {
            auto* list = dynamic_cast<wxComboBox*>(store.FindWindow(CDlgBemDBV2::IDC_LIST));
            Press(&store, CDlgBemDBV2::IDC_DELETE);
            EXPECT_EQ(list->GetCount(), 2u);
            EXPECT_FALSE(store.deleted);
            for (int i = 0; i < 2; ++i) {
                list->SetSelection(0);
                Press(&store, CDlgBemDBV2::IDC_DELETE);
            }
            EXPECT_EQ(list->GetCount(), 0u);
            EXPECT_TRUE(store.deleted);
            EXPECT_EQ(vx::tableRecCount(TheDatenbank().Bemerkungen()->Handle()), 2);
        });
    }
    EXPECT_EQ(vx::tableRecCount(TheDatenbank().Bemerkungen()->Handle()), 0);
    EXPECT_FALSE(TheDatenbank().Bemerkungen()->PackPending());
}

// After "&Löschen" the store's field is empty and "&Weiter" inserts nothing;
// a chosen line is what "&Weiter" inserts.
TEST_F(PlacesRemarksGui, TheRemarkStoreInsertsWhatItsFieldShows) {
    OpenDatabase();
    CBemerkTab& b = *TheDatenbank().Bemerkungen();
    for (const char* text : {"erster Text", "zweiter Text"}) {
        ASSERT_EQ(vx::tableAppendBlank(b.Handle()), 0);
        const std::string match = std::string(text, 5);
        ASSERT_EQ(WriteRemark(b, &match, text), 0);
    }
    CDlgBemerk dialog(frame_, "Anfang ");
    int stores = 0;
    const int rc = RunModal(dialog, [&] {
        auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(CDlgBemerk::IDC_TEXT));
        auto choose = [](CDlgBemDBV2& store, const std::string& begin) {
            auto* list = dynamic_cast<wxComboBox*>(store.FindWindow(CDlgBemDBV2::IDC_LIST));
            for (unsigned i = 0; i < list->GetCount(); ++i)
                if (vx::FromWx(list->GetString(i)).rfind(begin, 0) == 0) {
                    list->SetSelection(int(i));
                    wxCommandEvent pick(wxEVT_COMBOBOX, CDlgBemDBV2::IDC_LIST);
                    pick.SetEventObject(list);
                    pick.SetInt(int(i));
                    list->GetEventHandler()->ProcessEvent(pick);
                    return;
                }
            ADD_FAILURE() << begin;
        };
        WhenShown<CDlgBemDBV2> deleting([&](CDlgBemDBV2& store) {
            ++stores;
            auto* list = dynamic_cast<wxComboBox*>(store.FindWindow(CDlgBemDBV2::IDC_LIST));
            choose(store, "zweit");
            EXPECT_EQ(vx::FromWx(list->GetValue()).substr(0, 22), "zweit      zweiter Tex");
            Press(&store, CDlgBemDBV2::IDC_DELETE);
            EXPECT_EQ(list->GetCount(), 1u);
            EXPECT_EQ(vx::FromWx(list->GetValue()), "");
            Press(&store, wxID_OK);
        });
        Press(&dialog, CDlgBemerk::IDC_FROM_DB);
        ASSERT_TRUE(deleting.done);
        EXPECT_EQ(vx::FromWx(edit->GetValue()), "Anfang ");

        WhenShown<CDlgBemDBV2> taking([&](CDlgBemDBV2& store) {
            ++stores;
            choose(store, "erste");
            Press(&store, wxID_OK);
        });
        Press(&dialog, CDlgBemerk::IDC_FROM_DB);
        ASSERT_TRUE(taking.done);
        EXPECT_EQ(vx::FromWx(edit->GetValue()), "Anfang erster Text");
        Press(&dialog, wxID_OK);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(stores, 2);
    EXPECT_EQ(dialog.text, "Anfang erster Text");
    // The deleted text was packed away when its store closed.
    ASSERT_EQ(vx::tableRecCount(b.Handle()), 1);
    EXPECT_EQ(RemarkAt(1), "erste|erster Text");
}

// "&Neu" appends nothing until "&Speich": Escape, "Abbrechen", "&Weiter",
// "&Lösch" and browsing on leave the table as it was.
TEST_F(PlacesRemarksGui, AnAbortedNewInThePlacesEditorStoresNothing) {
    OpenDatabase();
    vx::TableHandle* t = TheDatenbank().Orte()->Handle();
    auto places = [&] {
        std::string out;
        for (long n = 1; n <= vx::tableRecCount(t); ++n) out += PlaceAt(n) + "|";
        return out;
    };
    const std::string before = places();
    ASSERT_EQ(before, "66606 St. Wendel 286 |66111 Saarbr\xFC" "cken -99 |01067 Dresden 113 |");
    auto startNew = [&](CDlgOrte& dialog) {
        Press(&dialog, CDlgOrte::IDC_NEW);
        wxWindow* plz = dialog.FindWindow(CDlgOrte::IDC_PLZ);
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == plz; }));
        Type(keys_, "66802");
        SetText(&dialog, CDlgOrte::IDC_ORT, "Bous");
    };
    {
        CDlgOrte dialog(frame_);
        const int rc = RunModal(dialog, [&] {
            startNew(dialog);
            wxUIActionSimulator().Char(WXK_ESCAPE);
            EXPECT_TRUE(PumpUntil([&] { return !dialog.IsModal(); }));
        });
        EXPECT_EQ(rc, wxID_CANCEL);
    }
    EXPECT_EQ(places(), before);
    {
        CDlgOrte dialog(frame_);
        RunModal(dialog, [&] {
            startNew(dialog);
            Press(&dialog, CDlgOrte::IDC_DELETE);
            EXPECT_EQ(Text(&dialog, CDlgOrte::IDC_ORT), "Dresden");
            EXPECT_TRUE(dialog.FindWindow(CDlgOrte::IDC_NEW)->IsEnabled());
            startNew(dialog);
            Press(&dialog, CDlgOrte::IDC_NEXT);
            EXPECT_EQ(Text(&dialog, CDlgOrte::IDC_ORT), "Saarbr\xFC" "cken");
            startNew(dialog);
            Press(&dialog, wxID_CANCEL);
        });
    }
    EXPECT_EQ(places(), before);
    {
        // "&Weiter" hands the typed place to the caller without storing it.
        CDlgOrte dialog(frame_);
        const int rc = RunModal(dialog, [&] {
            startNew(dialog);
            Press(&dialog, wxID_OK);
        });
        EXPECT_EQ(rc, wxID_OK);
        EXPECT_EQ(dialog.Postcode() + " " + dialog.Town(), "66802 Bous");
    }
    EXPECT_EQ(places(), before);
    {
        CDlgOrte dialog(frame_);
        RunModal(dialog, [&] {
            startNew(dialog);
            Press(&dialog, CDlgOrte::IDC_SAVE);
            Press(&dialog, wxID_CANCEL);
        });
    }
    EXPECT_EQ(places(), before + "66802 Bous 0 T|");
}

// A places table that is there but damaged: the dialog says so, refuses to
// edit, and Escape closes it.
TEST_F(PlacesRemarksGui, EscapeClosesThePlacesEditorOverADamagedTable) {
    vx::WriteFileAtomic(Path("plz/PLZORT.DBF"), std::string(600, '\x7F'));
    TheDatenbank().Oeffnen(Path("db"), Path("plz"));
    ASSERT_TRUE(TheDatenbank().Fehler());
    CDlgOrte places(frame_);
    bool closed = false;
    const int rc = RunModal(places, [&] {
        EXPECT_FALSE(places.FindWindow(CDlgOrte::IDC_NEW)->IsEnabled());
        EXPECT_FALSE(places.FindWindow(wxID_OK)->IsEnabled());
        wxUIActionSimulator().Char(WXK_ESCAPE);
        closed = PumpUntil([&] { return !places.IsModal(); });
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(rc, wxID_CANCEL);
    EXPECT_EQ(Count(IDS_QV_DB_OPEN_ERROR), 1u);
}

TEST_F(PlacesRemarksGui, WithoutItsTableEveryDialogSaysSoOnceAndRefusesToEdit) {
    // A places folder that is a file: nothing opens.
    vx::WriteFileAtomic(Path("noplz"), "x");
    TheDatenbank().Oeffnen(Path("db"), Path("noplz"));
    ASSERT_TRUE(TheDatenbank().Fehler());
    {
        CDlgOrte places(frame_);
        RunModal(places, [&] {
            for (int id : {int(CDlgOrte::IDC_PLZ), int(CDlgOrte::IDC_NEW), int(CDlgOrte::IDC_SAVE),
                           int(CDlgOrte::IDC_DELETE), int(CDlgOrte::IDC_SEARCH), int(wxID_OK)})
                EXPECT_FALSE(places.FindWindow(id)->IsEnabled()) << id;
        });
        EXPECT_EQ(Count(IDS_QV_DB_OPEN_ERROR), 1u);
    }
    {
        CDlgBemerk remark(frame_, "Text");
        EXPECT_EQ(Count(IDS_QV_DB_OPEN_ERROR), 2u);
        EXPECT_FALSE(remark.FindWindow(CDlgBemerk::IDC_FROM_DB)->IsEnabled());
        EXPECT_FALSE(remark.FindWindow(CDlgBemerk::IDC_TO_DB)->IsEnabled());
        CDlgBemDBV2 store(frame_);
        EXPECT_EQ(Count(IDS_QV_DB_OPEN_ERROR), 3u);
        EXPECT_FALSE(store.FindWindow(CDlgBemDBV2::IDC_DELETE)->IsEnabled());
        CDlgOrteSearch search(frame_);
        RunModal(search, [] {});
        EXPECT_EQ(Count(IDS_QV_DB_OPEN_ERROR), 4u);
    }
}

} // namespace

TEST_F(PlacesRemarksGui, AHeightOfWholeMetresOnly) {
    OpenDatabase();
    CDlgOrte dialog(frame_);
    RunModal(dialog, [&] {
        Press(&dialog, CDlgOrte::IDC_NEW);
        SetText(&dialog, CDlgOrte::IDC_PLZ, "66802");
        SetText(&dialog, CDlgOrte::IDC_ORT, "Bous");
        // Typed, the comma is refused, and the message strip says so, naming the field.
        auto* height = dynamic_cast<CParsedEdit*>(dialog.FindWindow(CDlgOrte::IDC_HEIGHT));
        FocusOn(height);
        height->SelectAll();
        Type(keys_, "12,5");
        EXPECT_EQ(Text(&dialog, CDlgOrte::IDC_HEIGHT), "125");
        ASSERT_NE(dialog.MessageWindow(), nullptr);
        EXPECT_EQ(dialog.MessageWindow()->Text(),
                  "Geodätische Höhe (m): Erlaubt sind Ziffern und ein Minuszeichen davor.");
        // Pasted, it is refused at "Speich", and the field takes the keyboard.
        SetText(&dialog, CDlgOrte::IDC_HEIGHT, "12,5");
        const size_t shown = Shown().size();
        Press(&dialog, CDlgOrte::IDC_SAVE);
        ASSERT_EQ(Shown().size(), shown + 1);
        EXPECT_EQ(Shown().back().text, "Geodätische Höhe: Erlaubt sind ganze Meter, zum Beispiel 125.");
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == height; }));
        EXPECT_EQ(vx::tableRecCount(TheDatenbank().Orte()->Handle()), 3);
        SetText(&dialog, CDlgOrte::IDC_HEIGHT, "-12");
        Press(&dialog, CDlgOrte::IDC_SAVE);
        EXPECT_EQ(PlaceAt(4), "66802 Bous -12 T");
        Press(&dialog, wxID_OK);
    });
}
