// The exports' runs of the user, start, order and form dialogs: over the
// host's active window, with the fields' texts loaded. Without a window
// application each gives its cancel value.
#pragma once

// Formular: 1 after "&Weiter", 2 after cancel.
int RunFormularDialog();
// GetAnwenderDaten: the new record text after "&Weiter" (valid until the
// next call), null after cancel.
const char* RunUserDataDialog(const char* record, int layoutFlags);
// NeuLadenAlt: the start dialog's code, 10, 11, 12, 13 or 2.
int RunStartDialog(const char* title, const char* text, const char* choice1, const char* choice2,
                   const char* openChoice, int icon1, int icon2, int icon3);
// WdbBestell: 1 after OK; the user record is loaded from the user file first
// when the library has none yet.
int RunOrderDialog();
