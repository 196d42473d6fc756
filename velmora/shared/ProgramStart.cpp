#include "velmora/shared/ProgramStart.h"

#include "platform/MessageService.h"
#include "platform/System.h"
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
    // As the process got them: wxWidgets converts its own through the locale,
    // which need not hold every character of a file name. GTK takes its
    // options out of wxWidgets' copy only, so the counts tell whether it did.
    std::vector<std::string> args = vx::CommandLineArguments();
    if (args.size() != size_t(app.argc > 0 ? app.argc - 1 : 0)) {
        args.clear();
        for (int i = 1; i < app.argc; ++i) args.push_back(vx::FromWxPath(app.argv[i]));
    }
    cmdLine.Parse(args);
    // 2. The settings store. 3. The recent files are read with the template.
    SelectSettingsStore(cmdLine);
    SetUpInstalledData();
    TakeOverLayoutPaths();
    // 4. The language file.
    LoadProgramStrings();
}
