// The program's picture of the opening dialog and the about box, the file
// and size the program's description names.
#pragma once

#include <wx/bitmap.h>

class wxDC;

// Loaded once; not Ok when the file is missing.
const wxBitmap& ProgramPicture();
// The picture at (10, 10), in its frame; the frame alone without it.
void DrawProgramPicture(wxDC& dc);
