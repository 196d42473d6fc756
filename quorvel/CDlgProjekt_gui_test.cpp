// The project dialog on the display, on a place table in a scratch folder
// and a profile of the test's own, driven through its controls.
#include "quorvel/CDlgProjektV2.h"

#include "quorvel/CDlgAdr.h"
#include "quorvel/CDlgOrteSearch.h"
#include "quorvel/Soundex.h"

#include "dbase/file/EngineFile.h"
#include "dbase/data/Table.h"
#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "testsupport/platform/TestProfile.h"
#include "platform/wx/WxText.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/CQuorvelApp.h"
#include "testsupport/quorvel/DialogDrive.h"
#include "quorvel/QuorvelTables.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"
#include "testsupport/quorvel/TwoProcesses.h"
#include "quorvel/fields/CMyComboBox.h"

#include <wx/frame.h>

#include <dlfcn.h>

#include <regex>

namespace {

using C = CProjekt;

// The clipboard as another program would have left it.
class ClipboardProjekt : public CDlgProjektV2 {
public:
    ClipboardProjekt(wxWindow* parent, const CProjekt& record, std::string text)
        : CDlgProjektV2(parent, record), clip_(std::move(text)) {}
    bool ClipboardText(std::string& text) override {
        text = clip_;
        return true;
    }

private:
    std::string clip_;
};

class ProjectDialog : public QuorvelTest {
protected:
    void SetUp() override {
        QuorvelTest::SetUp();
        ASSERT_TRUE(LoadLibraryTexts());
        MakeTable(Path("plz/PLZORT"), kPlzOrtFields, kPlzOrtTags,
                  {{{"PLZ", "66606"}, {"ORT", "St. Wendel"}, {"LAND", "Saarland"}, {"GEOH", "286"}},
                   {{"PLZ", "01067"}, {"ORT", "Dresden"}, {"LAND", "Sachsen"}, {"GEOH", "113"}}});
        ASSERT_EQ(TheDatenbank().Oeffnen(Path("db"), Path("plz")), 0);
        frame_ = new wxFrame(nullptr, wxID_ANY, "Velmora");
        frame_->Show();
        wxTheApp->SetTopWindow(frame_);
    }
    void TearDown() override {
        TheDatenbank().Schliessen();
        frame_->Destroy();
        Settle();
        QuorvelStrings().Clear();
        vx::Strings().Clear();
        QuorvelTest::TearDown();
    }
    static std::string Shows(wxWindow* d, int id) {
        auto* entry = dynamic_cast<wxTextEntry*>(d->FindWindow(id));
        return entry ? vx::FromWx(entry->GetValue()) : "?";
    }

    static CAdressTab& Book() { return *TheDatenbank().Adressen(); }
    static std::string Col(const vx::FieldView& col) { return Book().FeldText(col); }

    wxFrame* frame_ = nullptr;
    KeyUpCounter keys_;
};

TEST_F(ProjectDialog, NewProjectTakesTheNextRunningNumberAndTodaysDate) {
    ScopedTestProfile profile("[Projekt]\nNr=1\nLfdNr=41\n");
    CProjekt empty;
    CDlgProjektV2 dialog(frame_, empty);
    // No help id in the profile: the library's default one.
    EXPECT_EQ(dialog.helpContext, 1);
    const int rc = RunModal(dialog, [&] {
        EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_NUMMER), "42");
        EXPECT_EQ(vx::FromWx(dialog.FindWindow(CDlgProjekt::IDC_TO_SITE)->GetToolTipText()),
                  "Adresse nach Standort kopieren.");
        EXPECT_TRUE(std::regex_match(Shows(&dialog, CDlgProjekt::IDC_DATUM), std::regex(R"(\d\d\.\d\d\.\d{4})")));
        Press(&dialog, wxID_OK);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(dialog.projekt.Text(C::Nummer), "42");
    EXPECT_EQ(vx::Profile().GetInt("Projekt", "LfdNr", 0), 42);
}

TEST_F(ProjectDialog, ADateThatNamesNoDayKeepsTheDialogOpenAtTheDate) {
    CProjekt empty;
    CDlgProjektV2 dialog(frame_, empty);
    EXPECT_EQ(RunModal(dialog, [&] {
                  for (const char* wrong : {"abc", "31.02.2026", "1.2."}) {
                      SetText(&dialog, CDlgProjekt::IDC_DATUM, wrong);
                      const size_t shown = Shown().size();
                      Press(&dialog, wxID_OK);
                      Settle();
                      ASSERT_EQ(Shown().size(), shown + 1) << wrong;
                      EXPECT_EQ(Shown().back().text, "Datum: Bitte geben Sie ein Datum wie 24.12.2026 ein.");
                      EXPECT_TRUE(dialog.IsShown());
                      EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == dialog.FindWindow(CDlgProjekt::IDC_DATUM); })) << wrong;
                  }
                  SetText(&dialog, CDlgProjekt::IDC_DATUM, "9.12.26");
                  Press(&dialog, wxID_OK);
              }),
              wxID_OK);
    EXPECT_EQ(dialog.projekt.Text(C::Datum), "9.12.26");
}

// Both "In Datenb." read alike: each stands under the group whose address it stores.
TEST_F(ProjectDialog, EachStoreButtonStandsUnderItsAddress) {
    ScopedTestProfile profile("");
    CProjekt record;
    record.Text(C::Datum) = "01.01.2026";
    CDlgProjektV2 dialog(frame_, record);
    RunModal(dialog, [&] {
        const struct {
            int button, group;
        } pairs[] = {{CDlgProjekt::IDC_E_TO_DB, 1279}, {CDlgProjekt::IDC_S_TO_DB, 1280}};
        for (const auto& p : pairs) {
            const wxRect button = dialog.FindWindow(p.button)->GetScreenRect();
            const wxRect group = dialog.FindWindow(p.group)->GetScreenRect();
            EXPECT_GE(button.x, group.x) << p.button;
            EXPECT_LE(button.GetRight(), group.GetRight()) << p.button;
            EXPECT_GT(button.y, group.GetBottom()) << p.button;
        }
        Press(&dialog, wxID_CANCEL);
    });
}

TEST_F(ProjectDialog, AProjectWithADateKeepsNumberAndRunningNumber) {
    ScopedTestProfile profile("[Projekt]\nNr=1\nLfdNr=41\n");
    CProjekt old;
    old.Text(C::Nummer) = "2025-7";
    old.Text(C::Datum) = "03.04.2025";
    old.Text(C::Floskel) = "Sehr geehrte Damen und Herren";
    old.Text(C::EmpfUrl) = "www.example.de";
    CDlgProjektV2 dialog(frame_, old);
    EXPECT_EQ(RunModal(dialog, [&] {
                  EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_NUMMER), "2025-7");
                  EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_DATUM), "03.04.2025");
                  SetText(&dialog, CDlgProjekt::IDC_E_NAME1, "Meier");
                  Press(&dialog, wxID_OK);
              }),
              wxID_OK);
    EXPECT_EQ(vx::Profile().GetInt("Projekt", "LfdNr", 0), 41);
    EXPECT_EQ(dialog.projekt.Text(C::Nummer), "2025-7");
    EXPECT_EQ(dialog.projekt.Text(C::EmpfName1), "Meier");
    // Fields without a control keep the record's values.
    EXPECT_EQ(dialog.projekt.Text(C::Floskel), "Sehr geehrte Damen und Herren");
    EXPECT_EQ(dialog.projekt.Text(C::EmpfUrl), "www.example.de");
}

TEST_F(ProjectDialog, AHandTypedEditorIsListedNextTimeAndNamedLast) {
    ScopedTestProfile profile("[Bearbeiter]\n0=Anna\nLetzter=Anna\n");
    CProjekt record;
    record.Text(C::Datum) = "01.01.2026";
    {
        CDlgProjektV2 dialog(frame_, record);
        RunModal(dialog, [&] {
            CMyComboBox* combo = dialog.EditorCombo();
            EXPECT_EQ(combo->GetCount(), 1u);
            EXPECT_EQ(vx::FromWx(combo->GetValue()), "Anna");
            combo->SetValue("Bernd");
            Press(&dialog, wxID_OK);
        });
        EXPECT_EQ(dialog.projekt.Text(C::Bearbeiter), "Bernd");
    }
    EXPECT_EQ(vx::Profile().GetString("Bearbeiter", "0"), "Anna");
    EXPECT_EQ(vx::Profile().GetString("Bearbeiter", "1"), "Bernd");
    EXPECT_EQ(vx::Profile().GetString("Bearbeiter", "Letzter"), "Bernd");
    CDlgProjektV2 again(frame_, record);
    RunModal(again, [&] {
        EXPECT_EQ(again.EditorCombo()->GetCount(), 2u);
        EXPECT_EQ(vx::FromWx(again.EditorCombo()->GetValue()), "Bernd");
        // "ann" begins an entry already: nothing is added, but it is the last editor.
        again.EditorCombo()->SetValue("ann");
        Press(&again, wxID_OK);
    });
    EXPECT_EQ(vx::Profile().GetString("Bearbeiter", "2"), "");
    EXPECT_EQ(vx::Profile().GetString("Bearbeiter", "Letzter"), "ann");
}

TEST_F(ProjectDialog, HeightsOfRecipientAndSiteFromThePlaceTable) {
    ScopedTestProfile profile("");
    CProjekt record;
    record.Text(C::Datum) = "01.01.2026";
    CDlgProjektV2 dialog(frame_, record);
    RunModal(dialog, [&] {
        SetText(&dialog, CDlgProjekt::IDC_E_PLZ, "99999");
        dynamic_cast<CMyComboBox*>(dialog.FindWindow(CDlgProjekt::IDC_E_ORT))->SetValue("Nirgendwo");
        // The town list follows the postcode, and an empty town takes the first.
        SetText(&dialog, CDlgProjekt::IDC_S_PLZ, "66606");
        EXPECT_EQ(vx::FromWx(dynamic_cast<CMyComboBox*>(dialog.FindWindow(CDlgProjekt::IDC_S_ORT))->GetValue()),
                  "St. Wendel");
        Press(&dialog, wxID_OK);
    });
    EXPECT_EQ(dialog.projekt.recipientHeight, -99.0);
    EXPECT_EQ(dialog.projekt.siteHeight, 286.0);
    EXPECT_EQ(dialog.projekt.Text(C::StdoOrt), "St. Wendel");
    const std::string record2 = dialog.projekt.WriteRecord();
    EXPECT_NE(record2.find("<GEO EMPF=-99.000000 STDO=286.000000>"), std::string::npos) << record2;
}

TEST_F(ProjectDialog, TessivoFileFillsCustomerAndRecipientOnce) {
    ScopedTestProfile profile("");
    ASSERT_TRUE(vx::WriteFileAtomic(Path("tmp/ADRESS.ABS"),
                                    "4711;\"Bau; Meier\";Hans Meier;Bau GmbH;Weg 1;01067;Dresden;0351-1;0351-2;5\r\n"));
    CProjekt record;
    record.Text(C::Datum) = "01.01.2026";
    CDlgProjektV2 dialog(frame_, record);
    RunModal(dialog, [&] {
        Press(&dialog, CDlgProjekt::IDC_TESSIVO);
        EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_E_NAME1), "Hans Meier");
        EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_E_TEL), "0351-1");
        Press(&dialog, CDlgProjekt::IDC_TESSIVO);
        EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_E_TEL), "0351-1");
        Press(&dialog, CDlgProjekt::IDC_TO_SITE);
        EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_S_NAME1), "Hans Meier");
        Press(&dialog, wxID_OK);
    });
    EXPECT_EQ(dialog.projekt.Text(C::Match), "Bau; Meier");
    EXPECT_EQ(dialog.projekt.Text(C::KundenNr), "4711");
    EXPECT_EQ(dialog.projekt.Text(C::EmpfName2), "Bau GmbH");
    EXPECT_EQ(dialog.projekt.Text(C::EmpfFax), "0351-2");
    EXPECT_EQ(dialog.projekt.Text(C::VertragsNr), "5");
    EXPECT_EQ(dialog.projekt.Text(C::StdoOrt), "Dresden");
    EXPECT_EQ(dialog.projekt.Text(C::StdoPlz), "01067");
    EXPECT_EQ(dialog.projekt.siteHeight, 113.0);
}

TEST_F(ProjectDialog, ClipboardOfAnotherSectionChangesNothing) {
    ScopedTestProfile profile("");
    CProjekt record;
    record.Text(C::Datum) = "01.01.2026";
    record.Text(C::Nummer) = "7";
    ClipboardProjekt other(frame_, record, "[ANDERES]\nLNR=9\nENAME1=X\n");
    RunModal(other, [&] {
        Press(&other, CDlgProjekt::IDC_ORVISTO);
        Press(&other, wxID_OK);
    });
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text, "Stellen Sie zuerst in Orvisto die Daten zur Verf\xFCgung\nund wiederholen "
                               "anschlie\xDF" "end die Daten\xFC" "bernahme in Pelvane.");
    EXPECT_EQ(other.projekt.Text(C::Nummer), "7");
    EXPECT_EQ(other.projekt.Text(C::EmpfName1), "");

    ClipboardProjekt orv(frame_, record, "[ORVISTO2PELVANE]\r\nLNR=26.3\r\nENAME1=Schulz\r\nGORT=Dresden\r\n");
    RunModal(orv, [&] {
        Press(&orv, CDlgProjekt::IDC_ORVISTO);
        EXPECT_EQ(Shows(&orv, CDlgProjekt::IDC_NUMMER), "26-3");
        Press(&orv, wxID_OK);
    });
    EXPECT_EQ(Shown().size(), 1u);
    EXPECT_EQ(orv.projekt.Text(C::EmpfName1), "Schulz");
    EXPECT_EQ(orv.projekt.Text(C::StdoOrt), "Dresden");
}

TEST_F(ProjectDialog, RecipientAndSiteGoIntoTheAddressBookAndComeBack) {
    ScopedTestProfile profile("");
    CProjekt record;
    record.Text(C::Datum) = "01.01.2026";
    CDlgProjektV2 dialog(frame_, record);
    std::string shownName;
    RunModal(dialog, [&] {
        SetText(&dialog, CDlgProjekt::IDC_E_NAME1, "Schmidt");
        SetText(&dialog, CDlgProjekt::IDC_E_TEL, "0351-9");
        SetText(&dialog, CDlgProjekt::IDC_E_PLZ, "01067");
        SetText(&dialog, CDlgProjekt::IDC_S_NAME1, "Heizhaus");
        SetText(&dialog, CDlgProjekt::IDC_S_PLZ, "66606");
        Press(&dialog, CDlgProjekt::IDC_E_TO_DB);
        Press(&dialog, CDlgProjekt::IDC_S_TO_DB);
        ASSERT_EQ(vx::tableRecCount(Book().Handle()), 2);
        vx::tableGo(Book().Handle(), 1);
        EXPECT_EQ(Col(Book().name1), "Schmidt");
        EXPECT_EQ(Col(Book().ort), "Dresden");
        EXPECT_EQ(Col(Book().telefon), "0351-9");
        EXPECT_EQ(Col(Book().name1Soun), SoundexCode("Schmidt"));
        vx::tableGo(Book().Handle(), 2);
        EXPECT_EQ(Col(Book().name1), "Heizhaus");
        EXPECT_EQ(Col(Book().plz), "66606");
        EXPECT_EQ(Col(Book().telefon), "");

        // The address book's current record as recipient, then as site.
        SetText(&dialog, CDlgProjekt::IDC_E_NAME1, "");
        SetText(&dialog, CDlgProjekt::IDC_S_NAME1, "");
        WhenTitled asRecipient("Adressdatenbank", [&](wxDialog& book) {
            shownName = Text(&book, 1042);
            Press(&book, 1058);
        });
        Press(&dialog, CDlgProjekt::IDC_DATENBANK);
        EXPECT_TRUE(asRecipient.done);
        EXPECT_FALSE(shownName.empty());
        EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_E_NAME1), shownName);
        WhenTitled asSite("Adressdatenbank", [&](wxDialog& book) { Press(&book, 4); });
        Press(&dialog, CDlgProjekt::IDC_DATENBANK);
        EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_S_NAME1), shownName);
        Press(&dialog, wxID_OK);
    });
    const bool schmidt = shownName == "Schmidt";
    EXPECT_EQ(dialog.projekt.Text(C::EmpfTel), schmidt ? "0351-9" : "");
    EXPECT_EQ(dialog.projekt.recipientHeight, schmidt ? 113.0 : 286.0);
    EXPECT_EQ(dialog.projekt.siteHeight, schmidt ? 113.0 : 286.0);
}

// A name longer than the address book's column: typing stops at the column,
// a longer one from an older project stays whole in the project, and "In
// Datenb." names what it would cut and stores nothing instead of cutting it.
TEST_F(ProjectDialog, ANameTheBookCannotHoldIsNeitherTypedNorStoredCut) {
    ScopedTestProfile profile("");
    const std::string longName =
        "Wohnungsbaugesellschaft S\xFC" "d-W\xFC" "rttemberg Immobilienverwaltung GmbH & Co. KG";
    const size_t width = Book().name1.len();
    ASSERT_GT(longName.size(), width);
    CProjekt record;
    record.Text(C::Datum) = "01.01.2026";
    record.Text(C::EmpfName1) = longName;
    CDlgProjektV2 dialog(frame_, record);
    const int rc = RunModal(dialog, [&] {
        EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_E_NAME1), longName);
        Press(&dialog, CDlgProjekt::IDC_E_TO_DB);
        EXPECT_EQ(vx::tableRecCount(Book().Handle()), 0);
        ASSERT_FALSE(Shown().empty());
        EXPECT_EQ(Shown().back().text, vx::Format(QuorvelString(IDS_QV_ADDRESS_TOO_LONG),
                                                  "Berechnungsempf\xE4nger, Name 1", int(width), longName.substr(width)));
        EXPECT_NE(Shown().back().text.find("\x84" + longName.substr(width) + "\x93 w\xFCrde abgeschnitten"),
                  std::string::npos);
        auto* name1 = Edit(&dialog, CDlgProjekt::IDC_E_NAME1);
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == name1; }));

        // Typed, a name stops at the column's width and is stored whole.
        const std::string typed = longName.substr(0, width - 2);
        SetText(&dialog, CDlgProjekt::IDC_S_NAME1, typed);
        FocusOn(dialog.FindWindow(CDlgProjekt::IDC_S_NAME1));
        Edit(&dialog, CDlgProjekt::IDC_S_NAME1)->SetInsertionPointEnd();
        Type(keys_, "abc");
        EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_S_NAME1), typed + "ab");
        Press(&dialog, CDlgProjekt::IDC_S_TO_DB);
        ASSERT_EQ(vx::tableRecCount(Book().Handle()), 1);
        vx::tableGo(Book().Handle(), 1);
        EXPECT_EQ(Col(Book().name1), typed + "ab");
        Press(&dialog, wxID_OK);
    });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(dialog.projekt.Text(C::EmpfName1), longName);
}

// "In Datenb." with an address table that could not be opened, then one
// whose end another program holds: each says why, and nothing half-done stays.
TEST_F(ProjectDialog, StoringAnAddressSaysWhyItFailedAndLosesNothing) {
    ScopedTestProfile profile("");
    CProjekt record;
    record.Text(C::Datum) = "01.01.2026";
    const std::string openError = QuorvelString(3), updateFailed = QuorvelString(4);
    ASSERT_EQ(openError, "Fehler beim \xD6" "ffnen der Adressdatenbank !");
    ASSERT_EQ(updateFailed, "Adressdatenbank kann nicht aktualisiert werden.");

    // The place table's folder is gone: the database is in error and the address table was never opened.
    ASSERT_NE(TheDatenbank().Oeffnen(Path("db"), Path("fehlt/plz")), 0);
    ASSERT_TRUE(TheDatenbank().Fehler());
    size_t before = Shown().size();
    {
        CDlgProjektV2 dialog(frame_, record);
        RunModal(dialog, [&] {
            SetText(&dialog, CDlgProjekt::IDC_E_NAME1, "Schmidt");
            Press(&dialog, CDlgProjekt::IDC_E_TO_DB);
            Press(&dialog, CDlgProjekt::IDC_S_TO_DB);
            Press(&dialog, wxID_OK);
        });
        EXPECT_EQ(dialog.projekt.Text(C::EmpfName1), "Schmidt");
    }
    ASSERT_EQ(Shown().size(), before + 2);
    EXPECT_EQ(Shown()[before].text, openError);
    EXPECT_EQ(Shown()[before + 1].text, openError);

    ASSERT_EQ(TheDatenbank().Oeffnen(Path("db"), Path("plz")), 0);
    TwoProcesses talk;
    ASSERT_TRUE(talk.Open());
    const std::string dbDir = Path("db"), plzDir = Path("plz");
    const pid_t pid = talk.Fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        CDatenbank other;
        bool ok = other.Oeffnen(dbDir, plzDir) == 0 && vx::tableLockAppend(other.Adressen()->Handle()) == 0;
        if (!talk.ChildSays(ok ? 'L' : 'F') || !talk.ChildAwaits('U')) ::_exit(2);
        ok = vx::tableUnlock(other.Adressen()->Handle()) == 0;
        if (!talk.ChildSays(ok ? 'U' : 'F') || !talk.ChildAwaits('Q')) ::_exit(3);
        other.Schliessen();
        ::_exit(ok ? 0 : 1);
    }
    talk.Expect('L');
    // One try instead of waiting for the other program.
    TheDatenbank().Context().lockAttempts = 1;
    before = Shown().size();
    CDlgProjektV2 dialog(frame_, record);
    RunModal(dialog, [&] {
        SetText(&dialog, CDlgProjekt::IDC_E_NAME1, "Schmidt");
        SetText(&dialog, CDlgProjekt::IDC_S_NAME1, "Heizhaus");
        Press(&dialog, CDlgProjekt::IDC_E_TO_DB);
        ASSERT_EQ(Shown().size(), before + 1);
        EXPECT_EQ(Shown().back().text, updateFailed);
        EXPECT_EQ(vx::tableRecCount(Book().Handle()), 0);
        talk.Say('U');
        talk.Expect('U');
        // Once the other program lets go the same press works, twice if
        // pressed twice: the address book takes the same name again.
        Press(&dialog, CDlgProjekt::IDC_E_TO_DB);
        Press(&dialog, CDlgProjekt::IDC_E_TO_DB);
        Press(&dialog, CDlgProjekt::IDC_S_TO_DB);
        EXPECT_EQ(Shown().size(), before + 1);
        ASSERT_EQ(vx::tableRecCount(Book().Handle()), 3);
        for (long rec : {1L, 2L}) {
            vx::tableGo(Book().Handle(), rec);
            EXPECT_EQ(Col(Book().name1), "Schmidt");
        }
        vx::tableGo(Book().Handle(), 3);
        EXPECT_EQ(Col(Book().name1), "Heizhaus");
        Press(&dialog, wxID_OK);
    });
    talk.Say('Q');
    ASSERT_NO_FATAL_FAILURE(talk.ExpectChildSucceeded());
}

// A disk that takes the blank record but not the written address.
class FullForName : public vx::FileSystemCalls {
public:
    ssize_t Pwrite(int fd, const void* buf, size_t len, off_t pos) override {
        if (std::string_view(static_cast<const char*>(buf), len).find("Schmidt") != std::string_view::npos) {
            errno = ENOSPC;
            return -1;
        }
        return vx::FileSystemCalls::Pwrite(fd, buf, len, pos);
    }
};

// The written address meets a full disk: the engine's box and the
// dialog's message come, and the address book works again for the next
// address, which also brings the refused one to the disk.
TEST_F(ProjectDialog, AnAddressTheDiskRefusesIsReportedAndNotLost) {
    ScopedTestProfile profile("");
    CProjekt record;
    record.Text(C::Datum) = "01.01.2026";
    FullForName full;
    CDlgProjektV2 dialog(frame_, record);
    RunModal(dialog, [&] {
        SetText(&dialog, CDlgProjekt::IDC_E_NAME1, "Schmidt");
        vx::setFileSystemCalls(&full);
        Press(&dialog, CDlgProjekt::IDC_E_TO_DB);
        vx::setFileSystemCalls(nullptr);
        ASSERT_EQ(Shown().size(), 2u);
        EXPECT_NE(Shown()[0].text.find("ADRESSE.DBF"), std::string::npos) << Shown()[0].text;
        EXPECT_EQ(Shown()[1].text, QuorvelString(4));
        SetText(&dialog, CDlgProjekt::IDC_E_NAME1, "Meier");
        Press(&dialog, CDlgProjekt::IDC_E_TO_DB);
        EXPECT_EQ(Shown().size(), 2u);
        ASSERT_EQ(vx::tableRecCount(Book().Handle()), 2);
        vx::tableGo(Book().Handle(), 1);
        EXPECT_EQ(Col(Book().name1), "Schmidt");
        vx::tableGo(Book().Handle(), 2);
        EXPECT_EQ(Col(Book().name1), "Meier");
        Press(&dialog, wxID_OK);
    });
}

TEST_F(ProjectDialog, F4OnASitePostcodeSetsThePlace) {
    ScopedTestProfile profile("");
    CProjekt record;
    record.Text(C::Datum) = "01.01.2026";
    CDlgProjektV2 dialog(frame_, record);
    int searches = 0;
    RunModal(dialog, [&] {
        WhenShown<CDlgOrteSearch> search([&](CDlgOrteSearch& s) {
            ++searches;
            vx::tableGo(TheDatenbank().Orte()->Handle(), 2);
            s.recNo = 2;
            if (s.IsModal()) s.EndModal(wxID_OK);
        });
        FocusOn(dialog.FindWindow(CDlgProjekt::IDC_S_PLZ));
        Key(keys_, WXK_F4);
        EXPECT_TRUE(PumpUntil([&] { return searches == 1 && !search.IsRunning(); }));
        Settle();
        EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_S_PLZ), "01067");
        Press(&dialog, wxID_OK);
    });
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(dialog.projekt.Text(C::StdoOrt), "Dresden");
    EXPECT_EQ(dialog.projekt.siteHeight, 113.0);
}

TEST_F(ProjectDialog, SweepDistrictLibraryFillsBothAddressesAndTheNumber) {
    ScopedTestProfile profile("");
    vx::WriteFileAtomic(Path("kehr.ini"), "[Kehrbezirk]\nKehrSW=1\nKehrSW_DLL=" VX_KEHR_STAND_IN "\n");
    CKehrBezirk& kehr = TheQuorvelApp().KehrBezirk();
    kehr.Load(Path("kehr.ini"));
    ASSERT_TRUE(kehr.IsLoaded());
    CProjekt record;
    record.Text(C::Datum) = "01.01.2026";
    CDlgProjektV2 dialog(frame_, record);
    RunModal(dialog, [&] {
        // The stand-in answers the three-part index.
        EXPECT_TRUE(dialog.FindWindow(CDlgProjekt::IDC_INDEX3)->IsShown());
        EXPECT_TRUE(dialog.FindWindow(CDlgProjekt::IDC_PICK1)->IsShown());
        EXPECT_FALSE(dialog.FindWindow(CDlgProjekt::IDC_FEROLIX)->IsShown());
        Press(&dialog, CDlgProjekt::IDC_PICK1);
        EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_E_PLZ), "12345");
        SetText(&dialog, CDlgProjekt::IDC_E_NAME1, "anders");
        SetText(&dialog, CDlgProjekt::IDC_INDEX1, "Ort");
        dialog.OnSearchIndexChanged();
        EXPECT_EQ(Shows(&dialog, CDlgProjekt::IDC_E_NAME1), std::string(52, 'N'));
        Press(&dialog, wxID_OK);
    });
    kehr.Unload();
    EXPECT_EQ(dialog.projekt.Text(C::EmpfName1), std::string(52, 'N'));
    EXPECT_EQ(dialog.projekt.Text(C::EmpfName2), "Feld");
    EXPECT_EQ(dialog.projekt.Text(C::EmpfOrt), "Musterstadt");
    EXPECT_EQ(dialog.projekt.Text(C::StdoOrt), "Feld");
    EXPECT_EQ(dialog.projekt.Text(C::StdoPlz), "");
    EXPECT_EQ(dialog.projekt.Text(C::Nummer), "Feld");
}

TEST_F(ProjectDialog, SweepDistrictModesTwoAndThree) {
    ScopedTestProfile profile("");
    CKehrBezirk& kehr = TheQuorvelApp().KehrBezirk();
    vx::WriteFileAtomic(Path("kehr.ini"), "[Kehrbezirk]\nKehrSW=2\nKehrSW_DLL=" VX_KEHR_STAND_IN "\n");
    kehr.Load(Path("kehr.ini"));
    ASSERT_TRUE(kehr.IsLoaded());
    void* lib = ::dlopen(VX_KEHR_STAND_IN, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(lib, nullptr);
    auto lastIndex = reinterpret_cast<const char* (*)()>(::dlsym(lib, "kehr_test_last_index"));
    CProjekt record;
    record.Text(C::Datum) = "01.01.2026";
    {
        CDlgProjektV2 dialog(frame_, record);
        RunModal(dialog, [&] {
            // The search-index fields belong to mode 1 only.
            EXPECT_FALSE(dialog.FindWindow(CDlgProjekt::IDC_INDEX1)->IsShown());
            FocusOn(dialog.FindWindow(CDlgProjekt::IDC_KDNR));
            SetText(&dialog, CDlgProjekt::IDC_KDNR, "12,5,1");
            // Leaving the customer number asks the library.
            FocusOn(dialog.FindWindow(CDlgProjekt::IDC_E_NAME2));
            EXPECT_TRUE(PumpUntil([&] { return Shows(&dialog, CDlgProjekt::IDC_E_PLZ) == "12345"; }));
            EXPECT_STREQ(lastIndex(), "12.5,1");
        });
    }
    ::dlclose(lib);
    kehr.Unload();
    vx::WriteFileAtomic(Path("kehr.ini"), "[Kehrbezirk]\nKehrSW=3\nKehrSW_DLL=" VX_KEHR_STAND_IN "\n");
    kehr.Load(Path("kehr.ini"));
    CDlgProjektV2 ferolix(frame_, record);
    RunModal(ferolix, [&] {
        EXPECT_TRUE(ferolix.FindWindow(CDlgProjekt::IDC_FEROLIX)->IsShown());
        EXPECT_EQ(vx::FromWx(ferolix.FindWindow(CDlgProjekt::IDC_ORV_CAPTION)->GetLabel()), "Daten aus Ferolix");
        Press(&ferolix, CDlgProjekt::IDC_FEROLIX);
        EXPECT_EQ(Shows(&ferolix, CDlgProjekt::IDC_S_NAME1), "Feld");
    });
    kehr.Unload();
}

} // namespace
