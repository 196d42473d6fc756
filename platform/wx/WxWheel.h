// The mouse wheel over a choice list that does not have the keyboard scrolls
// the form the list lies in and never changes the choice: a user scrolling a
// small window must not pick another entry on the way.
#pragma once

class wxWindow;

namespace vx {

// The choice list (a toolkit choice, a combo box or a drawn combo) that
// window is or lies in; null when it is in none.
wxWindow* ChoiceListOf(wxWindow* window);

// The rule for every window of the process, installed once.
void InstallWheelRule();

} // namespace vx
