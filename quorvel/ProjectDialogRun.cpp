#include "quorvel/ProjectDialogRun.h"

#include "quorvel/CDlgProjektV2.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/QuorvelDisplay.h"
#include "quorvel/fields/FieldsDeliverable.h"

#include <wx/app.h>

bool RunProjectDialog(const std::string& record, std::string& edited) {
    if (!wxTheApp) return false;
    static const bool loaded = LoadFieldStrings(QuorvelFields());
    (void)loaded;
    wxWindow* parent = HostDialogParent();
    CProjekt& projekt = TheQuorvelApp().Projekt();
    projekt.ReadRecord(record);
    CDlgProjektV2 dialog(parent, projekt);
    if (dialog.ShowModal() != wxID_OK) return false;
    projekt = dialog.projekt;
    edited = projekt.WriteRecord();
    return true;
}
