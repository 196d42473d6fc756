#include "velmora/CVxtDiagramm.h"

#include "platform/Archive.h"
#include "platform/Profile.h"

#include <algorithm>

CVxtDiagramm::CVxtDiagramm() {
    const vx::AppProfile& p = vx::Profile();
    m_nLogWidth = p.GetInt("Diagramm", "DiagX", 800);
    m_nLogHeight = p.GetInt("Diagramm", "DiagY", 800);
    m_nLeft = p.GetInt("Diagramm", "BeschriftL", 125);
    m_nTop = p.GetInt("Diagramm", "BeschriftO", 50);
    m_nRight = m_nLogWidth - p.GetInt("Diagramm", "BeschriftR", 25);
    m_nBottom = m_nLogHeight - p.GetInt("Diagramm", "BeschriftU", 125);
    ApplyLayoutToAxes();
}

CVxtDiagramm::~CVxtDiagramm() {
    if (m_pWindow) {
        DiagramWindowPeer* w = m_pWindow;
        m_pWindow = nullptr;
        w->DestroyWindow();
    }
}

void CVxtDiagramm::ApplyLayoutToAxes() {
    const vx::Rect plot = PlotRect(), logical = LogicalRect();
    for (CVxtAchse* a : {static_cast<CVxtAchse*>(&m_xAchse), static_cast<CVxtAchse*>(&m_yAchse)}) {
        a->SetPlotRect(plot);
        a->SetLogicalRect(logical);
    }
}

void CVxtDiagramm::SetOutputRect(const vx::Rect& rect) {
    const int offX = m_nLeft, offY = m_nLogHeight - m_nBottom;
    m_xAchse.SetDeviceRect(rect);
    m_yAchse.SetDeviceRect(rect);
    m_xAchse.SetOffsets(offX, offY);
    m_yAchse.SetOffsets(offX, offY);
}

int CVxtDiagramm::FontSizeForRect(const vx::Rect& rect, int ppiY) const {
    if (m_nLogHeight <= 0 || ppiY <= 0) return m_nFontSize;
    const double margin = double(rect.Height()) * (m_nLogTop + m_nLogHeight - m_nBottom) / m_nLogHeight;
    // Labels take a line from half a line below the axis, the title a line a quarter line under them.
    const double fitPixels = margin / 2.75;
    const int fit = int(fitPixels * 720.0 / ppiY);
    return std::max(1, std::min(m_nFontSize, fit));
}

void CVxtDiagramm::SetDrawingFontSize(int tenths) {
    m_nFontSize = tenths;
    m_xAchse.SetTitleFontSize(tenths);
    m_yAchse.SetTitleFontSize(tenths);
}

void CVxtDiagramm::SetClientOutputRect() {
    if (!m_pWindow) return;
    const vx::Size s = m_pWindow->ClientSize();
    SetOutputRect({0, 0, s.width, s.height});
}

void CVxtDiagramm::DrawToDC(vx::Canvas& dc) {
    m_font.CreateScaledFont(dc, "Courier New", m_nFontSize);
    dc.SetFont(m_font.Spec());
    dc.SetTextColor(vx::kBlack);
    dc.SetTextBackground(std::nullopt);
    m_xAchse.Draw(dc);
    m_yAchse.Draw(dc);
}

void CVxtDiagramm::OnPaint(vx::Canvas& dc) {
    SetClientOutputRect();
    DrawToDC(dc);
}

void CVxtDiagramm::Serialize(vx::Archive& ar) {
    m_xAchse.Serialize(ar);
    m_yAchse.Serialize(ar);
    int32_t* fields[] = {&m_nLogLeft, &m_nLogWidth, &m_nLogTop, &m_nLogHeight,
                         &m_nLeft,    &m_nRight,    &m_nTop,    &m_nBottom};
    if (ar.IsStoring()) {
        for (int32_t* f : fields) ar.WriteInt32(*f);
    } else {
        for (int32_t* f : fields) *f = ar.ReadInt32();
        ApplyLayoutToAxes();
    }
}

void CVxtDiagramm::Show(bool show) {
    if (m_pWindow) m_pWindow->ShowWindow(show);
}

void CVxtDiagramm::Redraw() {
    if (m_pWindow) m_pWindow->Redraw();
}

void CVxtDiagramm::SetFocus() {
    if (m_pWindow) m_pWindow->SetFocus();
}
