#include "platform/report/CalculationMailer.h"

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/PlatformText.h"
#include "platform/Profile.h"
#include "platform/System.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vx::report {

namespace {

// Whether the desktop names a program for "mailto:" addresses; asked only
// after a failure, so that a desktop the question does not know is no worse off.
bool MailHandlerSetUp() {
    const std::string query = vx::FindProgramOnPath("xdg-mime");
    if (query.empty()) return true;
    std::string handler;
    if (vx::ProgramOutput(query, {"query", "default", "x-scheme-handler/mailto"}, handler) != 0) return true;
    return handler.find_first_not_of(" \t\r\n") != std::string::npos;
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
    // The title is text; the attachment's name is a file name.
    return vx::JoinPath(dir, vx::PathFromText(stem + "." + format));
}

std::string CalculationMailer::Recipient(const std::string& nameText, const std::string& addressText) {
    std::string address = addressText;
    if (address.size() >= 5 && vx::EqualNoCase(address.substr(0, 5), "SMTP:")) address.erase(0, 5);
    auto trim = [](std::string t) {
        t.erase(0, std::min(t.size(), t.find_first_not_of(' ')));
        t.erase(t.find_last_not_of(' ') + 1);
        return t;
    };
    address = trim(address);
    const std::string name = trim(nameText);
    if (address.empty() || name.empty()) return address;
    if (name.find_first_of("()<>[]:;@\\,.\"") == std::string::npos) return name + " <" + address + ">";
    // Quotes and backslashes inside would need escapes that the way to the
    // mail program does not keep; a name shows as well with apostrophes.
    std::string quoted = name;
    for (char& c : quoted)
        if (c == '"' || c == '\\') c = '\'';
    return "\"" + quoted + "\" <" + address + ">";
}

std::string CalculationMailer::NoMailProgramMessage() {
    return vx::PlatformText(vx::IDS_KEIN_MAILPROGRAMM);
}

bool CalculationMailer::SendCalculationMail(const Export& exportTo, const std::string& title,
                                             const std::string& addressText, const std::string& nameText) {
    std::string format = vx::Profile().GetString("eMail", "Format", "PDF");
    std::string mailer = vx::FindProgramOnPath("xdg-email");
    if (mailer.empty()) {
        vx::ShowMessage(vx::PlatformText(vx::IDS_MAILSYSTEM_NICHT_LADBAR));
        return false;
    }
    // A directory of its own per mail: the file keeps the document's name and
    // no other mail or program overwrites it while the mail program holds it.
    std::string tmpl = vx::ToFsName(vx::JoinPath(vx::TempDir(), "vx-mail-XXXXXX"));
    if (!::mkdtemp(tmpl.data())) {
        vx::ShowMessage(vx::PlatformText(vx::IDS_NACHRICHT_SENDEN_FEHLGESCHLAGEN));
        return false;
    }
    std::string dir = vx::FromFsName(tmpl);
    // Whatever fails from here takes the file with it.
    auto drop = [&dir] {
        std::error_code ignored;
        std::filesystem::remove_all(vx::ToFsName(dir), ignored);
    };
    std::string file = ExportFileName(dir, title, format);
    if (exportTo(format, file) != 0) {
        drop();
        return false;
    }

    // The texts go to the mail program in UTF-8; the file's name as it is.
    std::vector<std::string> args = {"--utf8", "--attach", file};
    if (!title.empty()) {
        args.push_back("--subject");
        args.push_back(vx::Cp1252ToUtf8(title));
    }
    const std::string recipient = Recipient(nameText, addressText);
    if (!recipient.empty()) args.push_back(vx::Cp1252ToUtf8(recipient));
    const int rc = vx::RunProgram(mailer, args);
    if (rc != 0) {
        drop();
        // "xdg-email" ends with 3 when nothing on the desktop takes a mail.
        if (rc == 3 || !MailHandlerSetUp()) vx::ShowMessage(NoMailProgramMessage());
        else vx::ShowMessage(vx::PlatformText(vx::IDS_NACHRICHT_SENDEN_FEHLGESCHLAGEN));
        return false;
    }
    sent_.push_back(dir);
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
