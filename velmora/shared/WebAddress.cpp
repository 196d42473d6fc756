#include "velmora/shared/WebAddress.h"

#include "platform/CodePage.h"
#include "platform/System.h"

std::string WebAddressToOpen(const std::string& text) {
    if (text.rfind("http://", 0) == 0) return text;
    return "http://" + text;
}

bool OpenWebAddress(const std::string& text) {
    const std::string opener = vx::FindProgramOnPath("xdg-open");
    if (opener.empty()) return false;
    // The address is text: the opener takes UTF-8.
    return vx::StartProgram(opener, "", vx::Cp1252ToUtf8(WebAddressToOpen(text))) == 0;
}
