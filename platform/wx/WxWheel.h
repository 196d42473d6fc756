// The mouse wheel over a choice list that does not have the keyboard scrolls
// the form the list lies in and never changes the choice: a user scrolling a
// small window must not pick another entry on the way.
#pragma once

namespace vx {

// The rule for every window of the process, installed once.
void InstallWheelRule();

} // namespace vx
