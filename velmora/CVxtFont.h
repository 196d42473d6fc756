// Fonts of a size in points for any device: screen, printer page or preview.
#pragma once

#include "platform/Canvas.h"

#include <string_view>

class CVxtFont {
public:
    enum Style : unsigned { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };

    // height in tenths of a point, escapement in tenths of a degree. The size
    // follows the device's pixels per inch, so a page gets the same point size
    // as the screen.
    bool CreateScaledFont(vx::Canvas& dc, std::string_view face, int height, int escapement = 0,
                          unsigned style = 0);

    bool IsCreated() const { return m_bCreated; }
    const vx::FontSpec& Spec() const { return m_spec; }
    // The font's height as the system states it: negative, in device units.
    int Height() const { return m_nHeight; }
    // 204 (Cyrillic) when the program runs in Russian, else 1 (the default set).
    int CharSet() const { return m_nCharSet; }

private:
    vx::FontSpec m_spec;
    int m_nHeight = 0;
    int m_nCharSet = 1;
    bool m_bCreated = false;
};
