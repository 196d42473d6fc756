// A new assignment table: the inputs cleared, and what the window side does
// next (ask for the project data, offer the catalogue order, reopen the last
// project).
#pragma once

#include <ctime>
#include <functional>
#include <string>

class CTarsiloDocCore;

struct NewDocumentSteps {
    bool postProjectData = false;     // command 32776 to the main window
    bool postCatalogueOrder = false;  // command 32775 to the main window
    std::string reopenPath;           // the last project to open; empty: a new one
};

class TarsiloNewDocument {
public:
    // The inputs, the fuel, the shape, the system, the FU box, the project
    // and the remark of a new table; the rows and the manufacturers go.
    static void ClearInputs(CTarsiloDocCore& doc);

    // "Datenbank"/"Stand_W" (default "2002/03") lies 400 days or more before
    // now, unless "Datenbank"/"Anzeige_W" is not 0. A text that is no date is never old.
    static bool CatalogueIsOld(std::time_t now);

    // The new-document step: inputs cleared, the reopen request taken.
    static NewDocumentSteps Run(CTarsiloDocCore& doc, bool hasMainWindow, std::time_t now);

    // Opens the last project; only a file that opened enters the recent files.
    static bool OpenLastProject(CTarsiloDocCore& doc, const std::string& path,
                                const std::function<void(const std::string&)>& addToRecentFiles);
};
