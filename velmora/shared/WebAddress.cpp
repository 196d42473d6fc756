#include "velmora/shared/WebAddress.h"

#include "platform/System.h"

std::string WebAddressToOpen(const std::string& text) {
    if (text.rfind("http://", 0) == 0) return text;
    return "http://" + text;
}

bool OpenWebAddress(const std::string& text) {
    const std::string opener = vx::FindProgramOnPath("xdg-open");
    if (opener.empty()) return false;
    return vx::StartProgram(opener, "", WebAddressToOpen(text)) == 0;
}
