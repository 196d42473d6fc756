// The model's queries of the active document, as the application answers them.
#pragma once

#include "velmora/shared/ActiveDocumentValues.h"

class wxDocManager;
class CVelmoraDoc;

class DocumentValues : public ActiveDocumentValues {
public:
    void SetManager(wxDocManager* manager) { manager_ = manager; }
    CVelmoraDoc* ActiveDocument() const;

protected:
    DocValueSource* ActiveSource() const override;

private:
    wxDocManager* manager_ = nullptr;
};
