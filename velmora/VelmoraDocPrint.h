// What the print and the mail read of the main program's document.
#pragma once

#include "velmora/CVelmoraPrint.h"

class CVelmoraDocCore;

// The document's members for the print; user is the program's user record,
// title the document's title (the mail's subject and file name).
VelmoraPrintSource PrintSourceOf(CVelmoraDocCore& doc, CAnwender& user, const std::string& title);
