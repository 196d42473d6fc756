// Alt and a letter in a main window: the form's controls first, as in a
// dialog, then the menu bar; F10 and Alt alone open the menu bar. Lists
// get plain letters only, so that Alt never searches in them.
#pragma once

#include <wx/defs.h>
#include <wx/string.h>

class wxFrame;
class wxWindow;

namespace vx {

// The letter after the "&" of a label, upper-cased; 0 without one.
wxChar MnemonicOf(const wxString& label);

// Follows the letter among the shown, enabled controls inside top, in tab
// order: a label leads to the control after it, a button is pressed, a
// check box or radio button is set and takes the focus. False when no
// control has the letter.
bool FollowMnemonic(wxWindow* top, wxChar letter);

// The text of the label that leads to control (the label before it in tab
// order), without its "&" and closing colon; "" without one.
wxString LabelOf(wxWindow* control);

// Opens the menu bar's menu whose title has the letter (0: the first menu),
// as its own mnemonic does. False when frame has no such menu.
bool OpenMenuBarMenu(wxFrame* frame, wxChar letter);

// The rule for every main window of the process, installed once.
void InstallMnemonicRule();

} // namespace vx
