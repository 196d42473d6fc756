#include "velmora/shared/ProgramPicture.h"

#include "platform/Files.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "velmora/shared/ProgramSettings.h"

#include <wx/dc.h>
#include <wx/image.h>
#include <wx/imagxpm.h>

const wxBitmap& ProgramPicture() {
    static const wxBitmap picture = [] {
        if (!wxImage::FindHandler(wxBITMAP_TYPE_XPM)) wxImage::AddHandler(new wxXPMHandler);
        wxImage image;
        const std::string path = vx::JoinPath(vx::ResourceDir(), Program().about.picture);
        if (vx::FileExists(path)) image.LoadFile(vx::ToWx(path), wxBITMAP_TYPE_XPM);
        return image.IsOk() ? wxBitmap(image) : wxBitmap();
    }();
    return picture;
}

void DrawProgramPicture(wxDC& dc) {
    const wxBitmap& picture = ProgramPicture();
    if (picture.IsOk()) dc.DrawBitmap(picture, 10, 10, false);
    dc.SetPen(*wxGREY_PEN);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(10, 10, Program().about.pictureWidth, Program().about.pictureHeight);
}
