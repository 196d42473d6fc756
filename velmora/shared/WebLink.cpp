#include "velmora/shared/WebLink.h"

#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "platform/System.h"
#include "platform/wx/WxText.h"
#include "velmora/shared/DialogRules.h"
#include "velmora/shared/WebAddress.h"

#include <wx/process.h>
#include <wx/utils.h>

namespace {

void TellFailed(const std::string& address) { vx::ShowMessage(WebAddressFailedMessage(address)); }

// Learns how the opener ended: on a desktop without a browser it ends with a failure.
class OpenerProcess : public wxProcess {
public:
    explicit OpenerProcess(std::string address) : address_(std::move(address)) {}
    void OnTerminate(int, int status) override {
        if (status != 0) TellFailed(address_);
        delete this;
    }

private:
    std::string address_;
};

} // namespace

std::string WebAddressFailedMessage(const std::string& address) {
    return vx::Format(vx::LoadString(IDS_WEBADRESSE_FEHLER), address.c_str());
}

void OpenWebAddressOrTell(const std::string& address) {
    const std::string url = WebAddressToOpen(address);
    const std::string opener = vx::FindProgramOnPath("xdg-open");
    if (opener.empty()) {
        TellFailed(url);
        return;
    }
    auto* process = new OpenerProcess(url);
    const wxString program = vx::ToWx(opener), argument = vx::ToWx(url);
    const wchar_t* argv[] = {program.wc_str(), argument.wc_str(), nullptr};
    // A program that cannot be run ends at once with a failure; only a
    // process that could not be made at all comes back here.
    if (wxExecute(argv, wxEXEC_ASYNC, process) == 0) {
        delete process;
        TellFailed(url);
    }
}
