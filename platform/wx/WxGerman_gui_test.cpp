// The toolkit's own texts in German, whatever the locale the test runs in.
#include "platform/wx/WxGerman.h"

#include "platform/NumText.h"
#include "platform/wx/WxText.h"

#include <gtest/gtest.h>
#include <wx/stockitem.h>
#include <wx/translation.h>

#include <clocale>
#include <cstdio>
#include <string>

#include <dlfcn.h>

TEST(WxGerman, ToolkitTextsAreGermanAndNumbersKeepThePoint) {
    const std::string numericBefore = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_TRUE(vx::UseGermanTranslations());

    // Buttons, the document framework's file dialog and the print preview.
    EXPECT_EQ(wxGetStockLabel(wxID_CANCEL, wxSTOCK_NOFLAGS), "Abbrechen");
    EXPECT_EQ(wxGetStockLabel(wxID_YES, wxSTOCK_NOFLAGS), "Ja");
    EXPECT_EQ(wxGetStockLabel(wxID_NO, wxSTOCK_NOFLAGS), "Nein");
    EXPECT_EQ(wxGetTranslation("Save As"), "Speichern unter");
    EXPECT_EQ(wxString::Format(wxGetTranslation("Page %d of %d"), 1, 1), "Seite 1 von 1");
    EXPECT_EQ(wxGetStockLabel(wxID_CLOSE, wxSTOCK_NOFLAGS), vx::ToWx("Schließen"));

    // The menus' shortcut texts are drawn by the toolkit underneath.
    using AcceleratorLabel = char* (*)(unsigned, unsigned);
    auto label = reinterpret_cast<AcceleratorLabel>(::dlsym(RTLD_DEFAULT, "gtk_accelerator_get_label"));
    ASSERT_NE(label, nullptr);
    char* ctrlN = label('n', 1u << 2);  // Control
    ASSERT_NE(ctrlN, nullptr);
    EXPECT_EQ(std::string(ctrlN), "Strg+N");
    using Free = void (*)(void*);
    if (auto free = reinterpret_cast<Free>(::dlsym(RTLD_DEFAULT, "g_free"))) free(ctrlN);

    // Numbers: untouched.
    EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), numericBefore);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f", 1.5);
    if (numericBefore == "C") {
        EXPECT_STREQ(buffer, "1.5");
    }
    EXPECT_EQ(vx::Format("%.1f", 1.5), "1.5");
}
