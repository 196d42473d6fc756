#include "tarsilo/TarsiloDocCommands.h"

#include "model/CRohr.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "values/CProjekt.h"
#include "velmora/shared/ProgramSettings.h"

#include <cctype>

CProjekt& TarsiloLibraryDocument::DocumentProject() { return doc_.project; }

CWString& TarsiloLibraryDocument::DocumentRemarks() { return doc_.remarks; }

CGrunddaten& TarsiloLibraryDocument::DocumentSite() { return doc_.construction.site; }

void TarsiloLibraryDocument::TakeProjectName(const std::string& name) {
    const std::string file = TarsiloDocCommands::ProjectFileName(name);
    if (!file.empty()) window_.TakeProjectPath(DocumentPath(file));
}

void TarsiloLibraryDocument::SiteHeightTaken() { TarsiloDocCommands::DropResults(doc_); }

std::string TarsiloDocCommands::ProjectFileName(const std::string& projectNumber) {
    return ProjectDocumentName(projectNumber, ".kbv");
}

void TarsiloDocCommands::DropResults(CTarsiloDocCore& doc) {
    doc.resultValid = 0;
    g_ResultsValid = 0;
    doc.rows.clear();
    doc.results.clear();
}

void TarsiloDocCommands::SetGeodeticHeight(CTarsiloDocCore& doc, double height) {
    CWDouble& z = doc.construction.site.geoHeight;
    z.value = height;
    const double preset = vx::ParseDouble(vx::Profile().GetString("Grunddaten", "GeoHoehe", "325"));
    z.marker = height == preset ? CWerte::MarkerDerived : CWerte::MarkerPlain;
    DropResults(doc);
}

void TarsiloDocCommands::ReloadCrossSectionTables() { CRohr::LoadCrossSectionTables(); }

bool TarsiloDocCommands::SendMail(vx::report::CalculationMailer& mailer, const CTarsiloDocCore& doc,
                                  const std::string& title, const vx::report::CalculationMailer::Export& exportTo) {
    return mailer.SendCalculationMail(exportTo, title, doc.project.Text(CProjekt::EmpfEmail),
                                      doc.project.Text(CProjekt::EmpfName1));
}
