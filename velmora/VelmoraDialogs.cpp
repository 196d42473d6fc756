#include "velmora/VelmoraDialogs.h"

#include "platform/Files.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "velmora/shared/DialogResources.h"

#include <wx/xrc/xmlres.h>

bool LoadVelmoraDialogs() {
    static bool loaded = false;
    if (loaded) return true;
    if (!LoadSharedDialogs()) return false;
    const std::string path = vx::JoinPath(vx::JoinPath(vx::ResourceDir(), "velmora"), "dialogs.xrc");
    loaded = wxXmlResource::Get()->Load(vx::ToWxPath(path));
    return loaded;
}
