#include "velmora/CVxtFont.h"

#include "platform/Profile.h"

#include <cstdlib>

bool CVxtFont::CreateScaledFont(vx::Canvas& dc, std::string_view face, int height, int escapement,
                                unsigned style) {
    const int ppiY = dc.PixelsPerInch().height;
    // A point is 1/72 inch; height comes in tenths of a point.
    const int y = int(double(height) * ppiY / 72.0);
    m_nHeight = -int(std::abs(y) / 10.0 + 0.5);
    m_nCharSet = vx::Profile().GetString("Global", "SprachKZ") == "RUS" ? 204 : 1;

    m_spec = vx::FontSpec{};
    m_spec.face = std::string(face.substr(0, 31));
    m_spec.pixelHeight = -m_nHeight;
    m_spec.escapement = escapement;
    m_spec.bold = style & Bold;
    m_spec.italic = style & Italic;
    m_spec.underline = style & Underline;
    m_spec.strikeOut = style & StrikeOut;
    m_bCreated = true;
    return true;
}
