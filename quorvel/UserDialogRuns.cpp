#include "quorvel/UserDialogRuns.h"

#include "quorvel/CDlgAnwender.h"
#include "quorvel/CDlgFormular.h"
#include "quorvel/CDlgOpen.h"
#include "quorvel/CDlgWdbBestell.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/QuorvelDisplay.h"
#include "quorvel/fields/FieldsDeliverable.h"

#include <wx/app.h>

#include <string>

namespace {

wxWindow* DialogParent() {
    static const bool loaded = LoadFieldStrings(QuorvelFields());
    (void)loaded;
    return HostDialogParent();
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

int RunStartDialog(const char* title, const char* text, const char* choice1, const char* choice2,
                   const char* openChoice, int icon1, int icon2, int icon3) {
    if (!wxTheApp) return CDlgOpen::Cancelled;
    auto given = [](const char* s) { return std::string(s ? s : ""); };
    StartDialogTexts texts{given(title), given(text), given(choice1), given(choice2), given(openChoice),
                           {icon1, icon2, icon3}};
    CDlgOpen dialog(DialogParent(), texts);
    return dialog.ShowModal();
}

int RunOrderDialog() {
    CQuorvelApp& app = TheQuorvelApp();
    if (!app.HasAnwender()) app.Anwender().Load();
    if (!wxTheApp) return 2;
    CDlgWdbBestell dialog(DialogParent());
    return dialog.ShowModal() == wxID_OK ? 1 : 2;
}
