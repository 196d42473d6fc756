#include "quorvel/fields/FieldPlace.h"

#include <wx/sizer.h>

ControlPlace FindControlPlace(wxWindow* host, int id) {
    ControlPlace place;
    place.parent = host;
    if (wxWindow* old = host->FindWindow(id); old && old != host) {
        place.old = old;
        place.parent = old->GetParent();
        place.pos = old->GetPosition();
        place.size = old->GetSize();
        place.style = old->GetWindowStyleFlag();
    }
    return place;
}

void TakeControlPlace(const ControlPlace& place, wxWindow* replacement) {
    if (!place.old) return;
    if (wxSizer* sizer = place.old->GetContainingSizer()) sizer->Replace(place.old, replacement, true);
    replacement->MoveAfterInTabOrder(place.old);
    place.old->Destroy();
    place.parent->Layout();
}
