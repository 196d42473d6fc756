#include "velmora/DiagramWindow.h"

#include "platform/wx/WxCanvas.h"
#include "velmora/CVelmoraDiag.h"
#include "velmora/CWndInfo.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/graphics.h>

namespace {

// Without XOR drawing, a white line composed as the difference to what lies
// below inverts it, as a NOT raster operation does.
class WxInvertingCanvas : public vx::WxCanvas, public InvertingCanvas {
public:
    using vx::WxCanvas::WxCanvas;
    void InvertLine(vx::Point a, vx::Point b, int width) override {
        wxGraphicsContext* gc = Dc().GetGraphicsContext();
        if (!gc) {
            Dc().SetLogicalFunction(wxINVERT);
            SetPen(vx::kBlack, width);
            DrawLine(a, b);
            Dc().SetLogicalFunction(wxCOPY);
            return;
        }
        const wxCompositionMode mode = gc->GetCompositionMode();
        const wxAntialiasMode aa = gc->GetAntialiasMode();
        gc->SetAntialiasMode(wxANTIALIAS_NONE);
        gc->SetCompositionMode(wxCOMPOSITION_DIFF);
        SetPen(vx::kWhite, width);
        DrawLine(a, b);
        gc->SetCompositionMode(mode);
        gc->SetAntialiasMode(aa);
    }
};

} // namespace

bool CVxtDiagramm::CreateOverControl(wxWindow* parent, int controlId, long style) {
    if (!parent) return false;
    wxWindow* control = parent->FindWindow(controlId);
    if (!control || control->GetParent() != parent) return false;
    const wxRect rect = control->GetRect();
    control->Hide();
    control->Destroy();
    if (m_pWindow) m_pWindow->DestroyWindow();
    auto* window = new DiagramWindow(parent, rect, style, *this);
    AttachWindow(window);
    SetClientOutputRect();
    return true;
}

DiagramWindow::DiagramWindow(wxWindow* parent, const wxRect& rect, long style, CVxtDiagramm& diagram)
    : wxWindow(parent, wxID_ANY, rect.GetPosition(), rect.GetSize(), style | wxWANTS_CHARS, "DIAG"),
      m_pDiagram(&diagram) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_pTip = new CWndInfo(this, diagram.FontSize());
    Bind(wxEVT_PAINT, &DiagramWindow::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &DiagramWindow::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &DiagramWindow::OnLeftUp, this);
    Bind(wxEVT_MOTION, &DiagramWindow::OnMotion, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &DiagramWindow::OnCaptureLost, this);
    Bind(wxEVT_KEY_DOWN, &DiagramWindow::OnKeyDown, this);
    Bind(wxEVT_SHOW, &DiagramWindow::OnShow, this);
}

DiagramWindow::~DiagramWindow() {
    if (HasCapture()) ReleaseMouse();
    if (m_pDiagram && m_pDiagram->Window() == this) m_pDiagram->DetachWindow();
}

void DiagramWindow::DestroyWindow() {
    // From here on no event may reach the diagram.
    if (m_pDiagram && m_pDiagram->Window() == this) m_pDiagram->DetachWindow();
    m_pDiagram = nullptr;
    Destroy();
}

vx::Size DiagramWindow::ClientSize() const {
    const wxSize s = GetClientSize();
    return {s.GetWidth(), s.GetHeight()};
}

void DiagramWindow::ShowTip(double height, double size, int shape, vx::Point anchor) {
    m_pTip->ShowValues(height, size, shape, anchor);
    m_pTip->Show();
}

void DiagramWindow::HideTip() { m_pTip->Hide(); }

void DiagramWindow::PostCommandToParent(int id) {
    if (wxWindow* parent = GetParent()) {
        auto* event = new wxCommandEvent(wxEVT_BUTTON, id);
        event->SetEventObject(this);
        wxQueueEvent(parent->GetEventHandler(), event);
    }
}

void DiagramWindow::Render(wxDC& dc) {
    if (!m_pDiagram) return;
    WxInvertingCanvas canvas(dc);
    m_pDiagram->OnPaint(canvas);
    if (m_pTip->IsShown()) {
        const wxPoint origin = m_pTip->GetPosition();
        dc.SetDeviceOrigin(origin.x, origin.y);
        m_pTip->PaintOn(dc);
        dc.SetDeviceOrigin(0, 0);
    }
}

void DiagramWindow::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    if (!m_pDiagram) return;
    WxInvertingCanvas canvas(dc);
    m_pDiagram->OnPaint(canvas);
}

void DiagramWindow::OnLeftDown(wxMouseEvent& event) {
    if (!m_pDiagram) return;
    SetFocus();
    if (!HasCapture()) CaptureMouse();
    m_pDiagram->OnLButtonDown({event.GetX(), event.GetY()});
}

void DiagramWindow::OnLeftUp(wxMouseEvent&) {
    if (HasCapture()) ReleaseMouse();
}

void DiagramWindow::OnMotion(wxMouseEvent& event) {
    // Only a drag with the left button alone moves the crosshair.
    const bool leftOnly = event.LeftIsDown() && !event.MiddleIsDown() && !event.RightIsDown() &&
                          !event.ShiftDown() && !event.ControlDown();
    if (m_pDiagram && HasCapture() && leftOnly) m_pDiagram->OnMouseMove({event.GetX(), event.GetY()});
}

// Another window took the mouse: the drag simply ends (wx insists on a handler).
void DiagramWindow::OnCaptureLost(wxMouseCaptureLostEvent&) {}

void DiagramWindow::OnKeyDown(wxKeyEvent& event) {
    DiagramKey key = DiagramKey::Other;
    switch (event.GetKeyCode()) {
    case WXK_LEFT: key = DiagramKey::Left; break;
    case WXK_RIGHT: key = DiagramKey::Right; break;
    case WXK_UP: key = DiagramKey::Up; break;
    case WXK_DOWN: key = DiagramKey::Down; break;
    case WXK_NUMPAD_ADD: key = DiagramKey::Add; break;
    case WXK_NUMPAD_SUBTRACT: key = DiagramKey::Subtract; break;
    default: break;
    }
    if (!m_pDiagram || !m_pDiagram->OnKeyDown(key)) event.Skip();
}

void DiagramWindow::OnShow(wxShowEvent& event) {
    if (m_pDiagram) m_pDiagram->OnShowWindow(event.IsShown());
    event.Skip();
}
