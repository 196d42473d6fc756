// Which control holds the keyboard. The toolkit tells the window classes of
// only some controls when they get it (not a choice list, whose inner button
// takes it): this asks the toolkit itself.
#pragma once

class wxWindow;

namespace vx {

// The window with the focus, else the control inside top whose toolkit
// widget holds the keyboard; null when the keyboard is elsewhere.
wxWindow* FocusedWindowIn(wxWindow* top);

// The control of top's window that holds the keyboard as the toolkit sees
// it, also while that window is not active (it gets the keyboard back when
// the window is active again); null when none does.
wxWindow* KeyboardControlOf(wxWindow* top);

} // namespace vx
