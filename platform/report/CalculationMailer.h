// Mails calculations: the program exports each into a file in the temporary
// directory and the mailer hands it to "xdg-email". A mail that failed takes
// its file with it at once; a mail program started by "xdg-email" may read
// the file after "xdg-email" has returned, so a handed file goes when the
// mailer goes (at program exit).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vx::report {

class CalculationMailer {
public:
    // Writes the calculation in format into file; 0 on success, else a
    // failure the export has already shown.
    using Export = std::function<int(const std::string& format, const std::string& file)>;

    CalculationMailer() = default;
    ~CalculationMailer() { DeleteSentFiles(); }
    CalculationMailer(const CalculationMailer&) = delete;
    CalculationMailer& operator=(const CalculationMailer&) = delete;

    // Whether a mail program is there ("xdg-email" on the PATH), asked once per process.
    static bool MailProgramAvailable();
    // The export file for a document title: dir + the title without its
    // extension + "." + format. Each mail gets a directory of its own under
    // the temporary directory.
    static std::string ExportFileName(const std::string& dir, const std::string& title, const std::string& format);

    // Exports in the format of "eMail"/"Format" and hands the file over,
    // addressed to address ("SMTP:" taken away) when there is one, under the
    // recipient's name; false when it failed (the user was told).
    bool SendCalculationMail(const Export& exportTo, const std::string& title, const std::string& address,
                             const std::string& name = "");
    // The recipient as the mail program takes it: "Name <address>", the name
    // quoted where it holds characters of the address syntax; the bare
    // address without a name; "" without an address.
    static std::string Recipient(const std::string& name, const std::string& address);
    // What the user is told when no mail program is set up.
    static std::string NoMailProgramMessage();

    void DeleteSentFiles();
    const std::vector<std::string>& SentFiles() const { return sent_; }

private:
    std::vector<std::string> sent_;
};

} // namespace vx::report

// The process's mailer, whose files go with the process.
vx::report::CalculationMailer& Mailer();
