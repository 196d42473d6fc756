#include "velmora/shared/LibraryDocument.h"

#include "model/CGrunddaten.h"
#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "values/CProjekt.h"
#include "values/CWString.h"
#include "velmora/shared/QuorvelLibrary.h"

#include <cctype>

namespace {
constexpr double kUnknownHeight = -99.0;
}

std::string ProjectDocumentName(const std::string& projectNumber, const std::string& extension) {
    std::string name = ProjectFileName(projectNumber);
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name.find_first_not_of('-') == std::string::npos) return {};
    std::string ending = name.size() >= extension.size() ? name.substr(name.size() - extension.size()) : std::string();
    for (char& c : ending) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ending != extension) name += extension;
    // The project number is text; the document's name is a file name.
    return vx::PathFromText(name);
}

bool TakeProjectSiteHeight(const CProjekt& project, CGrunddaten& site) {
    CWDouble& z = site.geoHeight;
    if (z.marker == CWerte::MarkerPlain) return false;
    if (project.siteHeight != kUnknownHeight) z.value = project.siteHeight;
    else if (project.recipientHeight != kUnknownHeight) z.value = project.recipientHeight;
    else z.value = vx::ParseDouble(vx::Profile().GetString("Grunddaten", "GeoHoehe", "325"));
    return true;
}

bool RunProjectData(QuorvelLibrary& quorvel, LibraryDocument& document) {
    CProjekt& project = document.DocumentProject();
    const auto answer = quorvel.GetProjektDaten(project.WriteRecord());
    if (!answer) return false;
    project.ReadRecord(*answer);
    const std::string name = ProjectFileName(project.Text(CProjekt::Nummer));
    if (!name.empty()) document.TakeProjectName(name);
    if (TakeProjectSiteHeight(project, document.DocumentSite())) document.SiteHeightTaken();
    document.DocumentChanged();
    return true;
}

bool RunRemarks(QuorvelLibrary& quorvel, LibraryDocument& document) {
    CWString& remarks = document.DocumentRemarks();
    const auto answer = quorvel.GetBemerkung(remarks.text);
    if (!answer) return false;
    remarks.text = *answer;
    document.DocumentChanged();
    return true;
}
