// The library's links to the host's window application: message boxes as
// dialogs, the table engine's waits repainting, and the quit that a refused
// table conversion asks for.
#pragma once

class wxWindow;

// Does nothing while the process has no window application.
void InstallQuorvelDisplay();

// The owner of the library's dialogs: the host's active window, taken as its
// top-level window (the focus may sit on a control inside it, and a dialog
// centres over its owner), else the application's top window; null without
// a window application.
wxWindow* HostDialogParent();
