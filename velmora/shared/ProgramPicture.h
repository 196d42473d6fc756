// The program's picture of the opening dialog and the about box, the file
// and size the program's description names, and the texts both lay out
// beside it.
#pragma once

#include <wx/bitmap.h>
#include <wx/font.h>
#include <wx/iconbndl.h>

#include <string>

class wxDC;

// Loaded once; not Ok when the file is missing.
const wxBitmap& ProgramPicture();
// The picture as the main window's icon, in the sizes desktops ask for;
// empty when the file is missing.
wxIconBundle ProgramIcons();
// The picture at (10, 10), in its frame; the frame alone without it.
void DrawProgramPicture(wxDC& dc);

// The sans-serif font both windows write in, sized in pixels.
wxFont ProgramPixelFont(int pixels, bool italic);
// The picture, the program name and purpose and the maker's address; leaves
// the small font selected.
void DrawProgramHeading(wxDC& dc);
// The version line and the catalogue state below the picture.
void DrawProgramVersion(wxDC& dc, const wxString& version, const std::string& databaseLine);
