// The second program's description: its name, store, texts, version, help
// file and the creator it names in a hand-over record.
#pragma once

#include "velmora/shared/ProgramSettings.h"

const ProgramDescription& TarsiloProgram();
// Puts Tarsilo's description in place.
void UseTarsiloProgram();
