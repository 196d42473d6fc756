// The assignment table as the framework's document: the wxDocument glue
// around CTarsiloDocCore. Here are the new-document step, the path, reading
// and writing through the document manager, the modified mark, the views,
// the wait cursor and the document's commands.
//
// The progress dialog comes in through SetProgressFactory (used by
// CreateProgress), the print, preview and mail commands through
// SetCommandInstaller; the application sets both at start.
#pragma once

#include "tarsilo/CTarsiloDocCore.h"
#include "tarsilo/TarsiloDocCommands.h"
#include "velmora/shared/DocumentSave.h"
#include "velmora/shared/OpensCalculation.h"

#include <wx/docview.h>

#include <functional>
#include <memory>
#include <string>

class CTarsiloDoc : public wxDocument, public CTarsiloDocCore, public OpensCalculation, public TarsiloDocumentWindow {
public:
    CTarsiloDoc();
    ~CTarsiloDoc() override;

    bool OnNewDocument() override;
    bool OnSaveModified() override;
    bool SaveAs() override;
    // A name without "/" lies in "Global"/"DatPfad", else the current directory.
    void SetPathName(const std::string& name) override;
    void TakeProjectPath(const std::string& path) override;
    void DocumentChanged() override;
    bool OpenCalculation(const wxString& path) override;

    // Where "Speichern unter" asks for a file; tests answer in its place.
    using SavePathChooser = ::SavePathChooser;
    static void SetSavePathChooser(SavePathChooser chooser) { SetSaveDialogStandIn(std::move(chooser)); }

    // The progress dialog of the window side, when one is installed; the
    // display-free one of the core otherwise.
    using ProgressFactory = std::function<std::unique_ptr<AssignmentProgress>(wxWindow* parent)>;
    static void SetProgressFactory(ProgressFactory factory);

    // Binds further commands to every new document (print, preview, mail:
    // 32773, 32774, 57612); their menu states are the installer's to give.
    using CommandInstaller = std::function<void(CTarsiloDoc&)>;
    static void SetCommandInstaller(CommandInstaller installer);

    // The selected result row, for the hand-over; -1 without one.
    std::function<int()> selectedRow;

    // Counts the files read into the document, so a view knows a load happened.
    int filesRead = 0;

protected:
    bool DoOpenDocument(const wxString& file) override;
    bool DoSaveDocument(const wxString& file) override;

    void MarkModified() override { Modify(true); }
    void UpdateViews(int hint) override;
    void BeginWait() override;
    void EndWait() override;
    std::unique_ptr<AssignmentProgress> CreateProgress() override;

private:
    void OnSave(wxCommandEvent&);
    void OnSaveAsCommand(wxCommandEvent&);
    void OnGeodeticHeight(wxCommandEvent&);
    void OnCrossSectionTables(wxCommandEvent&);
    void HandOverToAurelia(wxCommandEvent&);
    void OnUpdateHandOver(wxUpdateUIEvent&);
    void OnUpdateWhileIdle(wxUpdateUIEvent&);

    std::unique_ptr<TarsiloLibraryDocument> library_;

    wxDECLARE_DYNAMIC_CLASS(CTarsiloDoc);
};

// Hint of UpdateAllViews: the values changed, the rows stay.
class TarsiloUpdateHint : public wxObject {
public:
    explicit TarsiloUpdateHint(int code) : code(code) {}
    int code;
};
