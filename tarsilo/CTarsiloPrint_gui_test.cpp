#include "tarsilo/CTarsiloPrint.h"
#include "testsupport/PartStrings.h"
#include "velmora/shared/PrintDisplay.h"

#include "platform/MessageService.h"
#include "testsupport/platform/ReportTestSupport.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "values/CAnwender.h"
#include "testsupport/values/ValuesTestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

class TarsiloPrintWindowTest : public ValuesTest {
protected:
    ScopedPartStrings strings_{"shared", "tarsilo"};
};

} // namespace

TEST_F(TarsiloPrintWindowTest, ExportsThroughTheDisplaysJob) {
    const char* source = std::getenv("VX_SOURCE_DIR");
    vx::Profile().WriteString("LuL", "Formular0",
                              (std::filesystem::path(source ? source : ".") / "data" / "Tarsilo.LST").string());
    vx::ScopedScriptedMessages messages;
    CTarsiloDocCore doc;
    doc.shape = 1;
    doc.rows.push_back({{"0.140", "Alpha", "Kessel 24", "24.0", "5"}});
    CAnwender user;
    auto print = MakeDisplayPrint<CTarsiloPrint>(nullptr);
    const std::string pdf = Path("fenster.pdf");
    ASSERT_EQ(print->PrintTable(vx::report::kPrintExport, doc, user, "PDF", pdf, ""), 0);
    const std::string text = vx::report::testing::PdfText(pdf);
    EXPECT_NE(text.find("Kessel 24"), std::string::npos);
    EXPECT_NE(text.find("Weite [m]"), std::string::npos);
    EXPECT_TRUE(messages.service.shown.empty());
}
