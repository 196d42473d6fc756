#include "velmora/shared/LibraryDocument.h"

#include "model/CGrunddaten.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "values/CProjekt.h"
#include "values/CWString.h"
#include "velmora/shared/QuorvelLibrary.h"

namespace {
constexpr double kUnknownHeight = -99.0;
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
