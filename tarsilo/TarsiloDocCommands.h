// The assignment table document's commands without their windows: the
// library's commands (project data, remarks, places, catalogue order) on
// the document, the project number as the document's file name, the site's
// geodetic height, the cross-section tables and the mail.
#pragma once

#include "platform/report/CalculationMailer.h"
#include "velmora/shared/LibraryDocument.h"

#include <functional>
#include <string>

class CTarsiloDocCore;

// What the window side does for the document: its path name, its modified
// mark and its views.
class TarsiloDocumentWindow {
public:
    virtual ~TarsiloDocumentWindow() = default;
    // The document's path; a name without a folder lies in the open-file
    // dialog's folder. Not added to the recent files.
    virtual void SetPathName(const std::string& path) = 0;
    // The path the project number gives; not yet the document's own file.
    virtual void TakeProjectPath(const std::string& path) { SetPathName(path); }
    virtual void DocumentChanged() = 0;
};

// The library's view of the assignment table document.
class TarsiloLibraryDocument : public LibraryDocument {
public:
    TarsiloLibraryDocument(CTarsiloDocCore& doc, TarsiloDocumentWindow& window) : doc_(doc), window_(window) {}

    CProjekt& DocumentProject() override;
    CWString& DocumentRemarks() override;
    CGrunddaten& DocumentSite() override;
    // The project number, made a safe file name, names the document.
    void TakeProjectName(const std::string& name) override;
    void SiteHeightTaken() override;
    void DocumentChanged() override { window_.DocumentChanged(); }

private:
    CTarsiloDocCore& doc_;
    TarsiloDocumentWindow& window_;
};

class TarsiloDocCommands {
public:
    // A project number as a file name in the document's folder: no folder
    // parts, no "..", ".kbv" at its end. Empty when nothing of it is left.
    static std::string ProjectFileName(const std::string& projectNumber);

    // The results the document shows become invalid and go.
    static void DropResults(CTarsiloDocCore& doc);
    // The height from the geodetic-height dialog: marked as the default when
    // it equals "Grunddaten"/"GeoHoehe"; the results go.
    static void SetGeodeticHeight(CTarsiloDocCore& doc, double height);
    // After the cross-section tables were edited.
    static void ReloadCrossSectionTables();

    // Mails the table, exported through exportTo, to the project's recipient.
    static bool SendMail(vx::report::CalculationMailer& mailer, const CTarsiloDocCore& doc,
                         const std::string& title, const vx::report::CalculationMailer::Export& exportTo);
};
