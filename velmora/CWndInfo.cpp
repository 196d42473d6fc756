#include "velmora/CWndInfo.h"

#include "platform/wx/WxCanvas.h"
#include "velmora/CVelmoraDiag.h"

#include <wx/dcclient.h>

namespace {
const vx::Color kTipBackground{0, 255, 0};
}

CWndInfo::CWndInfo(wxWindow* parent, int fontSize)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(0, 0), wxBORDER_NONE, "INFO"), m_nFontSize(fontSize) {
    Hide();
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CWndInfo::OnPaint, this);
}

void CWndInfo::ShowValues(double height, double size, int shape, vx::Point anchor) {
    wxClientDC dc(this);
    if (!m_font.IsCreated()) {
        vx::WxCanvas canvas(dc);
        m_font.CreateScaledFont(canvas, "Courier New", m_nFontSize);
    }
    m_ptAnchor = anchor;
    m_strText = FormatCursorValues(height, size, shape);
    Place(dc);
}

void CWndInfo::Place(wxDC& dc) {
    if (m_strText.empty()) return;
    vx::WxCanvas canvas(dc);
    canvas.SetFont(m_font.Spec());
    const vx::Size ext = canvas.GetTextExtent(m_strText);
    const vx::Rect r = PlaceValueTip(ext, m_ptAnchor, GetParent()->GetClientSize().GetWidth());
    SetSize(r.left, r.top, r.Width(), r.Height());
    Refresh();
}

void CWndInfo::PaintOn(wxDC& dc) {
    if (m_strText.empty()) return;
    vx::WxCanvas canvas(dc);
    const wxSize size = GetClientSize();
    canvas.SetNoPen();
    canvas.SetBrush(kTipBackground);
    canvas.DrawRectangle({0, 0, size.GetWidth(), size.GetHeight()});
    canvas.SetFont(m_font.Spec());
    canvas.SetTextColor(vx::kBlack);
    canvas.SetTextBackground(kTipBackground);
    canvas.DrawText(m_strText, {0, 0});
}

void CWndInfo::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    PaintOn(dc);
}
