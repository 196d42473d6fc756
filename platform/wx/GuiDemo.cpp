// A window on the platform layer, to see that the display side works.
#include "platform/NumText.h"
#include "platform/wx/WxMessageService.h"
#include "platform/wx/WxText.h"

#include <wx/wx.h>

namespace {

class DemoApp : public wxApp {
public:
    bool OnInit() override {
        vx::InstallWxMessageService();
        auto* frame = new wxFrame(nullptr, wxID_ANY, "Demo", wxDefaultPosition, wxSize(480, 240));
        auto* panel = new wxPanel(frame);
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        std::string text = vx::Format("Plattformschicht bereit: %.2f m² bei %d °C", 0.0314, 20);
        sizer->Add(new wxStaticText(panel, wxID_ANY, vx::ToWx(text)), 0, wxALL, 16);
        panel->SetSizer(sizer);
        frame->Show();
        return true;
    }
};

} // namespace

wxIMPLEMENT_APP(DemoApp);
