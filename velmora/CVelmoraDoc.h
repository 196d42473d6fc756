// The main program's document as the framework's document: the wxDocument
// glue around CVelmoraDocCore, which holds the flue-gas system, its
// calculation, the diagram and the calculation file without a display. Here
// are only what needs the framework: the new-document step, the path, the
// file reading and writing through the document manager, the modified flag,
// the views, the commands, and the blocking of commands while a calculation
// runs (the model's message pump dispatches window events meanwhile).
#pragma once

#include "velmora/CVelmoraDocCore.h"
#include "velmora/shared/DocumentSave.h"
#include "velmora/shared/LibraryDocument.h"
#include "velmora/shared/OpensCalculation.h"

#include <wx/docview.h>

#include <cstdint>
#include <functional>
#include <string>

class CVelmoraDoc : public wxDocument, public CVelmoraDocCore, public OpensCalculation, public LibraryDocument {
public:
    CVelmoraDoc();

    bool OnNewDocument() override;
    // A name without "/" goes into "Global"/"DatPfad", else the current directory.
    void SetPathName(const std::string& name);

    // Changed exactly when a save would write something other than the file
    // holds (or was last told so); no changed mark stays behind a change undone.
    bool IsModified() const override;
    // Unchanged: the document's contents now count as its file's.
    void Modify(bool modified) override;

    // The framework's question before a changed document is closed, asked
    // through the program's message service.
    bool OnSaveModified() override;

    // "Speichern unter...": the German file dialog in the calculation
    // directory; a name without extension gets ".kfx".
    bool SaveAs() override;
    // Asks for the file to save into (directory and name suggested); empty
    // cancels. Tests answer in place of the dialog; nullptr restores it.
    using SavePathChooser = ::SavePathChooser;
    static void SetSavePathChooser(SavePathChooser chooser) { SetSaveDialogStandIn(std::move(chooser)); }
    // "Neu": the document keeps no file name, so that saving asks for one.
    void ForgetFile();

    // Opens a calculation file into this document, as the single document
    // of the program does: a file that cannot be read leaves it as it was.
    bool OpenCalculation(const wxString& path) override;

    // Command 1000 "Mach Et" and the hand-over, as the menu and the form send them.
    void OnCalculateCommand(wxCommandEvent& event);
    void OnHandOverCommand(wxCommandEvent& event);
    void OnGeodeticHeight(wxCommandEvent& event);
    void OnCrossSectionTables(wxCommandEvent& event);
    void OnChimneyHeightRange(wxCommandEvent& event);
    void ShowHint() override;
    void OnUpdateHandOver(wxUpdateUIEvent& event);
    void OnSaveCommand(wxCommandEvent& event);
    void OnSaveAsCommand(wxCommandEvent& event);
    void OnUpdateSave(wxUpdateUIEvent& event);

    using CVelmoraDocCore::GetDocValue;

    // What the library's document commands change.
    CProjekt& DocumentProject() override { return project; }
    CWString& DocumentRemarks() override { return remarks; }
    CGrunddaten& DocumentSite() override { return construction.site; }
    void TakeProjectName(const std::string& name) override;
    void SiteHeightTaken() override;
    void DocumentChanged() override;

protected:
    bool DoOpenDocument(const wxString& file) override;
    bool DoSaveDocument(const wxString& file) override;

    void MarkModified() override { Modify(true); }
    void UpdateViews() override { UpdateAllViews(); }
    void ShowDiagram(bool show) override { diagram.Show(show); }
    void BeginWait() override;
    void EndWait() override;

private:
    wxDECLARE_DYNAMIC_CLASS(CVelmoraDoc);
    wxDECLARE_EVENT_TABLE();
};
