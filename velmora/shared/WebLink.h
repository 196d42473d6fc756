// The maker's web address opened from the about box and the menu: started
// without waiting, and a browser that is missing or fails is told.
#pragma once

#include <string>

// Hands the address (with "http://" as WebAddressToOpen puts it) to
// "xdg-open"; when there is none, it cannot start or it ends with a failure,
// the user is told that the address could not be opened.
void OpenWebAddressOrTell(const std::string& address);
// The message for an address that could not be opened.
std::string WebAddressFailedMessage(const std::string& address);
