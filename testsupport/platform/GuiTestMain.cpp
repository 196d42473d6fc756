// main of the widget tests: a wx application without a main window, so that
// tests can create frames and dialogs and run the event loop.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

#include <clocale>

namespace {
class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};
} // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    if (!wxEntryStart(argc, argv)) return 2;
    if (!wxTheApp->CallOnInit()) return 2;
    int rc = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return rc;
}
