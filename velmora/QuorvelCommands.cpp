#include "velmora/QuorvelCommands.h"

#include "velmora/CommandIds.h"
#include "velmora/VelmoraSettings.h"
#include "velmora/shared/QuorvelLibrary.h"

#include <wx/event.h>

void InstallQuorvelCommands(wxEvtHandler& handler) {
    struct Command {
        int id;
        const char* exportName;
        void (*run)();
    };
    static const Command commands[] = {
        {ID_USER_DATA, "GetAnwenderDaten", [] { RunUserData(Quorvel(), TheUser()); }},
        {ID_FORMULAR, "Formular", [] { Quorvel().Formular(); }},
    };
    for (const Command& c : commands) {
        handler.Bind(wxEVT_MENU, [&c](wxCommandEvent&) {
            if (Quorvel().HasExport(c.exportName)) c.run();
        }, c.id);
        handler.Bind(wxEVT_UPDATE_UI, [&c](wxUpdateUIEvent& e) { e.Enable(Quorvel().HasExport(c.exportName)); }, c.id);
        RoutedCommands().insert(c.id);
    }
}
