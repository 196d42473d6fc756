#include "platform/wx/WxMessageService.h"
#include "platform/wx/WxText.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>
#include <wx/frame.h>
#include <wx/toplevel.h>

#include <functional>

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

// Acts on the message dialog once it is up, as the user would.
void ActOnNextDialog(std::function<void(wxDialog&)> act) {
    wxTheApp->CallAfter([act] {
        for (wxWindow* w : wxTopLevelWindows) {
            if (auto* d = dynamic_cast<wxGenericMessageDialog*>(w); d && d->IsModal()) {
                act(*d);
                if (d->IsModal()) {
                    ADD_FAILURE() << "the dialog stayed open";
                    d->EndModal(wxID_CANCEL);
                }
                return;
            }
        }
        ADD_FAILURE() << "no modal message dialog";
    });
}

void Key(wxDialog& d, int code, int modifiers = wxMOD_NONE) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = code;
    key.m_altDown = (modifiers & wxMOD_ALT) != 0;
    key.SetEventObject(&d);
    d.GetEventHandler()->ProcessEvent(key);
}

TEST(WxMessageService, EscapeTheCloseBoxLettersAndTheDefaultButtonAnswer) {
    WxMessageService svc;
    const struct {
        unsigned flags;
        std::function<void(wxDialog&)> act;
        int answer;
        const char* what;
    } cases[] = {
        {MB_YESNO, [](wxDialog& d) { Key(d, WXK_ESCAPE); }, IDNO, "Escape on Ja/Nein"},
        {MB_YESNO, [](wxDialog& d) { d.Close(); }, IDNO, "close box on Ja/Nein"},
        {MB_YESNOCANCEL, [](wxDialog& d) { Key(d, WXK_ESCAPE); }, IDCANCEL, "Escape on Ja/Nein/Abbrechen"},
        {MB_YESNOCANCEL, [](wxDialog& d) { d.Close(); }, IDCANCEL, "close box on Ja/Nein/Abbrechen"},
        {MB_OKCANCEL, [](wxDialog& d) { Key(d, WXK_ESCAPE); }, IDCANCEL, "Escape on OK/Abbrechen"},
        {MB_RETRYCANCEL, [](wxDialog& d) { d.Close(); }, IDCANCEL, "close box on Wiederholen/Abbrechen"},
        {MB_OK, [](wxDialog& d) { Key(d, WXK_ESCAPE); }, IDOK, "Escape on OK"},
        {MB_YESNOCANCEL, [](wxDialog& d) { Key(d, 'N'); }, IDNO, "N alone"},
        {MB_YESNOCANCEL, [](wxDialog& d) { Key(d, 'J', wxMOD_ALT); }, IDYES, "Alt+J"},
        {MB_YESNOCANCEL, [](wxDialog& d) { Key(d, 'A'); }, IDCANCEL, "A alone"},
        {MB_RETRYCANCEL, [](wxDialog& d) { Key(d, 'W'); }, IDRETRY, "W alone"},
        {MB_YESNO | MB_DEFBUTTON2, [](wxDialog& d) {
             ASSERT_NE(d.GetDefaultItem(), nullptr);
             EXPECT_EQ(d.GetDefaultItem()->GetId(), wxID_NO);
             EXPECT_EQ(wxWindow::FindFocus(), d.GetDefaultItem());
             d.EndModal(d.GetDefaultItem()->GetId());
         }, IDNO, "the second button as default"},
    };
    for (const auto& c : cases) {
        ActOnNextDialog(c.act);
        EXPECT_EQ(svc.Show("Frage", "Ersetzen?", c.flags | MB_ICONQUESTION), c.answer) << c.what;
    }
}

TEST(WxMessageService, AKeyPressedBeforeTheBoxShowedDoesNotAnswerIt) {
    WxMessageService svc;
    ActOnNextDialog([](wxDialog& d) {
        wxKeyEvent early(wxEVT_CHAR_HOOK);
        early.m_keyCode = WXK_ESCAPE;
        early.SetTimestamp(1);
        early.SetEventObject(&d);
        d.GetEventHandler()->ProcessEvent(early);
        EXPECT_TRUE(d.IsModal()) << "a key from before the box answered it";
        Key(d, 'N');
    });
    EXPECT_EQ(svc.Show("Frage", "Speichern?", MB_YESNOCANCEL), IDNO);
}

TEST(WxMessageService, ALongMessageIsWrappedAndCentredOnTheProgramsWindow) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Velmora", wxPoint(500, 300), wxSize(600, 400));
    frame->Show();
    wxWindow* top = wxTheApp->GetTopWindow();
    wxTheApp->SetTopWindow(frame);
    std::string text;
    for (int i = 0; i < 30; ++i) text += "Diese Zeile ist lang. ";
    wxRect box, main = frame->GetRect();
    ActOnNextDialog([&box](wxDialog& d) {
        box = d.GetRect();
        d.EndModal(wxID_OK);
    });
    WxMessageService().Show("", text, MB_OK);
    EXPECT_LT(box.width, 600) << "wide as " << box.width;
    EXPECT_NEAR(box.x + box.width / 2, main.x + main.width / 2, 2);
    EXPECT_NEAR(box.y + box.height / 2, main.y + main.height / 2, 2);
    wxTheApp->SetTopWindow(top);
    frame->Destroy();
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
