// The layouts of the form and the dialogs, "resources/velmora/dialogs.xrc",
// loaded once by the first window that needs them.
#pragma once

bool LoadVelmoraDialogs();

class wxTextCtrl;
// A field whose text was refused: the message, then the focus back on the
// field with its text selected for typing over.
void RejectField(wxTextCtrl* field, unsigned messageId);
