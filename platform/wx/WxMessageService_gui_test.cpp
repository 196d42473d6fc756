#include "platform/wx/WxMessageService.h"
#include "platform/wx/WxText.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>
#include <wx/toplevel.h>

namespace vx {
namespace {

// Presses a button of the message dialog once it is up.
void AnswerNextDialog(int wxId, wxString* seenText = nullptr) {
    wxTheApp->CallAfter([wxId, seenText] {
        for (wxWindow* w : wxTopLevelWindows) {
            if (auto* d = dynamic_cast<wxGenericMessageDialog*>(w); d && d->IsModal()) {
                if (seenText) *seenText = d->GetMessage();
                d->EndModal(wxId);
                return;
            }
        }
        ADD_FAILURE() << "no modal message dialog";
    });
}

TEST(WxMessageService, MapsButtonsToAnswers) {
    WxMessageService svc;
    AnswerNextDialog(wxID_NO);
    EXPECT_EQ(svc.Show("Frage", "Speichern?", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
    AnswerNextDialog(wxID_CANCEL);
    EXPECT_EQ(svc.Show("Frage", "Speichern?", MB_YESNOCANCEL), IDCANCEL);
    AnswerNextDialog(wxID_OK);
    EXPECT_EQ(svc.Show("Hinweis", "Fertig", MB_OK), IDOK);
    AnswerNextDialog(wxID_OK);
    EXPECT_EQ(svc.Show("Sperre", "Datei gesperrt", MB_RETRYCANCEL), IDRETRY);
}

TEST(WxMessageService, ShowsCodePage1252TextAsUnicode) {
    WxMessageService svc;
    wxString seen;
    AnswerNextDialog(wxID_OK, &seen);
    svc.Show("DATENBANK FEHLER", "Größe \x80", MB_OK | MB_ICONSTOP);
    EXPECT_EQ(seen, wxString(L"Gr\u00f6\u00dfe \u20ac"));
    EXPECT_EQ(FromWx(ToWx("Straße 5")), "Straße 5");
}

} // namespace
} // namespace vx
