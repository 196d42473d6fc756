#include "velmora/shared/LibraryCommands.h"

#include "velmora/shared/CommandIds.h"
#include "velmora/shared/LibraryDocument.h"
#include "velmora/shared/ProgramSettings.h"
#include "velmora/shared/QuorvelLibrary.h"

#include <wx/event.h>

#include <utility>

namespace {

void Bind(wxEvtHandler& handler, int id, const char* exportName, std::function<void()> run,
          std::function<bool()> busy = {}) {
    if (id == 0) return;
    handler.Bind(wxEVT_MENU, [exportName, run, busy](wxCommandEvent& e) {
        // A command that can do nothing now goes on to whoever else listens.
        if ((busy && busy()) || !Quorvel().HasExport(exportName)) return e.Skip();
        run();
    }, id);
    handler.Bind(wxEVT_UPDATE_UI, [exportName, busy](wxUpdateUIEvent& e) {
        e.Enable(!(busy && busy()) && Quorvel().HasExport(exportName));
    }, id);
    RoutedCommands().insert(id);
}

} // namespace

void InstallLibraryAppCommands(wxEvtHandler& handler, const LibraryAppCommandIds& ids,
                               std::function<std::string()> printLayout) {
    Bind(handler, ids.userData, "GetAnwenderDaten", [] { RunUserData(Quorvel(), TheUser()); });
    Bind(handler, ids.formular, "Formular", [layout = std::move(printLayout)] {
        if (layout) ShareFormLayout(layout());
        Quorvel().Formular();
    });
}

void InstallLibraryDocumentCommands(wxEvtHandler& handler, LibraryDocument& document,
                                    const LibraryDocumentCommandIds& ids, std::function<bool()> busy) {
    LibraryDocument* doc = &document;
    Bind(handler, ids.orderUpdate, "WdbBestell", [] { Quorvel().WdbBestell(); }, busy);
    Bind(handler, ids.projectData, "GetProjektDaten", [doc] { RunProjectData(Quorvel(), *doc); }, busy);
    Bind(handler, ids.remarks, "GetBemerkung", [doc] { RunRemarks(Quorvel(), *doc); }, busy);
    Bind(handler, ids.placeNames, "BearbOrte", [] { Quorvel().BearbOrte(); }, busy);
}
