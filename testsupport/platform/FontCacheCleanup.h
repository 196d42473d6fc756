// For the display-free tests that draw text: the font caches are freed at
// the end of the test program, so that the leak checker sees only leaks of
// our own.
#pragma once

#include "platform/report/FontCaches.h"
#include "testsupport/ProgramEnvironment.h"

[[maybe_unused]] static const bool kFontCacheCleanup =
    vx::RegisterProgramEnvironment<nullptr, ReleaseFontCaches>();
