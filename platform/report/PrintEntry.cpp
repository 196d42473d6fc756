#include "platform/report/PrintEntry.h"

#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/PlatformText.h"

namespace vx::report {

int RunPrint(ReportJob& job, const PrintEntry& e) {
    struct WaitCursor {
        const std::function<void(bool)>& show;
        bool on = false;
        void Set(bool b) {
            if (show && b != on) show(b);
            on = b;
        }
        ~WaitCursor() { Set(false); }
    } wait{e.waitCursor};
    wait.Set(true);

    const int mode = e.mode;
    const bool optionsDialog = !(mode == 0 || mode == 1 || mode == 2 || mode == 3 || mode == 5 || mode == 6 ||
                                 mode == 7);
    Destination destination = Destination::Printer;
    if (mode == 5) destination = Destination::Preview;
    else if (mode == 0 || mode == 7) destination = Destination::Export;

    if (e.notification) job.SetNotificationCallback(e.notification, e.notificationUser);
    if (!e.exportFormat.empty()) job.SetExport(e.exportFormat, e.exportFile, e.exportPath);

    job.DefineFieldStart();
    if (e.defineFields) e.defineFields(job);
    job.DefineVariableStart();
    if (e.defineVariables) e.defineVariables(job);

    if (e.designer && job.DefineLayout(e.layoutFile) < 0)
        vx::ShowMessage("Error by calling LlDefineLayout", vx::MB_OK | vx::MB_ICONEXCLAMATION);
    if (mode == 6 && e.setupPrinter) e.setupPrinter(job, e.layoutFile, e.exportFile);

    int ret = job.PrintStart(e.layoutFile, destination);
    if (ret < 0) {
        // The layer's own text says what is wrong, a missing layout with its path.
        std::string message = job.LastError().empty() ? std::string() : job.LastError() + "\n";
        message += vx::Format(PlatformText(IDS_DRUCKSTART_FEHLER), "LlPrintStart", ret,
                              e.printStartLine, e.sourceName.c_str());
        vx::ShowMessage(message);
        return ret;
    }
    if (optionsDialog) {
        wait.Set(false);
        ret = job.PrintOptionsDialog(e.optionsTitle);
        if (ret < 0) {
            job.PrintEnd();
            return ret;
        }
    }

    job.DefineVariableStart();
    if (e.defineVariables) e.defineVariables(job);
    ret = job.Print();
    std::string tooLarge;  // rows that fit on no page
    auto name = [&e](int row) { return e.rowName ? e.rowName(row) : vx::Format("%d", row + 1); };
    for (int row = 0; ret >= 0 && e.setRow && e.setRow(job, row); ++row) {
        ret = job.PrintFields();
        // A row that finds the page full goes once more, on the next page,
        // and no more: one that fits there neither is reported.
        if (ret == kPageFull && (ret = job.Print()) >= 0) {
            ret = job.PrintFields();
            if (ret == kPageFull || (ret >= 0 && job.LastRowClipped())) tooLarge += "\n" + name(row);
            if (ret == kPageFull) ret = kOk;
        }
    }
    if (ret >= 0 && e.afterRows) ret = e.afterRows(job);
    job.PrintFieldsEnd();
    const int end = job.PrintEnd();
    if (ret >= 0) ret = end;
    if (ret < 0) {
        if (ret != kErrUserAborted) vx::ShowMessage(job.LastError());
        SetPrinterToDefault(e.layoutFile);
        return ret;
    }

    if (!tooLarge.empty())
        vx::ShowMessage(PlatformText(IDS_ZEILEN_GEKUERZT) + tooLarge,
                        vx::MB_OK | vx::MB_ICONEXCLAMATION);

    // A preview the options dialog or the designer chose instead is shown by the layer itself.
    if (destination == Destination::Preview) {
        const int shown = job.PreviewDisplay();
        if (shown != 0) {
            vx::ShowMessage(vx::Format(PlatformText(IDS_VORSCHAU_FEHLER), shown, "LlPreviewDisplay",
                                       e.previewLine, e.sourceName.c_str()));
            ret = shown;
        }
    }
    SetPrinterToDefault(e.layoutFile);
    return ret;
}

} // namespace vx::report
