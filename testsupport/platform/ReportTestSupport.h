// Helpers of the reporting layer's tests: scratch directories, the poppler
// tools and PNG pixels.
#pragma once

#include "testsupport/ScratchDir.h"
#include "testsupport/platform/TestSupport.h"

#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/System.h"

#include <cairo.h>
#include <cstdlib>
#include <string>

namespace vx::report::testing {


using vx::ScratchDir;

// The text of a PDF as pdftotext gives it (UTF-8, pages separated by "\f").
inline std::string PdfText(const std::string& pdf) {
    std::string out = pdf + ".txt";
    if (RunProgram("pdftotext", {"-layout", pdf, out}) != 0) return "";
    std::string text;
    ReadWholeFile(out, text);
    return text;
}

// Renders page 1 at 50 dpi into png; false when pdftoppm fails.
inline bool RenderFirstPage(const std::string& pdf, const std::string& pngWithoutSuffix) {
    return RunProgram("pdftoppm", {"-png", "-r", "50", "-f", "1", "-l", "1", "-singlefile", pdf,
                                   pngWithoutSuffix}) == 0;
}


struct Rgb {
    int r = -1, g = -1, b = -1;
};

class Png {
public:
    explicit Png(const std::string& path) : s_(cairo_image_surface_create_from_png(ToFsName(path).c_str())) {}
    ~Png() { cairo_surface_destroy(s_); }
    Png(const Png&) = delete;
    Png& operator=(const Png&) = delete;
    bool Ok() const { return cairo_surface_status(s_) == CAIRO_STATUS_SUCCESS; }
    int Width() const { return Ok() ? cairo_image_surface_get_width(s_) : 0; }
    int Height() const { return Ok() ? cairo_image_surface_get_height(s_) : 0; }
    Rgb At(int x, int y) const {
        if (!Ok() || x < 0 || y < 0 || x >= Width() || y >= Height()) return {};
        cairo_surface_flush(s_);
        const unsigned char* row = cairo_image_surface_get_data(s_) + y * cairo_image_surface_get_stride(s_);
        uint32_t px = reinterpret_cast<const uint32_t*>(row)[x];
        return {int((px >> 16) & 0xFF), int((px >> 8) & 0xFF), int(px & 0xFF)};
    }

private:
    cairo_surface_t* s_;
};

// A layout of count lines and rectangles spread over the page, with both
// offsets set so that every object is narrowed and lowered.
inline std::string ManyObjectsLayout(int count) {
    std::string text = "[Layout]\nLeft=20\nTop=15\nBottom=15\nxOffset=3700\nyOffset=2900\n";
    for (int i = 0; i < count; ++i) {
        const double x = (i * 37) % 1700 / 10.0, y = (i * 53) % 2600 / 10.0;
        text += i % 2 ? Format("[Line:L%d]\nRect=%.1f,%.1f,%.1f,%.1f\n", i, x, y, (i % 7) + 0.3, (i % 5) - 2.0)
                      : Format("[Rect:R%d]\nRect=%.1f,%.1f,%.1f,%.1f\n", i, x, y, (i % 9) + 1.1, (i % 4) + 0.7);
    }
    return text;
}

inline size_t CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size())) ++n;
    return n;
}

} // namespace vx::report::testing
