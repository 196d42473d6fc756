// The main program's document. For now it holds what the start-up and the
// document template need: a new, untitled document and the document-level
// answers to the model's queries. The flue-gas system it owns, the diagram
// computation and the calculation file are added with the model classes
// they stand on.
#pragma once

#include <wx/docview.h>

#include <cstdint>
#include <string>

class CVelmoraDoc : public wxDocument {
public:
    CVelmoraDoc() = default;

    bool OnNewDocument() override;
    // A name without "/" goes into "Global"/"DatPfad", else the current directory.
    void SetPathName(const std::string& name);

    // The framework's question before a changed document is closed, asked
    // through the program's message service.
    bool OnSaveModified() override;

    // The model's query by code; codes without an answer give 0.
    int32_t GetDocValue(int code, int index);

    int resultValid = 0;

protected:
    // The calculation file's reader and writer are not here yet: opening
    // fails with the framework's message, saving is not offered.
    bool DoOpenDocument(const wxString& file) override;
    bool DoSaveDocument(const wxString& file) override;

private:
    wxDECLARE_DYNAMIC_CLASS(CVelmoraDoc);
};
