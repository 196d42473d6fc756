#include "platform/report/CairoCanvas.h"

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/PlatformText.h"

#include <cairo-pdf.h>
#include <cmath>
#include <numbers>

namespace vx::report {
namespace {

void SetColor(cairo_t* cr, Color c) { cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0); }

cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

CairoCanvas::CairoCanvas(cairo_t* cr, Size ppi) : cr_(cr), ppi_(ppi) {
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
    SetFont(font_);
}

void CairoCanvas::SetPen(Color color, int width) {
    pen_ = color;
    penWidth_ = width > 0 ? width : 1;  // width 0: the thinnest line, as on a device
}
void CairoCanvas::SetNoPen() { pen_.reset(); }
void CairoCanvas::SetBrush(Color color) { brush_ = color; }
void CairoCanvas::SetNoBrush() { brush_.reset(); }

void CairoCanvas::SetFont(const FontSpec& font) {
    font_ = font;
    std::string family = Cp1252ToUtf8(font.face);
    cairo_select_font_face(cr_, family.c_str(), font.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, font.pixelHeight > 0 ? font.pixelHeight : 1);
}

void CairoCanvas::SetTextColor(Color color) { text_ = color; }
void CairoCanvas::SetTextBackground(std::optional<Color> color) { textBackground_ = color; }

void CairoCanvas::Stroke() {
    if (pen_) {
        SetColor(cr_, *pen_);
        cairo_set_line_width(cr_, penWidth_);
        cairo_stroke(cr_);
    } else {
        cairo_new_path(cr_);
    }
}

void CairoCanvas::Fill(bool preserve) {
    if (!brush_) return;
    SetColor(cr_, *brush_);
    preserve ? cairo_fill_preserve(cr_) : cairo_fill(cr_);
}

void CairoCanvas::DrawLine(Point a, Point b) {
    cairo_move_to(cr_, a.x, a.y);
    cairo_line_to(cr_, b.x, b.y);
    Stroke();
}

void CairoCanvas::DrawLines(std::span<const Point> points) {
    if (points.size() < 2) return;
    cairo_move_to(cr_, points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr_, points[i].x, points[i].y);
    Stroke();
}

void CairoCanvas::DrawPolygon(std::span<const Point> points) {
    if (points.size() < 3) return;
    cairo_move_to(cr_, points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr_, points[i].x, points[i].y);
    cairo_close_path(cr_);
    Fill(true);
    Stroke();
}

void CairoCanvas::DrawRectangle(const Rect& r) {
    cairo_rectangle(cr_, r.left, r.top, r.Width(), r.Height());
    Fill(true);
    Stroke();
}

void CairoCanvas::DrawText(std::string_view text, Point topLeft) {
    if (text.empty()) return;
    std::string utf8 = Cp1252ToUtf8(text);
    cairo_font_extents_t fe;
    cairo_font_extents(cr_, &fe);
    cairo_text_extents_t te;
    cairo_text_extents(cr_, utf8.c_str(), &te);
    cairo_save(cr_);
    cairo_translate(cr_, topLeft.x, topLeft.y);
    if (font_.escapement != 0) cairo_rotate(cr_, -font_.escapement * std::numbers::pi / 1800.0);
    if (textBackground_) {
        SetColor(cr_, *textBackground_);
        cairo_rectangle(cr_, 0, 0, te.x_advance, fe.ascent + fe.descent);
        cairo_fill(cr_);
    }
    SetColor(cr_, text_);
    cairo_move_to(cr_, 0, fe.ascent);
    cairo_show_text(cr_, utf8.c_str());
    double thick = std::max(1.0, font_.pixelHeight / 14.0);
    auto rule = [&](double y) {
        cairo_rectangle(cr_, 0, y, te.x_advance, thick);
        cairo_fill(cr_);
    };
    if (font_.underline) rule(fe.ascent + fe.descent / 3);
    if (font_.strikeOut) rule(fe.ascent * 0.65);
    cairo_restore(cr_);
}

Size CairoCanvas::GetTextExtent(std::string_view text) {
    std::string utf8 = Cp1252ToUtf8(text);
    cairo_font_extents_t fe;
    cairo_font_extents(cr_, &fe);
    cairo_text_extents_t te;
    cairo_text_extents(cr_, utf8.c_str(), &te);
    return {int(std::lround(te.x_advance)), int(std::lround(fe.ascent + fe.descent))};
}

void CairoCanvas::SetClipRect(const Rect& r) {
    cairo_reset_clip(cr_);
    cairo_rectangle(cr_, r.left, r.top, r.Width(), r.Height());
    cairo_clip(cr_);
}

void CairoCanvas::ResetClip() { cairo_reset_clip(cr_); }

MeasureCanvas::Surface::Surface() {
    surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cr = cairo_create(surface);
}

MeasureCanvas::MeasureCanvas() : MeasureCanvas(Surface()) {}
MeasureCanvas::MeasureCanvas(Surface s) : CairoCanvas(s.cr, {254, 254}), s_(s) {}

MeasureCanvas::~MeasureCanvas() {
    cairo_destroy(s_.cr);
    cairo_surface_destroy(s_.surface);
}

bool WritePdf(const ReportPages& pages, const std::string& path, std::string& error) {
    // Points per layout unit.
    const double scale = 72.0 / 254.0;
    std::string data;
    cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(
        AppendToString, &data, pages.pageSize.width * scale, pages.pageSize.height * scale);
    cairo_t* cr = cairo_create(surface);
    for (const ReportPage& page : pages.pages) {
        cairo_save(cr);
        cairo_scale(cr, scale, scale);
        CairoCanvas canvas(cr, {254, 254});
        Replay(page, canvas);
        cairo_restore(cr);
        cairo_reset_clip(cr);
        cairo_show_page(cr);
    }
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        error = Format(PlatformText(IDS_PDF_DATEI_FEHLER), PathForDisplay(path),
                       cairo_status_to_string(status));
        return false;
    }
    if (!WriteFileAtomic(path, data)) {
        error = Format(PlatformText(IDS_PDF_DATEI_NICHT_GESCHRIEBEN), PathForDisplay(path));
        return false;
    }
    return true;
}

} // namespace vx::report
