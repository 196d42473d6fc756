// A print with the display: the job with its options dialog, printer and
// preview, the printer choice of mode 6, and the wait cursor.
#pragma once

#include "velmora/shared/CProgramPrint.h"

#include <functional>
#include <memory>

class wxEvtHandler;
class wxWindow;

// owner may be null.
void AttachDisplay(CProgramPrint& print, wxWindow* owner);

// The document's "Drucken..." (the options dialog decides) and preview
// commands, run and enabled while ready says so; the mail command is the
// document's too, bound by the program.
void BindPrintCommands(wxEvtHandler& doc, std::function<bool()> ready, std::function<void(int mode)> print);

template <typename Print> std::unique_ptr<Print> MakeDisplayPrint(wxWindow* owner) {
    auto print = std::make_unique<Print>();
    AttachDisplay(*print, owner);
    return print;
}
