#include "velmora/shared/ProgramPicture.h"

#include "platform/Files.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "velmora/shared/ProgramSettings.h"
#include "velmora/shared/SharedText.h"

#include <wx/dc.h>
#include <wx/image.h>
#include <wx/imagxpm.h>

const wxBitmap& ProgramPicture() {
    static const wxBitmap picture = [] {
        if (!wxImage::FindHandler(wxBITMAP_TYPE_XPM)) wxImage::AddHandler(new wxXPMHandler);
        wxImage image;
        const std::string path = vx::JoinPath(vx::ResourceDir(), Program().about.picture);
        if (vx::FileExists(path)) image.LoadFile(vx::ToWxPath(path), wxBITMAP_TYPE_XPM);
        return image.IsOk() ? wxBitmap(image) : wxBitmap();
    }();
    return picture;
}

wxIconBundle ProgramIcons() {
    wxIconBundle icons;
    const wxBitmap& picture = ProgramPicture();
    if (!picture.IsOk()) return icons;
    const wxImage image = picture.ConvertToImage();
    // The sizes a desktop shows a window's icon in; larger ones it takes from
    // the installed icons (GTK would drop them as too much for the window).
    for (const int size : {16, 22, 24, 32, 48, 64, 128}) {
        wxIcon icon;
        icon.CopyFromBitmap(wxBitmap(image.Scale(size, size, wxIMAGE_QUALITY_HIGH)));
        icons.AddIcon(icon);
    }
    return icons;
}

void DrawProgramPicture(wxDC& dc) {
    const wxBitmap& picture = ProgramPicture();
    if (picture.IsOk()) dc.DrawBitmap(picture, 10, 10, false);
    dc.SetPen(*wxGREY_PEN);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(10, 10, Program().about.pictureWidth, Program().about.pictureHeight);
}

wxFont ProgramPixelFont(int pixels, bool italic) {
    wxFontInfo info(wxSize(0, pixels));
    info.Family(wxFONTFAMILY_SWISS);
    if (italic) info.Italic();
    return wxFont(info);
}

void DrawProgramHeading(wxDC& dc) {
    const AboutLayout& a = Program().about;
    DrawProgramPicture(dc);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetFont(ProgramPixelFont(24, true));
    dc.DrawText(vx::ToWx(Program().name), a.nameX, a.nameY);
    dc.SetFont(ProgramPixelFont(12, false));
    dc.DrawText(vx::ToWx(vx::LoadString(a.line1Id)), a.textX, 55);
    dc.DrawText(vx::ToWx(vx::LoadString(a.line2Id)), a.textX, 69);
    dc.DrawText(vx::ToWx(vx::LoadString(IDS_HERSTELLERADRESSE)), a.textX, 158);
}

void DrawProgramVersion(wxDC& dc, const wxString& version, const std::string& databaseLine) {
    const int y = Program().about.versionY;
    dc.DrawText(version, 10, y);
    dc.DrawText(vx::ToWx(databaseLine), 10, y + 14);
}
