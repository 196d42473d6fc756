#include "velmora/DocumentValues.h"

#include "velmora/CVelmoraDoc.h"

#include <wx/docview.h>

CVelmoraDoc* DocumentValues::ActiveDocument() const {
    if (!manager_) return nullptr;
    return wxDynamicCast(manager_->GetCurrentDocument(), CVelmoraDoc);
}

int32_t DocumentValues::GetDocValue(int code, int index) {
    CVelmoraDoc* doc = ActiveDocument();
    if (!doc) return -1;
    if (code > 52) return 0;
    return doc->GetDocValue(code, index);
}
