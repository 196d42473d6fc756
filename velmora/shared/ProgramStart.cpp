#include "velmora/shared/ProgramStart.h"

#include "platform/MessageService.h"
#include "platform/wx/WxGerman.h"
#include "platform/wx/WxMessageService.h"
#include "platform/wx/WxText.h"
#include "velmora/shared/ProgramSettings.h"

#include <wx/app.h>
#include <wx/image.h>
#include <wx/xrc/xmlres.h>

#include <cstdlib>
#include <string>
#include <vector>

void StartProgram(wxApp& app, CCmdLineInfo& cmdLine, const char* testCloseVariable) {
    app.SetAppName(vx::ToWx(Program().name));
    app.SetVendorName(vx::ToWx(Program().companyKey));
    vx::SetMessageCaption(Program().name);
    if (std::getenv(testCloseVariable)) setenv(vx::kConsoleMessagesVariable, "1", 1);
    vx::InstallWxMessageService();
    vx::UseGermanTranslations();
    wxInitAllImageHandlers();
    wxXmlResource::Get()->InitAllHandlers();

    // 1. The command line; wxWidgets' own parsing is not used.
    std::vector<std::string> args;
    for (int i = 1; i < app.argc; ++i) args.push_back(vx::FromWx(app.argv[i]));
    cmdLine.Parse(args);
    // 2. The settings store. 3. The recent files are read with the template.
    SelectSettingsStore(cmdLine);
    SetUpInstalledData();
    // 4. The language file.
    LoadProgramStrings();
}
