#include "velmora/shared/CCmdLineInfo.h"

#include "platform/Files.h"

#include <cctype>

void CCmdLineInfo::ParseParam(std::string_view parameter, bool isFlag, bool /*isLast*/) {
    std::string upper(parameter);
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (isFlag && upper == "CDSTART") {
        registryMode = 0;
        return;
    }
    // Other switches have no meaning here; the first plain parameter is the file to open.
    if (isFlag || parameter.empty() || !fileName.empty()) return;
    // A launcher may pass a file as a URI.
    const std::string uriPath = vx::PathFromFileUri(parameter);
    fileName = uriPath.empty() ? std::string(parameter) : uriPath;
    shellCommand = FileOpen;
}

void CCmdLineInfo::Parse(const std::vector<std::string>& arguments) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        const bool last = i + 1 == arguments.size();
        // An absolute path also starts with "/": a switch has no further "/".
        const bool isFlag = !a.empty() && (a[0] == '-' || (a[0] == '/' && a.find('/', 1) == std::string::npos));
        if (isFlag)
            ParseParam(std::string_view(a).substr(1), true, last);
        else
            ParseParam(a, false, last);
    }
}
