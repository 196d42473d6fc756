// The program's command line: the "CDSTART" switch and a file to open.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CCmdLineInfo {
public:
    enum ShellCommand { FileNew, FileOpen };

    // One parameter without its leading "/" or "-" (isFlag tells whether it had one).
    void ParseParam(std::string_view parameter, bool isFlag, bool isLast);
    // The arguments after the program name, as the process got them; a file
    // name stays bytes, a "file:" URI becomes its path.
    void Parse(const std::vector<std::string>& arguments);

    // -1 (true): settings in the user's store; 0: in the INI file beside the program.
    int registryMode = -1;
    ShellCommand shellCommand = FileNew;
    std::string fileName;
};
