// For the program's tests: every test runs with the program's description
// in place, as the program does. Included by any test file of a test
// program.
#pragma once

#include "testsupport/ProgramEnvironment.h"
#include "velmora/VelmoraSettings.h"

[[maybe_unused]] static const bool kVelmoraProgramEnvironment =
    vx::RegisterProgramEnvironment<UseVelmoraProgram, nullptr>();
