// A print job of the reporting layer. The caller defines variables and
// fields, starts the job on a layout file, prints the page objects with
// Print() and the table row by row with PrintFields(), and ends it:
//
//   job.DefineVariableStart(); job.DefineVariable("PrNr", "4711"); ...
//   job.DefineFieldStart();    job.DefineField("X", "X"); ...
//   if (job.PrintStart(layoutFile, Destination::Export) < 0) -> LastError()
//   job.Print();
//   for each row: set the fields;
//       if (job.PrintFields() == kPageFull) { job.Print(); job.PrintFields(); }
//   job.PrintFieldsEnd(); job.PrintEnd();
//
// A row that does not fit gets kPageFull once; printed again it is always
// taken (clipped at the table's bottom when it cannot fit at all), so a
// caller that repeats it until it is taken never loops for ever.
// Pages are recorded and go to the PDF file, the printer or the preview at
// PrintEnd. The display parts (printer, preview, options dialog) come with
// the window version of the job.
#pragma once

#include "platform/Canvas.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ReportPage.h"

#include <cstdint>
#include <map>
#include <set>
#include <memory>
#include <string>

namespace vx::report {

enum Status : int {
    kOk = 0,
    kErrLayout = -1,       // the layout file cannot be read or is wrong
    kErrUnknownName = -2,  // the layout names a variable or field not defined
    kErrState = -3,        // call out of order
    kErrExport = -4,       // export format or file
    kErrDevice = -5,       // no printer or preview here
    kErrJobOpen = -6,      // no print job could be opened
    kErrUserAborted = -99,
    kPageFull = -998,      // start a new page with Print() and print the row again
};

enum class VarType { Text, Numeric, Boolean };
enum class Destination { Printer, Preview, Export };

// Notification messages of the callback.
enum : int { kNotifyObject = 20, kNotifyHelp = 30 };

// Parameter of kNotifyObject: a named rectangle of the layout is being
// drawn; the callback may draw into rect on canvas (layout units, 254 per
// inch). The canvas's pens, brush, font and clip are restored afterwards.
struct ObjectNotification {
    std::string name;
    Canvas* canvas = nullptr;
    Rect rect;
    bool drawing = true;
};

// kNotifyObject: parameter points to an ObjectNotification; kNotifyHelp:
// parameter holds the help context in the low word and the help command in
// the high word. Returns 1 when handled, else 0.
using NotificationCallback = int (*)(int message, intptr_t parameter, void* user);

inline constexpr unsigned kHelpContextOptions = 1;
inline constexpr unsigned kHelpCommandContext = 1;

// The printer settings file beside a layout ("Velmora.LST" -> "Velmora.LSP").
struct PrinterSettings {
    std::string printer;  // "" = the default printer
    bool landscape = false;
    int copies = 1;
    int paper = 0;  // the window toolkit's paper code, 0 = default
    std::string file;  // print into this PostScript file instead
};
std::string PrinterFileName(const std::string& layoutFile);
bool WritePrinterFile(const std::string& layoutFile, const PrinterSettings& settings);
// False when there is no printer file (settings stay default).
bool ReadPrinterFile(const std::string& layoutFile, PrinterSettings& settings);
// Forgets the printer stored for the layout.
void SetPrinterToDefault(const std::string& layoutFile);

// Words wrapped to width on canvas; "\n" breaks a line, "\r" is dropped.
std::vector<std::string> WrapText(Canvas& canvas, std::string_view text, int width);

class ReportJob {
public:
    ReportJob();
    virtual ~ReportJob();
    ReportJob(const ReportJob&) = delete;
    ReportJob& operator=(const ReportJob&) = delete;

    void SetNotificationCallback(NotificationCallback callback, void* user);
    // Calls the callback for help; 0 when there is none.
    int RequestHelp(unsigned context, unsigned command = kHelpCommandContext);

    // Definitions are per print; Start clears them, defining a name again
    // replaces its value.
    void DefineVariableStart() { variables_.clear(); }
    void DefineVariable(const std::string& name, const std::string& value, VarType type = VarType::Text);
    void DefineFieldStart() { fields_.clear(); }
    void DefineField(const std::string& name, const std::string& value, VarType type = VarType::Text);
    bool HasVariable(const std::string& name) const { return variables_.count(name) != 0; }

    // Export format ("PDF") and target; file may be relative to path.
    void SetExport(std::string format, std::string file, std::string path);
    std::string ExportFile() const;

    // There is no layout designer: tells the user and shows the preview of
    // the print that follows.
    int DefineLayout(const std::string& layoutFile);

    int PrintStart(const std::string& layoutFile, Destination destination);
    Destination GetDestination() const { return destination_; }
    // A preview chosen here, when the caller started another destination,
    // is shown by PrintEnd.
    void SetDestination(Destination d) { destination_ = d; }
    // The options dialog (title with the project); kErrUserAborted when
    // cancelled. Without a display there is none, and the print goes on.
    virtual int PrintOptionsDialog(const std::string& title);

    int Print();
    int PrintFields();
    int PrintFieldsEnd();
    int PrintEnd();
    // Shows the pages of a finished preview print.
    virtual int PreviewDisplay();

    // The row just printed was a repeated one that still did not fit and
    // was cut at the table's bottom.
    bool LastRowClipped() const { return lastRowClipped_; }
    // The named text of the current page did not fit its box and ends with a cut mark.
    bool TextCutOnPage(const std::string& objectName) const { return cutTexts_.count(objectName) != 0; }
    int CurrentPage() const { return int(pages_.pages.size()); }
    const ReportPages& Pages() const { return pages_; }
    const Layout& GetLayout() const { return layout_; }
    const std::string& LayoutFile() const { return layoutFile_; }
    // German text of the last failure.
    const std::string& LastError() const { return error_; }

protected:
    // The printer of the window version; here there is none.
    virtual int SendToPrinter(const ReportPages& pages);
    int Fail(int status, std::string message);
    // The user cancelled: PrintEnd ends the job without any output.
    void MarkCancelled() { cancelled_ = true; }

private:
    struct Value {
        std::string text;
        VarType type = VarType::Text;
    };
    enum class State { Idle, Started, Ended };

    int CheckNames();
    std::string Substitute(const TemplateText& t, bool withFields) const;
    bool IsVisible(const Visibility& v) const;
    bool OnPage(PageRule rule, int number) const;
    void DrawObject(const LayoutObject& o, Canvas& c);
    void DrawText(const LayoutObject& o, Canvas& c);
    void StartTable(Canvas& c);
    void DrawRow(Canvas& c, bool heading, int clipBottom);
    int RowHeight(Canvas& c, bool heading);
    FontSpec Font(const TextStyle& s, bool bold) const;
    Canvas& PageCanvas();

    std::map<std::string, Value> variables_, fields_;
    NotificationCallback callback_ = nullptr;
    void* user_ = nullptr;
    std::string exportFormat_, exportFile_, exportPath_;
    bool designer_ = false;

    State state_ = State::Idle;
    Destination destination_ = Destination::Printer;
    Destination requested_ = Destination::Printer;  // by the caller, at the start
    std::string layoutFile_;
    Layout layout_;
    Placement place_;  // of the current page
    ReportPages pages_;
    std::unique_ptr<Canvas> measure_;
    std::unique_ptr<Canvas> recorder_;
    bool tableOnPage_ = false;
    int tableY_ = 0, tableBottom_ = 0;
    int rowsOnPage_ = 0;
    bool repeatRow_ = false;
    bool lastRowClipped_ = false;
    std::set<std::string> cutTexts_;  // of the current page
    bool cancelled_ = false;
    std::string error_;
};

} // namespace vx::report
