// Where the program and its data lie.
#pragma once

#include <string>

// The program's directory, without a trailing separator.
std::string GetProgramDir();
// The data directory: the program's own in CD-start mode, else profile
// "Datenbank"/"Pfad_<name>" (or "Pfad"), defaulting to "Pfad" as first read.
std::string GetDataDir(const char* name = nullptr);
// Set by a program started with "CDSTART".
void SetCdStartMode(bool on);
bool IsCdStartMode();
