#include "velmora/shared/CDlgWrzInfo.h"

#include "platform/wx/WxText.h"
#include "velmora/shared/DialogResources.h"

#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

bool CDlgWrzInfo::Create(wxWindow* parent) {
    if (!LoadSharedDialogs() || !wxXmlResource::Get()->LoadPanel(this, parent, "131")) return false;
    SetBackgroundColour(wxColour(255, 255, 0));
    Hide();
    Fit();
    ShowTexts();
    return true;
}

void CDlgWrzInfo::FillFromHeatGenerator(const WrzEntry& heatGenerator) {
    texts_ = MakeWrzInfoTexts(heatGenerator);
    ShowTexts();
}

void CDlgWrzInfo::ClearTexts() {
    texts_ = WrzInfoTexts{};
    ShowTexts();
}

void CDlgWrzInfo::ShowTexts() {
    if (!GetHandle()) return;
    auto set = [this](int id, const std::string& text) {
        if (auto* label = dynamic_cast<wxStaticText*>(FindWindow(id))) label->SetLabel(vx::ToWx(text));
    };
    for (int row = 0; row < WrzInfoTexts::RowCount; ++row) {
        set(IDC_WRZINFO_FIRST + 2 * row, texts_.full[row]);
        set(IDC_WRZINFO_FIRST + 2 * row + 1, texts_.part[row]);
    }
    set(IDC_WRZINFO_OUTLET, texts_.outletSize);
    if (!texts_.draughtLabel.empty()) set(IDC_WRZINFO_DRAUGHT_LABEL, texts_.draughtLabel);
    if (wxWindow* open = FindWindow(IDC_WRZINFO_OPEN)) open->Show(texts_.openOperation);
    Layout();
}
