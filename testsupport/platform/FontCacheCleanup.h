// For the display-free tests that draw text: cairo and fontconfig keep their
// font caches for the life of the process; they are freed at the end of the
// test program, so that the leak checker sees only leaks of our own.
#pragma once

#include "testsupport/ProgramEnvironment.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

// No text may be drawn afterwards.
inline void ReleaseFontCaches() {
    cairo_debug_reset_static_data();
    FcFini();
}

[[maybe_unused]] static const bool kFontCacheCleanup =
    vx::RegisterProgramEnvironment<nullptr, ReleaseFontCaches>();
