// The program's commands that call into Quorvel, "Anwender..." and
// "Formular...": each is offered only while the library has its export.
#pragma once

class wxEvtHandler;

// Binds the commands and their menu states to handler.
void InstallQuorvelCommands(wxEvtHandler& handler);
