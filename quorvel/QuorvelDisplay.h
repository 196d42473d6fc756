// The library's links to the host's window application: message boxes as
// dialogs, the table engine's waits repainting, and the quit that a refused
// table conversion asks for.
#pragma once

// Does nothing while the process has no window application.
void InstallQuorvelDisplay();
