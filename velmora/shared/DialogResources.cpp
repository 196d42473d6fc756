#include "velmora/shared/DialogResources.h"

#include "platform/Files.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"

#include <wx/xrc/xmlres.h>

bool LoadVelmoraDialogs() {
    static bool loaded = false;
    if (loaded) return true;
    wxXmlResource* res = wxXmlResource::Get();
    res->InitAllHandlers();
    const std::string path = vx::JoinPath(vx::JoinPath(vx::ResourceDir(), "velmora"), "dialogs.xrc");
    loaded = res->Load(vx::ToWx(path));
    return loaded;
}
