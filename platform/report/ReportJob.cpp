#include "platform/report/ReportJob.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/PlatformText.h"
#include "platform/Profile.h"
#include "platform/report/CairoCanvas.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace vx::report {
namespace {

constexpr int kCellPad = 8;  // 0.8 mm
constexpr Color kHeadingFill{230, 230, 230};

bool IsTrue(const std::string& v) {
    return v == "1" || EqualNoCase(v, "true") || EqualNoCase(v, "T") || EqualNoCase(v, "J") || EqualNoCase(v, "Y");
}

bool IsBlank(std::string_view s) { return s.find_first_not_of(" \t\r\n") == std::string_view::npos; }

int AlignedX(Align a, int left, int width, int textWidth) {
    switch (a) {
    case Align::Left: return left;
    case Align::Center: return left + (width - textWidth) / 2;
    case Align::Right: return left + width - textWidth;
    }
    return left;
}

// The last line shown of a text that goes on: words give way to the mark
// until the line fits again.
std::string WithCutMark(Canvas& c, std::string line, int width) {
    const std::string mark = line.empty() ? "\x85" : " \x85";  // ellipsis in code page 1252
    while (!line.empty() && c.GetTextExtent(line + mark).width > width) {
        const size_t blank = line.rfind(' ');
        line.erase(blank == std::string::npos || blank == 0 ? line.size() - 1 : blank);
    }
    return line + mark;
}

} // namespace

std::string PrinterFileName(const std::string& layoutFile) {
    std::string base = BaseName(layoutFile);
    size_t dot = base.rfind('.');
    std::string dir = DirName(layoutFile);
    std::string stem = dot == std::string::npos ? base : base.substr(0, dot);
    bool upper = dot != std::string::npos && dot + 1 < base.size() && base[dot + 1] >= 'A' && base[dot + 1] <= 'Z';
    std::string name = stem + (upper ? ".LSP" : ".lsp");
    return dir.empty() ? name : JoinPath(dir, name);
}

bool WritePrinterFile(const std::string& layoutFile, const PrinterSettings& s) {
    std::string text = "[Drucker]\n";
    text += "Name=" + s.printer + "\n";
    text += Format("Querformat=%d\nKopien=%d\nPapier=%d\n", s.landscape ? 1 : 0, s.copies, s.paper);
    if (!s.file.empty()) text += "Datei=" + PathToStored(s.file) + "\n";
    return WriteFileAtomic(PrinterFileName(layoutFile), text);
}

bool ReadPrinterFile(const std::string& layoutFile, PrinterSettings& s) {
    std::string text;
    if (!ReadWholeFile(PrinterFileName(layoutFile), text)) return false;
    IniFile ini = IniFile::FromText(text);
    s.printer = ini.GetString("Drucker", "Name");
    s.landscape = ini.GetInt("Drucker", "Querformat", 0) != 0;
    s.copies = std::clamp(ini.GetInt("Drucker", "Kopien", 1), 1, 999);
    s.paper = ini.GetInt("Drucker", "Papier", 0);
    s.file = ini.GetPath("Drucker", "Datei");
    return true;
}

void SetPrinterToDefault(const std::string& layoutFile) { RemoveFile(PrinterFileName(layoutFile)); }

std::vector<std::string> WrapText(Canvas& canvas, std::string_view text, int width) {
    std::vector<std::string> lines;
    size_t pos = 0;
    for (;;) {
        size_t nl = text.find('\n', pos);
        std::string_view para = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        std::string clean;
        for (char ch : para)
            if (ch != '\r') clean += ch;
        std::string line;
        size_t i = 0;
        while (i < clean.size()) {
            size_t sp = clean.find(' ', i);
            std::string word = clean.substr(i, sp == std::string::npos ? std::string::npos : sp - i);
            i = sp == std::string::npos ? clean.size() : sp + 1;
            std::string tryLine = line.empty() ? word : line + " " + word;
            if (canvas.GetTextExtent(tryLine).width <= width || line.empty()) {
                line = std::move(tryLine);
            } else {
                lines.push_back(std::move(line));
                line = std::move(word);
            }
            // A word wider than the whole line breaks between characters.
            while (line.size() > 1 && canvas.GetTextExtent(line).width > width) {
                size_t fit = 1;
                while (fit < line.size() && canvas.GetTextExtent(line.substr(0, fit + 1)).width <= width) ++fit;
                lines.push_back(line.substr(0, fit));
                line.erase(0, fit);
            }
        }
        lines.push_back(std::move(line));
        if (nl == std::string_view::npos) break;
        pos = nl + 1;
    }
    return lines;
}

ReportJob::ReportJob() : measure_(std::make_unique<MeasureCanvas>()) {}
ReportJob::~ReportJob() = default;

void ReportJob::SetNotificationCallback(NotificationCallback callback, void* user) {
    callback_ = callback;
    user_ = user;
}

int ReportJob::RequestHelp(unsigned context, unsigned command) {
    if (!callback_) return 0;
    return callback_(kNotifyHelp, intptr_t((context & 0xFFFF) | ((command & 0xFFFF) << 16)), user_);
}

void ReportJob::DefineVariable(const std::string& name, const std::string& value, VarType type) {
    variables_[name] = Value{value, type};
}

void ReportJob::DefineField(const std::string& name, const std::string& value, VarType type) {
    fields_[name] = Value{value, type};
}

void ReportJob::SetExport(std::string format, std::string file, std::string path) {
    exportFormat_ = std::move(format);
    exportFile_ = std::move(file);
    exportPath_ = std::move(path);
}

std::string ReportJob::ExportFile() const {
    std::string file = NormalizeSlashes(exportFile_);
    if (exportPath_.empty() || (!file.empty() && file.front() == '/')) return file;
    return JoinPath(exportPath_, file);
}

int ReportJob::Fail(int status, std::string message) {
    error_ = std::move(message);
    return status;
}

int ReportJob::DefineLayout(const std::string& layoutFile) {
    ShowMessage(Format(PlatformText(IDS_KEIN_LAYOUT_DESIGNER), layoutFile),
                MB_OK | MB_ICONINFORMATION);
    designer_ = true;
    return kOk;
}

int ReportJob::PrintStart(const std::string& layoutFile, Destination destination) {
    if (state_ == State::Started) return Fail(kErrState, PlatformText(IDS_DRUCK_LAEUFT));
    error_.clear();
    state_ = State::Idle;
    pages_ = ReportPages{};
    recorder_.reset();
    layoutFile_ = layoutFile;
    requested_ = destination;
    cancelled_ = false;
    destination_ = designer_ ? Destination::Preview : destination;
    designer_ = false;
    if (destination_ == Destination::Export) {
        if (!EqualNoCase(exportFormat_, "PDF"))
            return Fail(kErrExport,
                        Format(PlatformText(IDS_EXPORTFORMAT_NICHT_UNTERSTUETZT), exportFormat_));
        if (exportFile_.empty()) return Fail(kErrExport, PlatformText(IDS_KEINE_EXPORTDATEI));
    }
    std::string path = ResolveNoCase(layoutFile);
    if (!ReadLayout(path, layout_, error_)) return kErrLayout;
    if (int rc = CheckNames(); rc < 0) return rc;
    pages_.pageSize = {layout_.pageWidth, layout_.pageHeight};
    state_ = State::Started;
    return kOk;
}

int ReportJob::CheckNames() {
    for (const auto& ref : layout_.References()) {
        auto var = variables_.find(ref.name);
        bool isField = fields_.count(ref.name) != 0;
        std::string where =
            Format(PlatformText(IDS_DRUCKVORLAGE_ZEILE), PathForDisplay(layoutFile_), ref.line);
        if (ref.inVisibility) {
            if (var == variables_.end())
                return Fail(kErrUnknownName,
                            where + Format(PlatformText(IDS_UNBEKANNTE_VARIABLE), ref.name));
            // A text "0" or "1" switches as well: the second program defines every variable as text.
            const std::string& v = var->second.text;
            if (var->second.type != VarType::Boolean && v != "0" && v != "1")
                return Fail(kErrUnknownName,
                            where + Format(PlatformText(IDS_VARIABLE_NICHT_BOOLESCH), ref.name));
        } else if (var == variables_.end()) {
            if (isField && !ref.inTable)
                return Fail(kErrUnknownName,
                            where + Format(PlatformText(IDS_FELD_AUSSERHALB_TABELLE), ref.name));
            if (!isField)
                return Fail(kErrUnknownName,
                            where + Format(PlatformText(IDS_UNBEKANNTE_VARIABLE), ref.name));
        }
    }
    return kOk;
}

int ReportJob::PrintOptionsDialog(const std::string&) { return state_ == State::Started ? kOk : kErrState; }

namespace {

// Blanks and punctuation only: what stands between two values as a separator.
bool IsSeparator(const std::string& text) {
    for (unsigned char c : text)
        if (std::isalnum(c) || c >= 0xC0) return false;
    return true;
}

} // namespace

std::string ReportJob::Substitute(const TemplateText& t, bool withFields) const {
    std::string out;
    // A separator between two values is written only between two that are
    // filled, so an empty street leaves no " · · " in the sender line.
    std::string pendingSeparator;
    bool valueWritten = false;
    for (size_t i = 0; i < t.size(); ++i) {
        const auto& p = t[i];
        if (!p.variable) {
            const bool between = i > 0 && t[i - 1].variable && i + 1 < t.size() && t[i + 1].variable;
            if (between && IsSeparator(p.text)) {
                pendingSeparator = p.text;
                continue;
            }
            out += pendingSeparator + p.text;
            pendingSeparator.clear();
            valueWritten = false;
            continue;
        }
        const std::string* value = nullptr;
        if (withFields) {
            if (auto f = fields_.find(p.text); f != fields_.end()) value = &f->second.text;
        }
        if (!value) {
            if (auto v = variables_.find(p.text); v != variables_.end()) value = &v->second.text;
        }
        if (!value || IsBlank(*value)) continue;
        if (valueWritten) out += pendingSeparator;
        pendingSeparator.clear();
        out += *value;
        valueWritten = true;
    }
    return out;
}

bool ReportJob::IsVisible(const Visibility& v) const {
    if (v.constant) return *v.constant;
    auto it = variables_.find(v.variable);
    if (v.whenFilled) return it != variables_.end() && !IsBlank(it->second.text);
    bool on = it != variables_.end() && IsTrue(it->second.text);
    return v.negate ? !on : on;
}

bool ReportJob::OnPage(PageRule rule, int number) const { return PageRuleMatches(rule, number, CurrentPage()); }

FontSpec ReportJob::Font(const TextStyle& s, bool bold) const {
    FontSpec f;
    f.face = s.font;
    f.pixelHeight = std::max(1, int(std::lround(s.points * kUnitsPerInch / 72.0)));
    f.bold = s.bold || bold;
    f.italic = s.italic;
    f.underline = s.underline;
    return f;
}

Canvas& ReportJob::PageCanvas() { return *recorder_; }

int ReportJob::Print() {
    if (state_ != State::Started) return Fail(kErrState, PlatformText(IDS_PRINT_OHNE_START));
    pages_.pages.emplace_back();
    recorder_ = std::make_unique<RecordingCanvas>(pages_.pages.back(), *measure_);
    cutTexts_.clear();
    place_ = layout_.Place();
    Canvas& c = PageCanvas();
    for (const auto& o : layout_.objects)
        if (OnPage(o.page, o.pageNumber) && IsVisible(o.visible)) DrawObject(o, c);
    rowsOnPage_ = 0;
    tableOnPage_ = false;
    if (layout_.table && OnPage(layout_.table->page, layout_.table->pageNumber) && IsVisible(layout_.table->visible))
        StartTable(c);
    return kOk;
}

void ReportJob::DrawObject(const LayoutObject& o, Canvas& c) {
    const Rect r = place_.PageRect(o.rect);
    switch (o.kind) {
    case LayoutObject::Kind::Text:
        DrawText(o, c);
        break;
    case LayoutObject::Kind::Line:
        c.SetPen(o.penColor, o.pen);
        c.DrawLine({r.left, r.top}, {r.right, r.bottom});
        break;
    case LayoutObject::Kind::Rect:
        if (o.fill) {
            c.SetNoPen();
            c.SetBrush(*o.fill);
            c.DrawRectangle(r);
        }
        if (callback_) {
            ObjectNotification n{o.name, &c, r, true};
            c.SetClipRect(r);
            callback_(kNotifyObject, reinterpret_cast<intptr_t>(&n), user_);
            c.ResetClip();
        }
        if (o.pen > 0) {
            c.SetPen(o.penColor, o.pen);
            c.SetNoBrush();
            c.DrawRectangle(r);
        }
        break;
    }
}

void ReportJob::DrawText(const LayoutObject& o, Canvas& c) {
    const Rect r = place_.PageRect(o.rect);
    c.SetFont(Font(o.style, false));
    c.SetTextColor(o.style.color);
    c.SetTextBackground(std::nullopt);
    int lineHeight = c.GetTextExtent("Ag").height;
    bool clip = o.rect.Height() > 0;
    std::vector<std::string> lines;
    for (const auto& para : o.paragraphs) {
        // A line whose variables are all empty (a missing second name line, an
        // e-mail address not given) is left out with its label.
        bool hasVariable = false, allEmpty = true;
        for (const auto& piece : para) {
            if (!piece.variable) continue;
            hasVariable = true;
            auto v = variables_.find(piece.text);
            if (v != variables_.end() && !IsBlank(v->second.text)) allEmpty = false;
        }
        if (hasVariable && allEmpty) continue;
        for (auto& line : WrapText(c, Substitute(para, false), r.Width())) lines.push_back(std::move(line));
    }
    // A clipped text shows whole lines only, the first whatever its height;
    // what does not fit ends visibly on the last line shown.
    if (clip && lineHeight > 0) {
        const size_t fit = size_t(std::max(1, r.Height() / lineHeight));
        if (lines.size() > fit) {
            lines.resize(fit);
            lines.back() = WithCutMark(c, lines.back(), r.Width());
            cutTexts_.insert(o.name);
        }
        c.SetClipRect(r);
    }
    int y = r.top;
    for (const auto& line : lines) {
        int w = c.GetTextExtent(line).width;
        c.DrawText(line, {AlignedX(o.style.align, r.left, r.Width(), w), y});
        y += lineHeight;
    }
    if (clip) c.ResetClip();
    if (o.frame > 0) {
        c.SetPen(kBlack, o.frame);
        c.SetNoBrush();
        c.DrawRectangle(clip ? r : Rect{r.left, r.top, r.right, y});
    }
}

void ReportJob::StartTable(Canvas& c) {
    const LayoutTable& t = *layout_.table;
    const Point origin = place_.origin;
    int top = CurrentPage() > 1 && t.nextTop ? *t.nextTop : t.rect.top;
    tableY_ = place_.Lowered(top) + origin.y;
    tableBottom_ = t.rect.Height() > 0 ? place_.Lowered(t.rect.top) + origin.y + t.rect.Height()
                                       : layout_.pageHeight - layout_.bottom;
    tableOnPage_ = true;
    if (t.header) {
        int h = RowHeight(c, true);
        DrawRow(c, true, tableBottom_);
        tableY_ += h;
    }
}

int ReportJob::RowHeight(Canvas& c, bool heading) {
    const LayoutTable& t = *layout_.table;
    c.SetFont(Font(t.style, heading));
    int lineHeight = c.GetTextExtent("Ag").height;
    size_t lines = 1;
    int left = t.rect.left;
    for (const auto& col : t.columns) {
        const int width = place_.Narrowed(left + col.width) - place_.Narrowed(left);
        left += col.width;
        std::string text = Substitute(heading ? col.heading : col.content, !heading);
        lines = std::max(lines, WrapText(c, text, width - 2 * kCellPad).size());
    }
    return int(lines) * lineHeight + 2 * kCellPad;
}

void ReportJob::DrawRow(Canvas& c, bool heading, int clipBottom) {
    const LayoutTable& t = *layout_.table;
    int h = RowHeight(c, heading);  // sets the font
    int lineHeight = c.GetTextExtent("Ag").height;
    const int originX = place_.origin.x;
    int left = t.rect.left;  // of the column, from the margin point
    const int x0 = originX + place_.Narrowed(left);
    int bottom = std::min(tableY_ + h, clipBottom);
    c.SetClipRect(Rect{x0, tableY_, originX + place_.Narrowed(t.rect.right) + 1, bottom + 1});
    c.SetTextColor(t.style.color);
    c.SetTextBackground(std::nullopt);
    for (const auto& col : t.columns) {
        const int x = originX + place_.Narrowed(left);
        const int width = originX + place_.Narrowed(left + col.width) - x;
        left += col.width;
        Rect cell{x, tableY_, x + width, tableY_ + h};
        if (heading) {
            c.SetNoPen();
            c.SetBrush(kHeadingFill);
            c.DrawRectangle(cell);
        }
        if (t.grid > 0) {
            c.SetPen(kBlack, t.grid);
            c.SetNoBrush();
            c.DrawRectangle(cell);
        }
        std::string text = Substitute(heading ? col.heading : col.content, !heading);
        int y = tableY_ + kCellPad;
        for (const auto& line : WrapText(c, text, width - 2 * kCellPad)) {
            int w = c.GetTextExtent(line).width;
            c.DrawText(line, {AlignedX(col.align, x + kCellPad, width - 2 * kCellPad, w), y});
            y += lineHeight;
        }
    }
    c.ResetClip();
}

int ReportJob::PrintFields() {
    if (state_ != State::Started) return Fail(kErrState, PlatformText(IDS_PRINTFIELDS_OHNE_START));
    if (pages_.pages.empty()) Print();
    bool repeated = repeatRow_;
    repeatRow_ = false;
    lastRowClipped_ = false;
    if (!tableOnPage_) return kOk;  // no table on this page: the row shows nowhere
    Canvas& c = PageCanvas();
    int h = RowHeight(c, false);
    if (tableY_ + h > tableBottom_ && !repeated) {
        repeatRow_ = true;
        return kPageFull;
    }
    // A row that never fits is printed clipped the second time, not refused again.
    lastRowClipped_ = tableY_ + h > tableBottom_;
    DrawRow(c, false, tableBottom_);
    tableY_ = std::min(tableY_ + h, tableBottom_);
    ++rowsOnPage_;
    return kOk;
}

int ReportJob::PrintFieldsEnd() {
    if (state_ != State::Started)
        return Fail(kErrState, PlatformText(IDS_PRINTFIELDSEND_OHNE_START));
    repeatRow_ = false;
    return kOk;
}

int ReportJob::PrintEnd() {
    if (state_ != State::Started) return Fail(kErrState, PlatformText(IDS_PRINTEND_OHNE_START));
    if (pages_.pages.empty()) Print();
    recorder_.reset();
    state_ = State::Ended;
    if (cancelled_) return Fail(kErrUserAborted, PlatformText(IDS_DRUCK_ABGEBROCHEN));
    int rc = kOk;
    switch (destination_) {
    case Destination::Export:
        if (!WritePdf(pages_, ExportFile(), error_)) rc = kErrExport;
        break;
    case Destination::Printer:
        rc = SendToPrinter(pages_);
        break;
    case Destination::Preview:
        // A preview the caller did not ask for (the designer's stand-in, the
        // options dialog's choice) is shown here; its own the caller shows.
        if (requested_ != Destination::Preview) rc = PreviewDisplay();
        break;
    }
    return rc;
}

int ReportJob::PreviewDisplay() {
    if (state_ != State::Ended) return Fail(kErrState, PlatformText(IDS_VORSCHAU_OHNE_DRUCKENDE));
    return Fail(kErrDevice, PlatformText(IDS_VORSCHAU_OHNE_BILDSCHIRM));
}

int ReportJob::SendToPrinter(const ReportPages&) {
    return Fail(kErrDevice, PlatformText(IDS_DRUCKEN_OHNE_BILDSCHIRM));
}

} // namespace vx::report
