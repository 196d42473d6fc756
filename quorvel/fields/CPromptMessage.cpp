#include "quorvel/fields/CPromptMessage.h"

#include "quorvel/fields/FieldRules.h"
#include "platform/MessageService.h"
#include "platform/wx/WxText.h"

#include <wx/dcbuffer.h>
#include <wx/display.h>
#include <wx/settings.h>
#include <wx/sizer.h>

namespace {
// Twelve pixels on a screen 768 pixels high, scaled to this screen.
int FontPixels() {
    const int screen = wxSystemSettings::GetMetric(wxSYS_SCREEN_Y);
    return std::max(8, (12 * (screen > 0 ? screen : 768) + 384) / 768);
}
} // namespace

CPromptMessage::CPromptMessage(wxWindow* owner, const FieldsDeliverable& fields)
    : wxWindow(owner, wxID_ANY, wxDefaultPosition, wxSize(-1, FontPixels() + 8), wxBORDER_NONE),
      owner_(owner), fields_(fields) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetFont(wxFont(wxFontInfo(wxSize(0, FontPixels())).Family(wxFONTFAMILY_SWISS).FaceName("Arial")));
    Bind(wxEVT_PAINT, &CPromptMessage::OnPaint, this);
    Dock();
}

void CPromptMessage::Dock() {
    // A laid-out owner gets the strip as its last row; otherwise it lies over
    // the bottom edge and follows the owner's size.
    if (wxSizer* sizer = owner_->GetSizer()) {
        auto* outer = new wxBoxSizer(wxVERTICAL);
        owner_->SetSizer(outer, false);
        outer->Add(sizer, 1, wxEXPAND);
        outer->Add(this, 0, wxEXPAND);
        if (owner_->IsTopLevel()) outer->SetSizeHints(owner_);
        owner_->Layout();
        return;
    }
    auto place = [this] {
        const wxSize client = owner_->GetClientSize();
        const int height = GetSize().y;
        SetSize(0, client.y - height, client.x, height);
    };
    place();
    owner_->Bind(wxEVT_SIZE, [place](wxSizeEvent& event) {
        place();
        event.Skip();
    });
}

wxColour CPromptMessage::BackgroundFor(int mode) const {
    return mode == 1 ? wxColour(255, 0, 0) : wxColour(0, 0, 255);
}

void CPromptMessage::ShowText(int mode, const std::string* text) {
    if (text) {
        std::string line = fields::OneLineText(*text);
        if (line != text_) {
            previous_ = text_;
            text_ = std::move(line);
        }
    }
    mode_ = mode;
    // The beep goes with showing an error, not with every repaint.
    if (mode == 1) vx::MessageBeep(vx::MB_ICONEXCLAMATION);
    Refresh();
}

void CPromptMessage::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    if (text_.empty()) text_ = fields_.Load(fields_.idsHelpPrompt);
    const wxSize size = GetClientSize();
    dc.SetBrush(wxBrush(BackgroundFor(mode_)));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(1, 1, size.x - 2, size.y - 2);
    dc.SetFont(GetFont());
    dc.SetTextForeground(*wxWHITE);
    dc.DrawText(vx::ToWx(text_), 3, 3);
}
