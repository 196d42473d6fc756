#include "quorvel/QuorvelDialogs.h"

#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/wx/WxText.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/QuorvelTables.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/window.h>

void AddDialogButton(wxWindow* parent, wxSizer* row, int id, const std::string& label) {
    const int wxId = id == 1                     ? int(wxID_OK)
                     : id == 2                   ? int(wxID_CANCEL)
                     : id == kLibraryHelpCommand ? int(wxID_HELP)
                                                 : id;
    row->Add(new wxButton(parent, wxId, vx::ToWx(label)), 0, wxALL, 3);
}

wxString QuorvelLabel(unsigned id) { return vx::ToWx(QuorvelString(id)); }

void AddToolTips(wxWindow* dialog, const std::vector<std::pair<int, unsigned>>& tips) {
    if (vx::Profile().GetInt("Global", "ToolTip", 1) == 0) return;
    for (const auto& [id, text] : tips)
        if (wxWindow* control = dialog->FindWindow(id)) control->SetToolTip(QuorvelLabel(text));
}

void GreyHelpButton(wxWindow* dialog) {
    if (wxWindow* help = dialog->FindWindow(wxID_HELP)) help->Disable();
}

bool TableUsable(const CQuorvelTable* table) {
    if (table && table->IsOpen()) return true;
    vx::ShowMessage(QuorvelString(IDS_QV_DB_OPEN_ERROR), vx::MB_OK | vx::MB_ICONSTOP);
    return false;
}

bool SaysAddressWouldBeCut(wxWindow* dialog, int control, const std::string& fieldName,
                           const std::string& text, size_t width) {
    if (text.size() <= width) return false;
    const std::string message = QuorvelString(IDS_QV_ADDRESS_TOO_LONG);
    vx::ShowMessage(vx::Format(message, fieldName, int(width), text.substr(width)),
                    vx::MB_OK | vx::MB_ICONEXCLAMATION);
    if (wxWindow* field = dialog->FindWindow(control)) field->SetFocus();
    return true;
}
