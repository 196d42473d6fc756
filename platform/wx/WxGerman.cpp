#include "platform/wx/WxGerman.h"

#include <wx/intl.h>
#include <wx/translation.h>

#include <clocale>
#include <cstdlib>

namespace vx {

bool UseGermanTranslations() {
    // LANGUAGE comes before LC_MESSAGES for the toolkit's catalogues; it is
    // ignored only under the "C" locale, so a German or UTF-8 one is set for
    // the messages alone.
    ::setenv("LANGUAGE", "de", 1);
    bool german = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "de_AT.UTF-8", "de_CH.UTF-8"})
        if (std::setlocale(LC_MESSAGES, name)) {
            german = true;
            break;
        }
    if (!german) std::setlocale(LC_MESSAGES, "C.UTF-8");

    auto* translations = new wxTranslations;
    translations->SetLanguage(wxLANGUAGE_GERMAN);
    const bool found = translations->AddStdCatalog();
    wxTranslations::Set(translations);
    return found;
}

} // namespace vx
