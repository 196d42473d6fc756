// The library's modal dialogs as the exports run them: over the host's
// active window, with the fields' texts loaded. Without a window
// application each gives its cancel value.
#pragma once

#include <string>

// BearbOrte: 1 after "&Weiter", 2 after cancel.
int RunPlacesDialog();
// GetBemerkung: true and the edited text after "&Weiter".
bool RunRemarkDialog(const std::string& text, std::string& edited);
