// The catalogue notice on the display: its texts, the switch written at
// once, and the order button without a layout.
#include "quorvel/CDlgWdbBestell.h"

#include "testsupport/quorvel/ProfileDialogTest.h"

#include <wx/checkbox.h>
#include <wx/stattext.h>

namespace {

using WdbBestellGui = ProfileDialogTest;

std::string Label(wxDialog& d, int id) { return vx::FromWx(dynamic_cast<wxStaticText*>(d.FindWindow(id))->GetLabel()); }

TEST_F(WdbBestellGui, ShowsTheCatalogueDateAndTheOrderAddressAndWritesTheSwitchAtOnce) {
    Profile("[Datenbank]\nStand_W=2026/04\n[LuL]\nFormWdb=\n");
    CDlgWdbBestell dialog(frame_);
    const int rc = RunModal(dialog, [&] {
        EXPECT_NE(Label(dialog, CDlgWdbBestell::IDC_CATALOGUE).find("hat den Stand 2026/04."), std::string::npos);
        std::string address = Label(dialog, CDlgWdbBestell::IDC_ADDRESS);
        EXPECT_EQ(address, "Trevalen Software GmbH\nIndustriestra\xDF" "e 12\n66606 St. Wendel\nTel.:06851 8009-0\n"
                           "Fax:06851 8009-99");
        auto* box = dynamic_cast<wxCheckBox*>(dialog.FindWindow(CDlgWdbBestell::IDC_NOT_AGAIN));
        EXPECT_FALSE(box->GetValue());
        box->SetValue(true);
        wxCommandEvent ticked(wxEVT_CHECKBOX, CDlgWdbBestell::IDC_NOT_AGAIN);
        ticked.SetEventObject(box);
        ticked.SetInt(1);
        box->GetEventHandler()->ProcessEvent(ticked);
        EXPECT_EQ(vx::Profile().GetString("Datenbank", "Anzeige_W"), "1");
        // An empty layout entry: the order does nothing.
        Press(&dialog, CDlgWdbBestell::IDC_ORDER);
        EXPECT_TRUE(Shown().empty());
        EXPECT_TRUE(dialog.IsModal());
        Press(&dialog, wxID_OK);
    });
    EXPECT_EQ(rc, wxID_OK);
}

TEST_F(WdbBestellGui, AMissingLayoutShowsThePrintStartError) {
    Profile("[LuL]\nFormWdb=" + Path("fehlt.lst") + "\n");
    CDlgWdbBestell dialog(frame_);
    RunModal(dialog, [&] {
        Press(&dialog, CDlgWdbBestell::IDC_ORDER);
        ASSERT_EQ(Shown().size(), 1u);
        EXPECT_NE(Shown()[0].text.find("Fehler bei LlPrintStart: (nRet=-1, Zeile 107, Datei .\\dblprint)"),
                  std::string::npos);
    });
}

} // namespace
