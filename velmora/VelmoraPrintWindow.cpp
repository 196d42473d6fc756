#include "velmora/VelmoraPrintWindow.h"

#include <wx/menu.h>

bool RemoveMenuItemWithSeparator(wxMenuBar* bar, int id) {
    if (!bar) return false;
    wxMenu* menu = nullptr;
    wxMenuItem* item = bar->FindItem(id, &menu);
    if (!item || !menu) return false;
    wxMenuItemList::compatibility_iterator node = menu->GetMenuItems().Find(item);
    if (!node) return false;
    wxMenuItem* before = node->GetPrevious() ? node->GetPrevious()->GetData() : nullptr;
    wxMenuItem* after = node->GetNext() ? node->GetNext()->GetData() : nullptr;
    menu->Destroy(item);
    if (before && after && before->IsSeparator() && after->IsSeparator()) menu->Destroy(after);
    return true;
}
