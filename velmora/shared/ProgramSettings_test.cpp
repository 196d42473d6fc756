#include "velmora/shared/ProgramSettings.h"

#include "platform/Profile.h"
#include "platform/TestProfile.h"

#include <gtest/gtest.h>

// The form settings change the layout that the profile names for the first
// form; without one they would change nothing the program prints.
TEST(ShareFormLayout, AProfileWithoutAFirstLayoutGetsTheProgramsOwn) {
    const struct {
        const char* profile;
        const char* printLayout;
        const char* expected;
    } cases[] = {
        {"", "/opt/velmora/Velmora.LST", "/opt/velmora/Velmora.LST"},
        {"[LuL]\nFormular0=\n", "/opt/velmora/Velmora.LST", "/opt/velmora/Velmora.LST"},
        {"[LuL]\nFormular0=/daten/Brief.lst\n", "/opt/velmora/Velmora.LST", "/daten/Brief.lst"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        ScopedTestProfile profile(c.profile);
        ShareFormLayout(c.printLayout);
        EXPECT_EQ(vx::Profile().GetString("LuL", "Formular0", ""), c.expected) << c.profile;
        EXPECT_EQ(vx::Profile().GetString("LuL", "Formular1", ""), "") << c.profile;
    }
}
