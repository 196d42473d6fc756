// The layouts of the small dialogs and the field menu,
// "resources/quorvel/fields.xrc", loaded once per deliverable with the
// deliverable's template ids.
#pragma once

#include "quorvel/fields/FieldsDeliverable.h"

#include <wx/string.h>

bool LoadFieldResources(const FieldsDeliverable& fields);
// The resource name of a library template for the deliverable.
wxString FieldTemplateName(int libraryId, const FieldsDeliverable& fields);
// The label of an item of the field menu (menu 106), by its library id.
wxString FieldMenuLabel(int libraryId);
