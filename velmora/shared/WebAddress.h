// Opening the maker's web address in the user's browser.
#pragma once

#include <string>

// The address as the browser gets it: "http://" in front unless it is there.
std::string WebAddressToOpen(const std::string& text);
// Hands the address to "xdg-open" without waiting; false when that cannot be started.
bool OpenWebAddress(const std::string& text);
