// The commands that call into Quorvel, bound once for both programs: the
// application's ("Anwender...", "Formular...") and the document's (order
// update, project data, remarks, place names). Each is greyed while the
// library or its export is missing. The programs give their command ids.
#pragma once

#include <functional>
#include <string>

class wxEvtHandler;
class LibraryDocument;

struct LibraryAppCommandIds {
    int userData = 0;
    int formular = 0;
};

struct LibraryDocumentCommandIds {
    int orderUpdate = 0;
    int projectData = 0;
    int remarks = 0;
    int placeNames = 0;
};

// Binds the application's library commands and their menu states to handler;
// printLayout names the layout the program prints with, for the form settings.
void InstallLibraryAppCommands(wxEvtHandler& handler, const LibraryAppCommandIds& ids,
                               std::function<std::string()> printLayout = {});
// Binds the document's library commands to handler for document; while
// busy() holds (a calculation runs) they do nothing and are greyed.
void InstallLibraryDocumentCommands(wxEvtHandler& handler, LibraryDocument& document,
                                    const LibraryDocumentCommandIds& ids, std::function<bool()> busy = {});
