#include "quorvel/fields/CVxtDialog.h"

#include "quorvel/fields/CPromptMessage.h"
#include "quorvel/fields/FieldEvent.h"
#include "quorvel/fields/FieldResources.h"
#include "platform/wx/WxText.h"

#include <wx/combo.h>
#include <wx/dcclient.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

CVxtDialog::CVxtDialog(int templateId_, wxWindow* parent, CVxtBase* object, int messageMode,
                       const FieldsDeliverable& fields)
    : templateId(templateId_), host_(this, *this, messageMode, fields) {
    LoadFieldResources(fields);
    const wxString name = FieldTemplateName(templateId, fields);
    wxXmlResource* res = wxXmlResource::Get();
    if (!(templateId && res->GetResourceNode(name) && res->LoadDialog(this, parent, name)))
        Create(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE);
    host_.core.object = object;
    Bind(wxEVT_INIT_DIALOG, &CVxtDialog::OnInit, this);
    Bind(wxEVT_BUTTON, &CVxtDialog::OnButton, this);
    Bind(wxEVT_MENU, &CVxtDialog::OnHelpCommand, this, WxCommandId(kLibraryHelpCommand));
    Bind(wxEVT_MENU, &CVxtDialog::OnHelpCommand, this, WxCommandId(57670));
    Bind(wxEVT_BUTTON, &CVxtDialog::OnHelpCommand, this, wxID_HELP);
    Bind(wxEVT_PAINT, &CVxtDialog::OnPaint, this);
    Bind(wxEVT_CHAR_HOOK, &CVxtDialog::OnCharHook, this);
}

CVxtDialog::~CVxtDialog() {
    host_.core.values.clear();
    host_.core.wrongFields.clear();
    host_.core.errorText.clear();
}

int CVxtDialog::RefreshFields(bool save) { return host_.core.RefreshFields(save); }

void CVxtDialog::CenterDialog() { CentreOnParent(); }

bool CVxtDialog::OnInitDialog() {
    TransferDataToWindow();
    CenterDialog();
    if (!title.empty()) SetTitle(vx::ToWx(title));
    host_.InitMessages();
    return true;
}

void CVxtDialog::OnInit(wxInitDialogEvent&) { OnInitDialog(); }

void CVxtDialog::Finish() {
    if (RefreshFields(true) == 0) return;
    if (!host_.core.MayEnd()) return;
    const int code = host_.core.endCode;
    const int answer = code == 1 ? wxID_OK : code == 2 ? wxID_CANCEL : code;
    if (IsModal()) EndModal(answer);
    else {
        SetReturnCode(answer);
        Hide();
    }
}

void CVxtDialog::OnOK() { host_.Enter(true); }

void CVxtDialog::OnButton(wxCommandEvent& event) {
    if (event.GetId() == wxID_OK) {
        OnOK();
    } else if (event.GetId() == 3) {
        host_.core.endCode = 3;
        Finish();
    } else {
        event.Skip();
    }
}

void CVxtDialog::OnHelpCommand(wxCommandEvent&) { ShowFieldHelp(helpContext); }

void CVxtDialog::OnCharHook(wxKeyEvent& event) {
    host_.altKey = event.AltDown();
    const int key = event.GetKeyCode();
    if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.HasAnyModifiers()) {
        // Enter in a one-line field or a closed combo box is the OK command
        // at once: left to the toolkit it presses the default button with an
        // animation during which a second Enter is lost, or, in a combo box,
        // nothing at all.
        wxWindow* focus = FindFocus();
        auto* text = dynamic_cast<wxTextCtrl*>(focus);
        auto* combo = dynamic_cast<wxComboCtrl*>(focus);
        const bool field = (text && !text->IsMultiLine()) || (combo && !combo->IsPopupShown());
        if (field && wxGetTopLevelParent(focus) == this) {
            OnOK();
            return;
        }
    }
    event.Skip();
}

void CVxtDialog::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    if (!bitmap.IsOk()) return;
    // Bottom right, 4 pixels in, above the message strip; framed grey and white.
    const wxSize client = GetClientSize();
    const int stripHeight = host_.strip ? host_.strip->GetSize().y : 0;
    const int x = client.x - 4 - bitmap.GetWidth();
    const int y = client.y - stripHeight - 4 - bitmap.GetHeight();
    dc.DrawBitmap(bitmap, x, y, true);
    dc.SetPen(wxPen(wxColour(0x80, 0x80, 0x80)));
    dc.DrawLine(x - 1, y + bitmap.GetHeight(), x - 1, y - 1);
    dc.DrawLine(x - 1, y - 1, x + bitmap.GetWidth(), y - 1);
    dc.SetPen(*wxWHITE_PEN);
    dc.DrawLine(x + bitmap.GetWidth(), y - 1, x + bitmap.GetWidth(), y + bitmap.GetHeight());
    dc.DrawLine(x + bitmap.GetWidth(), y + bitmap.GetHeight(), x - 1, y + bitmap.GetHeight());
}
