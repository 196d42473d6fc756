// The main program's description and its own settings; the start-up steps
// both programs share are in ProgramSettings.
#pragma once

#include "velmora/shared/ProgramSettings.h"

// Velmora's name, store, texts, version and help file.
const ProgramDescription& VelmoraProgram();
// Puts Velmora's description in place.
void UseVelmoraProgram();

// "Global"/"Hinweis": the menu item is checked while it is 0.
void ToggleHint();
bool HintChecked();
