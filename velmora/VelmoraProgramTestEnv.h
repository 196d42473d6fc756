// For the program's tests: every test runs with the program's description
// in place, as the program does. Included by any test file of a test
// program; registered once however many include it.
#pragma once

#include "velmora/VelmoraSettings.h"

#include <gtest/gtest.h>

class VelmoraProgramEnvironment : public ::testing::Environment {
public:
    void SetUp() override { UseVelmoraProgram(); }
};

inline bool RegisterVelmoraProgramEnvironment() {
    static const bool registered =
        (::testing::AddGlobalTestEnvironment(new VelmoraProgramEnvironment), true);
    return registered;
}
[[maybe_unused]] static const bool kVelmoraProgramEnvironment = RegisterVelmoraProgramEnvironment();
