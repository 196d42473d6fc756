#include "quorvel/UserDialogRuns.h"

#include "quorvel/CDlgFormular.h"
#include "quorvel/fields/FieldsDeliverable.h"

#include <wx/app.h>

namespace {

wxWindow* DialogParent() {
    static const bool loaded = LoadFieldStrings(QuorvelFields());
    (void)loaded;
    wxWindow* parent = wxGetActiveWindow();
    return parent ? parent : wxTheApp->GetTopWindow();
}

} // namespace

int RunFormularDialog() {
    if (!wxTheApp) return 2;
    CDlgFormular dialog(DialogParent());
    return dialog.ShowModal() == wxID_OK ? 1 : 2;
}
