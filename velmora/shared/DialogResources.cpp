#include "velmora/shared/DialogResources.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
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
    vx::ShowMessageId(messageId);
    if (!field) return;
    field->SetFocus();
    field->SelectAll();
}
