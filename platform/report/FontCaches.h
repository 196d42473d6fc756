// cairo and fontconfig keep their font caches for the life of the process.
#pragma once

// Frees them; no text may be drawn afterwards. For the end of a test
// program, so that the leak checker sees only leaks of our own.
void ReleaseFontCaches();
