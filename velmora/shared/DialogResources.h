// The layouts of the dialogs both programs share, "resources/shared/dialogs.xrc",
// loaded once by the first window that needs them.
#pragma once

bool LoadSharedDialogs();

class wxTextCtrl;
// A field whose text was refused: the message, named by the field's label,
// then the focus back on the field with its text selected for typing over.
void RejectField(wxTextCtrl* field, unsigned messageId);
