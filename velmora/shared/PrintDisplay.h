// A print with the display: the job with its options dialog, printer and
// preview, the printer choice of mode 6, and the wait cursor.
#pragma once

#include "velmora/shared/CProgramPrint.h"

#include <memory>

class wxWindow;

// owner may be null.
void AttachDisplay(CProgramPrint& print, wxWindow* owner);

template <typename Print> std::unique_ptr<Print> MakeDisplayPrint(wxWindow* owner) {
    auto print = std::make_unique<Print>();
    AttachDisplay(*print, owner);
    return print;
}
