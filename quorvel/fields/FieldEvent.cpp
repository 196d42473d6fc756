#include "quorvel/fields/FieldEvent.h"

#include <wx/window.h>

#include <set>

wxDEFINE_EVENT(VXT_EVT_FIELD, FieldEvent);

FieldEvent::FieldEvent(int message_, long wParam_, CWerte* value_, wxWindow* window_)
    : wxEvent(0, VXT_EVT_FIELD), message(message_), wParam(wParam_), value(value_), window(window_) {}

namespace {
// Hosts are known by address, not by a run-time class record.
std::set<wxWindow*>& Hosts() {
    static std::set<wxWindow*> hosts;
    return hosts;
}
} // namespace

void MarkFieldHost(wxWindow* host, bool on) {
    if (on) Hosts().insert(host);
    else Hosts().erase(host);
}

wxWindow* FieldHostOf(wxWindow* field) {
    if (!field) return nullptr;
    for (wxWindow* w = field->GetParent(); w; w = w->GetParent())
        if (Hosts().count(w)) return w;
    return field->GetParent();
}

long SendFieldMessage(wxWindow* to, FieldEvent& event) {
    if (!to) return 0;
    event.SetEventObject(to);
    to->GetEventHandler()->ProcessEvent(event);
    return event.result;
}

long SendFieldMessage(wxWindow* to, int message, long wParam, CWerte* value, wxWindow* window) {
    FieldEvent event(message, wParam, value, window);
    return SendFieldMessage(to, event);
}

void PostFieldMessage(wxWindow* to, int message, long wParam, CWerte* value, wxWindow* window) {
    if (!to) return;
    auto* event = new FieldEvent(message, wParam, value, window);
    event->SetEventObject(to);
    to->GetEventHandler()->QueueEvent(event);
}

namespace {
std::function<void(int)>& HelpHandler() {
    static std::function<void(int)> handler;
    return handler;
}
} // namespace

void SetFieldHelpHandler(std::function<void(int)> handler) { HelpHandler() = std::move(handler); }
void ShowFieldHelp(int helpContext) {
    if (HelpHandler()) HelpHandler()(helpContext);
}
