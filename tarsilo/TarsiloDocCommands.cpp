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
    if (!file.empty()) window_.SetPathName(DocumentPath(file));
}

void TarsiloLibraryDocument::SiteHeightTaken() { TarsiloDocCommands::DropResults(doc_); }

std::string TarsiloDocCommands::ProjectFileName(const std::string& projectNumber) {
    // The characters follow the rule both programs share; blanks around the
    // number are no part of a file name.
    std::string name = ::ProjectFileName(projectNumber);
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name.find_first_not_of('-') == std::string::npos) return {};
    std::string ext = name.size() >= 4 ? name.substr(name.size() - 4) : std::string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ext != ".kbv") name += ".kbv";
    return name;
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
    return mailer.SendCalculationMail(exportTo, title, doc.project.Text(CProjekt::EmpfEmail));
}
