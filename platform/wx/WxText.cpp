#include "platform/wx/WxText.h"

#include "platform/CodePage.h"

#include <wx/strconv.h>

namespace vx {

wxString ToWx(std::string_view cp1252) {
    std::string utf8 = Cp1252ToUtf8(cp1252);
    return wxString::FromUTF8(utf8.data(), utf8.size());
}

std::string FromWx(const wxString& text) {
    wxScopedCharBuffer utf8 = text.utf8_str();
    return Utf8ToCp1252(std::string_view(utf8.data(), utf8.length()));
}

wxString ToWxPath(std::string_view path) { return wxString(std::string(path).c_str(), *wxConvFileName); }

std::string FromWxPath(const wxString& path) {
    const wxScopedCharBuffer bytes = path.fn_str();
    return bytes.data() ? std::string(bytes.data(), bytes.length()) : std::string();
}

} // namespace vx
