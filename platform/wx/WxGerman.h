// The programs are German whatever the user's locale: the window toolkit's
// own texts (buttons, file dialogs, the print preview, the key names of
// menu shortcuts) come from its German translations.
#pragma once

namespace vx {

// Switches the message language of the process to German; the number
// format (LC_NUMERIC) stays as it is. Call once, after the toolkit started
// and before the first window. False when no German catalogue was found
// (the texts then stay English).
bool UseGermanTranslations();

} // namespace vx
