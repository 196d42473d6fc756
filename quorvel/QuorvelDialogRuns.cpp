#include "quorvel/QuorvelDialogRuns.h"

#include "quorvel/CDlgBemerk.h"
#include "quorvel/CDlgOrte.h"
#include "quorvel/QuorvelDisplay.h"
#include "quorvel/fields/FieldsDeliverable.h"

#include <wx/app.h>

namespace {

// The window the host's dialog would have as owner; fields' texts once.
bool PrepareDialogs(wxWindow*& parent) {
    if (!wxTheApp) return false;
    static const bool loaded = LoadFieldStrings(QuorvelFields());
    (void)loaded;
    parent = HostDialogParent();
    return true;
}

} // namespace

int RunPlacesDialog() {
    wxWindow* parent = nullptr;
    if (!PrepareDialogs(parent)) return 2;
    CDlgOrte dialog(parent);
    return dialog.ShowModal() == wxID_OK ? 1 : 2;
}

bool RunRemarkDialog(const std::string& text, std::string& edited) {
    wxWindow* parent = nullptr;
    if (!PrepareDialogs(parent)) return false;
    CDlgBemerk dialog(parent, text);
    if (dialog.ShowModal() != wxID_OK) return false;
    edited = dialog.text;
    return true;
}
