#include "platform/report/CalculationMailer.h"

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/System.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vx::report {

namespace {

// The program's text of an id; the text it stands for when the table lacks it.
std::string Str(unsigned id, const char* fallback) {
    return vx::Strings().Has(id) ? vx::LoadString(id) : std::string(fallback);
}

} // namespace

bool CalculationMailer::MailProgramAvailable() {
    static const bool available = !vx::FindProgramOnPath("xdg-email").empty();
    return available;
}

std::string CalculationMailer::ExportFileName(const std::string& dir, const std::string& title,
                                              const std::string& format) {
    std::string stem = vx::BaseName(title);
    if (size_t dot = stem.rfind('.'); dot != std::string::npos) stem.erase(dot);
    return vx::JoinPath(dir, stem + "." + format);
}

bool CalculationMailer::SendCalculationMail(const Export& exportTo, const std::string& title,
                                             const std::string& addressText) {
    std::string format = vx::Profile().GetString("eMail", "Format", "PDF");
    std::string mailer = vx::FindProgramOnPath("xdg-email");
    if (mailer.empty()) {
        vx::ShowMessage(Str(61840, "Die Unterstützung für das Mailsystem kann nicht geladen werden."));
        return false;
    }
    // A directory of its own per mail: the file keeps the document's name and
    // no other mail or program overwrites it while the mail program holds it.
    std::string tmpl = vx::ToFsName(vx::JoinPath(vx::TempDir(), "vx-mail-XXXXXX"));
    if (!::mkdtemp(tmpl.data())) {
        vx::ShowMessage(Str(61842, "\"Nachricht senden\" ist fehlgeschlagen."));
        return false;
    }
    std::string dir = vx::FromFsName(tmpl);
    sent_.push_back(dir);
    std::string file = ExportFileName(dir, title, format);
    if (exportTo(format, file) != 0) return false;

    std::vector<std::string> args = {"--utf8", "--attach", vx::ToFsName(file)};
    if (!title.empty()) {
        args.push_back("--subject");
        args.push_back(vx::Cp1252ToUtf8(title));
    }
    std::string address = addressText;
    if (address.size() >= 5 && vx::EqualNoCase(address.substr(0, 5), "SMTP:")) address.erase(0, 5);
    address.erase(0, std::min(address.size(), address.find_first_not_of(' ')));
    if (!address.empty()) args.push_back(vx::Cp1252ToUtf8(address));
    if (vx::RunProgram(mailer, args) != 0) {
        vx::ShowMessage(Str(61842, "\"Nachricht senden\" ist fehlgeschlagen."));
        return false;
    }
    return true;
}

void CalculationMailer::DeleteSentFiles() {
    for (const std::string& dir : sent_) {
        std::error_code ignored;
        std::filesystem::remove_all(vx::ToFsName(dir), ignored);
    }
    sent_.clear();
}

} // namespace vx::report

vx::report::CalculationMailer& Mailer() {
    static vx::report::CalculationMailer mailer;
    return mailer;
}
