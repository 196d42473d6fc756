#include "tarsilo/TarsiloNewDocument.h"

#include "platform/Profile.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "tarsilo/TarsiloFile.h"
#include "velmora/shared/CWrzKatalog.h"
#include "velmora/shared/ProgramSettings.h"

void TarsiloNewDocument::ClearInputs(CTarsiloDocCore& doc) {
    for (CWDouble* input : {&doc.outputFrom, &doc.outputTo, &doc.effectiveHeight, &doc.sectionSize, &doc.secondSide})
        input->value = 0;
    doc.fuelIndex = -1;
    doc.fuelName.clear();
    doc.shape = 0;
    doc.system = -1;
    doc.fu = 0;
    doc.project = CProjekt();
    doc.remarks.text.clear();
    doc.rows.clear();
    doc.results.clear();
    doc.manufacturers.clear();
    doc.resultValid = 0;
}

bool TarsiloNewDocument::CatalogueIsOld(std::time_t now) {
    const int anzeige = vx::Profile().GetInt("Datenbank", "Anzeige_W", 0);
    const std::string stand = vx::Profile().GetString("Datenbank", "Stand_W", kCatalogueStandDefault);
    return CWrzKatalog::IsDataOld(stand, anzeige, now);
}

NewDocumentSteps TarsiloNewDocument::Run(CTarsiloDocCore& doc, bool hasMainWindow, std::time_t now) {
    NewDocumentSteps steps;
    ClearInputs(doc);
    const bool reopen = g_OpenLast;
    steps.postProjectData = hasMainWindow && !reopen;
    steps.postCatalogueOrder = hasMainWindow && CatalogueIsOld(now);
    if (reopen) {
        g_OpenLast = false;
        steps.reopenPath = LastProjectPath();
    }
    return steps;
}

bool TarsiloNewDocument::OpenLastProject(CTarsiloDocCore& doc, const std::string& path,
                                         const std::function<void(const std::string&)>& addToRecentFiles) {
    if (path.empty() || !TarsiloFile::LoadFile(doc, path)) return false;
    if (addToRecentFiles) addToRecentFiles(path);
    return true;
}
