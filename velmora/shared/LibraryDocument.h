// What the library's document commands read and change of a document:
// the project data (with the site height they may bring), the remarks, the
// place names and the catalogue order. The same in both programs; each
// document says through this interface how its path, its results and its
// views follow.
#pragma once

#include <string>

class CGrunddaten;
class CProjekt;
class CWString;
class QuorvelLibrary;

class LibraryDocument {
public:
    virtual ~LibraryDocument() = default;
    virtual CProjekt& DocumentProject() = 0;
    virtual CWString& DocumentRemarks() = 0;
    virtual CGrunddaten& DocumentSite() = 0;
    // The project number names the document (not added to the recent files).
    virtual void TakeProjectName(const std::string& name) = 0;
    // A height was taken: results invalid, the shown results go.
    virtual void SiteHeightTaken() = 0;
    // Something changed: the document is modified, the views follow.
    virtual void DocumentChanged() = 0;
};

// The file name a project number gives: the characters follow the rule both
// programs share, without blanks around it, and always with the program's
// extension (".kfx"), so that it never names a file of another kind. Empty
// when the number names nothing.
std::string ProjectDocumentName(const std::string& projectNumber, const std::string& extension);

// The site height a project brings while the user has not typed one: its
// site's height, else its recipient's, else "Grunddaten"/"GeoHoehe". False
// when the site height was typed (it stays).
bool TakeProjectSiteHeight(const CProjekt& project, CGrunddaten& site);

// "Projektdaten...": the library edits the project record; an answer is
// read into the project, names the document and may bring the site
// height. False when nothing came back.
bool RunProjectData(QuorvelLibrary& quorvel, LibraryDocument& document);
// "Bemerkungen...": the library edits the remarks; false when nothing came back.
bool RunRemarks(QuorvelLibrary& quorvel, LibraryDocument& document);
