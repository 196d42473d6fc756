// For the display-free tests that draw text: the font caches are freed at
// the end of the test program, so that the leak checker sees only leaks of
// our own. Registered once however many test files include it.
#pragma once

#include "platform/report/FontCaches.h"

#include <gtest/gtest.h>

class FontCacheCleanup : public ::testing::Environment {
public:
    void TearDown() override { ReleaseFontCaches(); }
};

inline bool RegisterFontCacheCleanup() {
    static const bool registered =
        (::testing::AddGlobalTestEnvironment(new FontCacheCleanup), true);
    return registered;
}
[[maybe_unused]] static const bool kFontCacheCleanup = RegisterFontCacheCleanup();
