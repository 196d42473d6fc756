// The project dialog as the export GetProjektDaten runs it.
#pragma once

#include <string>

// Fills the library's project record from the PROJEKTDATEN text and shows the
// dialog over the host's active window; after "&Weiter" true with the edited
// record as PROJEKTDATEN text. Without a window application false.
bool RunProjectDialog(const std::string& record, std::string& edited);
