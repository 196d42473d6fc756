// Text crossing into and out of wxWidgets: the system's code page 1252 on one
// side, Unicode on the other.
#pragma once

#include <string>
#include <string_view>
#include <wx/string.h>

namespace vx {

wxString ToWx(std::string_view cp1252);
std::string FromWx(const wxString& text);
// A path to and from wxWidgets: the file system's bytes as wxWidgets converts
// file names, so that every name a file dialog shows comes back unchanged.
wxString ToWxPath(std::string_view path);
std::string FromWxPath(const wxString& path);

} // namespace vx
