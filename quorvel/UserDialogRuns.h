// The exports' runs of the user, start, order and form dialogs: over the
// host's active window, with the fields' texts loaded. Without a window
// application each gives its cancel value.
#pragma once

// Formular: 1 after "&Weiter", 2 after cancel.
int RunFormularDialog();
