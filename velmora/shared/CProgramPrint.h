// What both programs' print helpers do alike: the job from the factory (one
// without a display when there is none), the layout's printer file for mode
// 6, the wait cursor, and the print entry's settings from the profile.
#pragma once

#include "platform/report/PrintEntry.h"
#include "platform/report/ReportJob.h"

#include <functional>
#include <memory>
#include <string>

class CProgramPrint {
public:
    using JobFactory = std::function<std::unique_ptr<vx::report::ReportJob>()>;
    // Stores the named printer in the layout's printer file; false when
    // there is no such printer.
    using PrinterSetup = std::function<bool(vx::report::ReportJob&, const std::string&, const std::string&)>;

    // Without a factory the job has no display: export only. A factory
    // that gives no job fails the print with the job-open message.
    explicit CProgramPrint(JobFactory factory = {}, PrinterSetup printerSetup = {})
        : factory_(std::move(factory)), printerSetup_(std::move(printerSetup)) {}

    // The job and the printer set-up of a display.
    void SetJob(JobFactory factory, PrinterSetup printerSetup) {
        factory_ = std::move(factory);
        printerSetup_ = std::move(printerSetup);
    }
    bool SetupPrinterFile(vx::report::ReportJob& job, const std::string& projectFile, const std::string& printerName);
    // Shown around the print when there is a display.
    void SetWaitCursor(std::function<void(bool)> waitCursor) { waitCursor_ = std::move(waitCursor); }

protected:
    // The entry's mode, layout, export target, the designer switch of
    // "LuL"/"Designer", the printer set-up and the wait cursor.
    vx::report::PrintEntry Entry(int mode, const std::string& layoutFile, const std::string& exportFormat,
                                 const std::string& exportFile, const std::string& exportPath);
    // Runs the entry on a new job; 0 or the layer's status, already shown.
    int Run(const vx::report::PrintEntry& entry);

private:
    JobFactory factory_;
    PrinterSetup printerSetup_;
    std::function<void(bool)> waitCursor_;
};
