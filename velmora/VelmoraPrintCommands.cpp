#include "velmora/VelmoraPrintCommands.h"

#include "platform/wx/WxText.h"
#include "platform/wx/WxWaitRepainting.h"
#include "velmora/CVelmoraDoc.h"
#include "velmora/CommandIds.h"
#include "velmora/VelmoraDocPrint.h"
#include "velmora/VelmoraSettings.h"
#include "velmora/VelmoraPrintWindow.h"
#include "velmora/shared/PrintDisplay.h"

#include <wx/app.h>
#include <wx/utils.h>
#include <wx/frame.h>

namespace {

VelmoraPrintSource SourceOf(CVelmoraDoc& doc) {
    return PrintSourceOf(doc, TheUser(), vx::FromWx(doc.GetUserReadableName()));
}

} // namespace

void InstallPrintCommands(CVelmoraDoc& doc) {
    // Printing waits for a computation since the last change.
    BindPrintCommands(doc, [&doc] { return !doc.IsBusy() && doc.resultValid != 0; }, [&doc](int mode) {
        VelmoraPrintSource source = SourceOf(doc);
        MakeDisplayPrint<CVelmoraPrint>(wxTheApp->GetTopWindow())->PrintCalculation(mode, source);
    });
    doc.Bind(wxEVT_MENU, [&doc](wxCommandEvent&) {
        if (doc.IsBusy()) return;
        // Starting the mail program may take seconds, more when none answers.
        vx::RepaintBeforeWork();
        wxBusyCursor wait;
        VelmoraPrintSource source = SourceOf(doc);
        auto print = MakeDisplayPrint<CVelmoraPrint>(wxTheApp->GetTopWindow());
        SendCalculationMail(Mailer(), *print, source);
    }, ID_FILE_SEND_MAIL);
    doc.Bind(wxEVT_UPDATE_UI, [](wxUpdateUIEvent& e) {
        if (vx::report::CalculationMailer::MailProgramAvailable()) return e.Enable(true);
        e.Enable(false);
        // Not while the menu is being updated item by item.
        wxTheApp->CallAfter([] {
            if (auto* frame = dynamic_cast<wxFrame*>(wxTheApp->GetTopWindow()))
                RemoveMenuItemWithSeparator(frame->GetMenuBar(), ID_FILE_SEND_MAIL);
        });
    }, ID_FILE_SEND_MAIL);
}
