#include "tarsilo/TarsiloPrintCommands.h"

#include "model/CModul.h"
#include "platform/report/CalculationMailer.h"
#include "platform/wx/WxText.h"
#include "platform/wx/WxWaitRepainting.h"
#include "tarsilo/CDlgStatus.h"
#include "tarsilo/CTarsiloDoc.h"
#include "tarsilo/CTarsiloPrint.h"
#include "velmora/shared/CommandIds.h"
#include "velmora/shared/PrintDisplay.h"
#include "velmora/shared/ProgramSettings.h"

#include <wx/app.h>
#include <wx/utils.h>

namespace {

void InstallPrintCommands(CTarsiloDoc& doc) {
    // A table is printed once it has rows; mail also needs a mail program.
    BindPrintCommands(doc, [&doc] { return !doc.rows.empty(); }, [&doc](int mode) {
        auto printer = MakeDisplayPrint<CTarsiloPrint>(wxTheApp->GetTopWindow());
        PrintAssignmentTable(*printer, doc, TheUser(), mode);
    });
    doc.Bind(wxEVT_MENU, [&doc](wxCommandEvent&) {
        if (doc.rows.empty()) return;
        // Starting the mail program may take seconds, more when none answers.
        vx::RepaintBeforeWork();
        wxBusyCursor wait;
        auto printer = MakeDisplayPrint<CTarsiloPrint>(wxTheApp->GetTopWindow());
        SendAssignmentMail(Mailer(), *printer, doc, TheUser(), vx::FromWx(doc.GetUserReadableName()));
    }, ID_FILE_SEND_MAIL);
    doc.Bind(wxEVT_UPDATE_UI, [&doc](wxUpdateUIEvent& e) {
        e.Enable(!doc.rows.empty() && vx::report::CalculationMailer::MailProgramAvailable());
    }, ID_FILE_SEND_MAIL);
}

} // namespace

void InstallTarsiloWindowParts() {
    CTarsiloDoc::SetProgressFactory([](wxWindow* parent) { return MakeStatusDialog(parent); });
    SetCalculationMessagePump(&PumpTarsiloCalculationMessages);
    CTarsiloDoc::SetCommandInstaller(&InstallPrintCommands);
}
