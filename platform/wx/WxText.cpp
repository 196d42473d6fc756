#include "platform/wx/WxText.h"

#include "platform/CodePage.h"

namespace vx {

wxString ToWx(std::string_view cp1252) {
    std::string utf8 = Cp1252ToUtf8(cp1252);
    return wxString::FromUTF8(utf8.data(), utf8.size());
}

std::string FromWx(const wxString& text) {
    wxScopedCharBuffer utf8 = text.utf8_str();
    return Utf8ToCp1252(std::string_view(utf8.data(), utf8.length()));
}

} // namespace vx
