#include "velmora/shared/DialogResources.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "platform/wx/WxMnemonics.h"
#include "platform/wx/WxText.h"

#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

bool LoadSharedDialogs() {
    static bool loaded = false;
    if (loaded) return true;
    wxXmlResource* res = wxXmlResource::Get();
    res->InitAllHandlers();
    const std::string path = vx::JoinPath(vx::JoinPath(vx::ResourceDir(), "shared"), "dialogs.xrc");
    loaded = res->Load(vx::ToWxPath(path));
    return loaded;
}

void RejectField(wxTextCtrl* field, unsigned messageId) {
    // Named as the forms name their fields, by the label before it.
    const std::string label = field ? vx::FromWx(vx::LabelOf(field)) : std::string();
    const std::string text = vx::LoadString(messageId);
    vx::ShowMessage(label.empty() ? text : label + ": " + text);
    if (!field) return;
    field->SetFocus();
    field->SelectAll();
}
