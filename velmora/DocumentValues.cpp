#include "velmora/DocumentValues.h"

#include "velmora/CVelmoraDoc.h"

#include <wx/docview.h>

CVelmoraDoc* DocumentValues::ActiveDocument() const {
    if (!manager_) return nullptr;
    return wxDynamicCast(manager_->GetCurrentDocument(), CVelmoraDoc);
}

DocValueSource* DocumentValues::ActiveSource() const { return ActiveDocument(); }
