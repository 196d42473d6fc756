#include "quorvel/UserDialogRuns.h"

#include "quorvel/CDlgAnwender.h"
#include "quorvel/CDlgFormular.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/fields/FieldsDeliverable.h"

#include <wx/app.h>

#include <string>

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

const char* RunUserDataDialog(const char* text, int layoutFlags) {
    // Valid until the next call; freed when the library unloads.
    static std::string answer;
    CAnwender& record = TheQuorvelApp().Anwender();
    // Each call starts from the record it is given, not from the last answer.
    record = CAnwender();
    record.ReadRecord(text ? text : "");
    if (!wxTheApp) return nullptr;
    CDlgAnwender dialog(DialogParent(), record, layoutFlags);
    if (dialog.ShowModal() != wxID_OK) return nullptr;
    record = dialog.record;
    answer = record.WriteRecord();
    return answer.c_str();
}
