// The messages between fields and their host as one event type: sent
// synchronously when the answer is used, queued otherwise.
#pragma once

#include <wx/event.h>

#include <functional>
#include <string>

class CWerte;
class wxWindow;

class FieldEvent : public wxEvent {
public:
    FieldEvent(int message = 0, long wParam = 0, CWerte* value = nullptr, wxWindow* window = nullptr);
    wxEvent* Clone() const override { return new FieldEvent(*this); }

    int message;
    long wParam;
    long lParam = 0;
    CWerte* value;
    wxWindow* window;  // the other window a message names (old or new focus, a combo)
    std::string text;  // a text handed over, or given back
    long result = 0;
};

wxDECLARE_EVENT(VXT_EVT_FIELD, FieldEvent);

// The window that answers a field: the nearest enclosing field host, else the parent.
wxWindow* FieldHostOf(wxWindow* field);
// Marks a window as field host while it lives (the dialog base and the form view).
void MarkFieldHost(wxWindow* host, bool on);

// Handles the event at once and returns its answer (0 when nobody answered).
long SendFieldMessage(wxWindow* to, FieldEvent& event);
long SendFieldMessage(wxWindow* to, int message, long wParam, CWerte* value, wxWindow* window = nullptr);
// Queues the event for the next turn of the event loop.
void PostFieldMessage(wxWindow* to, int message, long wParam, CWerte* value, wxWindow* window = nullptr);

// Where the field actions ask for help on a help context; the programs
// install their help viewer here.
void SetFieldHelpHandler(std::function<void(int helpContext)> handler);
void ShowFieldHelp(int helpContext);
