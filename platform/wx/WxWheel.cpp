#include "platform/wx/WxWheel.h"

#include "platform/wx/WxFocus.h"

#include <wx/choice.h>
#include <wx/combo.h>
#include <wx/combobox.h>
#include <wx/event.h>
#include <wx/eventfilter.h>
#include <wx/scrolwin.h>

#include <algorithm>

namespace vx {
namespace {

// The choice list (a toolkit choice, a combo box or a drawn combo) that
// window is or lies in; null when it is in none.
wxWindow* ChoiceListOf(wxWindow* window) {
    for (wxWindow* w = window; w && !w->IsTopLevel(); w = w->GetParent())
        if (wxDynamicCast(w, wxChoice) || wxDynamicCast(w, wxComboBox) || dynamic_cast<wxComboCtrl*>(w)) return w;
    return nullptr;
}

bool HoldsKeyboard(wxWindow* list) {
    for (wxWindow* w = FocusedWindowIn(list); w; w = w->GetParent()) {
        if (w == list) return true;
        if (w->IsTopLevel()) break;
    }
    return false;
}

// Scrolls the nearest scrolled window around list as the wheel would have
// scrolled it; a list in no scrolled window stays as it is.
void ScrollAround(wxWindow* list, const wxMouseEvent& wheel) {
    for (wxWindow* w = list->GetParent(); w && !w->IsTopLevel(); w = w->GetParent()) {
        auto* scrolled = dynamic_cast<wxScrollHelper*>(w);
        if (!scrolled) continue;
        const int delta = wheel.GetWheelDelta() > 0 ? wheel.GetWheelDelta() : 120;
        const int lines = -wheel.GetWheelRotation() * wheel.GetLinesPerAction() / delta;
        int x = 0, y = 0;
        scrolled->GetViewStart(&x, &y);
        if (wheel.GetWheelAxis() == wxMOUSE_WHEEL_HORIZONTAL) x = std::max(0, x - lines);
        else y = std::max(0, y + lines);
        scrolled->Scroll(x, y);
        return;
    }
}

class WheelRule : public wxEventFilter {
public:
    int FilterEvent(wxEvent& event) override {
        if (event.GetEventType() != wxEVT_MOUSEWHEEL) return Event_Skip;
        wxWindow* list = ChoiceListOf(wxDynamicCast(event.GetEventObject(), wxWindow));
        if (!list || HoldsKeyboard(list)) return Event_Skip;
        if (auto* combo = dynamic_cast<wxComboCtrl*>(list); combo && combo->IsPopupShown()) return Event_Skip;
        // Handled here, so that neither the toolkit nor the list turns it into a choice.
        ScrollAround(list, static_cast<wxMouseEvent&>(event));
        return Event_Processed;
    }
};

} // namespace

void InstallWheelRule() {
    static WheelRule* rule = nullptr;
    if (rule) return;
    rule = new WheelRule;
    wxEvtHandler::AddFilter(rule);
}

} // namespace vx
