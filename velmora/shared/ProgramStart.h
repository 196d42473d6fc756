// The first start-up steps both programs take in the same order: names,
// messages, German texts, image and layout handlers, the command line, the
// settings store and the string files. The program's description must be in
// place (UseProgram) before.
#pragma once

#include "velmora/shared/CCmdLineInfo.h"

class wxApp;

// testCloseVariable: set by the tests that start the program; its messages
// then go to standard error, the loaded library's too.
void StartProgram(wxApp& app, CCmdLineInfo& cmdLine, const char* testCloseVariable);
