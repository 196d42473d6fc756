#include "platform/wx/WxFocus.h"

#include <wx/window.h>

#include <dlfcn.h>

namespace vx {
namespace {

#ifdef __WXGTK__
using GetFocus = GtkWidget* (*)(GtkWidget*);
using IsAncestor = int (*)(GtkWidget*, GtkWidget*);

// The deepest window below parent whose widget holds focus.
wxWindow* Holder(wxWindow* parent, GtkWidget* focus, IsAncestor isAncestor) {
    for (wxWindow* child : parent->GetChildren()) {
        if (child->IsTopLevel()) continue;
        GtkWidget* widget = child->GetHandle();
        if (!widget || !(widget == focus || isAncestor(focus, widget))) continue;
        wxWindow* deeper = Holder(child, focus, isAncestor);
        return deeper ? deeper : child;
    }
    return nullptr;
}
#endif

} // namespace

wxWindow* FocusedWindowIn(wxWindow* top) {
    if (wxWindow* focus = wxWindow::FindFocus()) return focus;
    return KeyboardControlOf(top);
}

wxWindow* KeyboardControlOf(wxWindow* top) {
#ifdef __WXGTK__
    static const auto getFocus = reinterpret_cast<GetFocus>(::dlsym(RTLD_DEFAULT, "gtk_window_get_focus"));
    static const auto isAncestor = reinterpret_cast<IsAncestor>(::dlsym(RTLD_DEFAULT, "gtk_widget_is_ancestor"));
    if (!top || !getFocus || !isAncestor) return nullptr;
    while (!top->IsTopLevel() && top->GetParent()) top = top->GetParent();
    GtkWidget* focus = top->GetHandle() ? getFocus(top->GetHandle()) : nullptr;
    return focus ? Holder(top, focus, isAncestor) : nullptr;
#else
    (void)top;
    return nullptr;
#endif
}

} // namespace vx
