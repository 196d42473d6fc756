#include "platform/report/ReportLayout.h"

#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/PlatformText.h"
#include "platform/Profile.h"

#include <algorithm>
#include <cmath>

namespace vx::report {
namespace {

// fgets with a 254-byte buffer takes 253 bytes, the line feed included.
constexpr size_t kMaxLine = 252;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    size_t pos = 0;
    for (;;) {
        size_t at = s.find(sep, pos);
        parts.push_back(s.substr(pos, at == std::string_view::npos ? std::string_view::npos : at - pos));
        if (at == std::string_view::npos) break;
        pos = at + 1;
    }
    return parts;
}

bool ParseNumber(std::string_view text, double& out) {
    text = Trim(text);
    if (text.empty()) return false;
    size_t used = 0;
    double v = ParseDouble(text, &used);
    if (used != text.size() || !std::isfinite(v)) return false;
    out = v;
    return true;
}

// Millimetres to layout units, within a sane range for paper.
bool ParseMm(std::string_view text, int& out, double lo = -2000, double hi = 2000) {
    double mm = 0;
    if (!ParseNumber(text, mm) || mm < lo || mm > hi) return false;
    out = int(std::lround(mm * kUnitsPerMm));
    return true;
}

bool ParseRect(std::string_view text, Rect& out) {
    auto p = Split(text, ',');
    if (p.size() != 4) return false;
    int v[4];
    for (int i = 0; i < 4; ++i)
        if (!ParseMm(p[size_t(i)], v[i])) return false;
    if (v[2] < 0 && v[3] < 0) return false;
    out = Rect{v[0], v[1], v[0] + v[2], v[1] + v[3]};
    return true;
}

bool ParseColor(std::string_view text, Color& out) {
    auto p = Split(text, ',');
    if (p.size() != 3) return false;
    uint8_t c[3];
    for (int i = 0; i < 3; ++i) {
        double v = 0;
        if (!ParseNumber(p[size_t(i)], v) || v < 0 || v > 255 || v != std::floor(v)) return false;
        c[i] = uint8_t(v);
    }
    out = Color{c[0], c[1], c[2]};
    return true;
}

bool ParseFlag(std::string_view text, bool& out) {
    text = Trim(text);
    if (text == "0") out = false;
    else if (text == "1") out = true;
    else return false;
    return true;
}

bool ParseAlign(std::string_view text, Align& out) {
    text = Trim(text);
    if (EqualNoCase(text, "left") || EqualNoCase(text, "L")) out = Align::Left;
    else if (EqualNoCase(text, "center") || EqualNoCase(text, "C")) out = Align::Center;
    else if (EqualNoCase(text, "right") || EqualNoCase(text, "R")) out = Align::Right;
    else return false;
    return true;
}

bool ParseVisibility(std::string_view text, Visibility& out) {
    text = Trim(text);
    out = Visibility{};
    if (text == "0" || text == "1") {
        out.constant = text == "1";
        return true;
    }
    if (!text.empty() && text.front() == '!') {
        out.negate = true;
        text = Trim(text.substr(1));
    } else if (!text.empty() && text.front() == '?') {
        out.whenFilled = true;
        text = Trim(text.substr(1));
    }
    if (text.empty() || text.find_first_of("<> !") != std::string_view::npos) return false;
    out.constant.reset();
    out.variable = std::string(text);
    return true;
}

bool ParsePage(std::string_view text, PageRule& rule, int& number) {
    text = Trim(text);
    if (EqualNoCase(text, "all")) rule = PageRule::All;
    else if (EqualNoCase(text, "first")) rule = PageRule::First;
    else if (EqualNoCase(text, "next")) rule = PageRule::Next;
    else {
        size_t used = 0;
        int64_t n = ParseLong(text, &used);
        if (used != text.size() || n < 1 || n > 9999) return false;
        rule = PageRule::Number;
        number = int(n);
    }
    return true;
}

enum class Section { None, Layout, Text, Line, Rect, Table };

class Reader {
public:
    Reader(const std::string& name, Layout& out, std::string& error) : name_(name), out_(out), error_(error) {}

    bool Run(std::string_view text) {
        out_ = Layout{};
        if (text.find('\0') != std::string_view::npos)
            return Fail(0, PlatformText(IDS_VORLAGE_KEINE_TEXTDATEI));
        size_t pos = 0;
        int number = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            std::string_view raw = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
            pos = end == std::string_view::npos ? text.size() : end + 1;
            ++number;
            if (raw.size() > kMaxLine)
                return Fail(number, Format(PlatformText(IDS_VORLAGE_ZEILE_ZU_LANG), int(kMaxLine)));
            if (!Line(number, Trim(raw))) return false;
        }
        return Finish();
    }

private:
    bool Fail(int line, const std::string& what) {
        error_ = line > 0 ? Format(PlatformText(IDS_VORLAGE_FEHLER_IN_ZEILE), name_, line, what)
                          : Format(PlatformText(IDS_VORLAGE_FEHLER), name_, what);
        return false;
    }

    bool Line(int number, std::string_view t) {
        if (t.empty() || t.front() == ';' || t.front() == '#') return true;
        if (t.front() == '[') {
            if (t.back() != ']') return Fail(number, PlatformText(IDS_VORLAGE_ABSCHNITT_OFFEN));
            return BeginSection(number, Trim(t.substr(1, t.size() - 2)));
        }
        size_t eq = t.find('=');
        if (eq == std::string_view::npos)
            return Fail(number, Format(PlatformText(IDS_VORLAGE_ZEILE_UNVERSTAENDLICH), t));
        std::string_view key = Trim(t.substr(0, eq));
        std::string_view value = Trim(t.substr(eq + 1));
        if (section_ == Section::None)
            return Fail(number, PlatformText(IDS_VORLAGE_EINTRAG_VOR_ABSCHNITT));
        if (!Key(number, key, value)) {
            if (error_.empty())
                return Fail(number, Format(PlatformText(IDS_VORLAGE_WERT_UNGUELTIG), key, value));
            return false;
        }
        return true;
    }

    bool BeginSection(int number, std::string_view head) {
        if (!FinishSection()) return false;
        seen_.clear();
        line_ = number;
        if (EqualNoCase(head, "Layout")) {
            if (hadLayout_) return Fail(number, PlatformText(IDS_VORLAGE_LAYOUT_DOPPELT));
            hadLayout_ = true;
            section_ = Section::Layout;
            return true;
        }
        size_t colon = head.find(':');
        std::string_view type = Trim(head.substr(0, colon));
        std::string name = colon == std::string_view::npos ? "" : std::string(Trim(head.substr(colon + 1)));
        if (name.empty())
            return Fail(number, Format(PlatformText(IDS_VORLAGE_OBJEKT_OHNE_NAMEN), head));
        if (EqualNoCase(type, "Text")) section_ = Section::Text;
        else if (EqualNoCase(type, "Line")) section_ = Section::Line;
        else if (EqualNoCase(type, "Rect")) section_ = Section::Rect;
        else if (EqualNoCase(type, "Table")) section_ = Section::Table;
        else
            return Fail(number, Format(PlatformText(IDS_VORLAGE_OBJEKTART_UNBEKANNT), type));
        if (section_ == Section::Table) {
            if (out_.table) return Fail(number, PlatformText(IDS_VORLAGE_NUR_EINE_TABELLE));
            table_ = LayoutTable{};
            table_.name = name;
            table_.line = number;
        } else {
            object_ = LayoutObject{};
            object_.kind = section_ == Section::Text ? LayoutObject::Kind::Text
                           : section_ == Section::Line ? LayoutObject::Kind::Line
                                                       : LayoutObject::Kind::Rect;
            object_.name = name;
            object_.line = number;
            if (section_ == Section::Rect) object_.pen = 0;
        }
        return true;
    }

    bool FinishSection() {
        bool hasRect = false;
        for (auto& k : seen_) hasRect = hasRect || EqualNoCase(k, "Rect");
        switch (section_) {
        case Section::None:
        case Section::Layout:
            break;
        case Section::Text:
        case Section::Line:
        case Section::Rect:
            if (!hasRect)
                return Fail(line_,
                            Format(PlatformText(IDS_VORLAGE_OBJEKT_OHNE_RECT), object_.name));
            if (section_ == Section::Text && object_.rect.Width() <= 0)
                return Fail(line_,
                            Format(PlatformText(IDS_VORLAGE_TEXT_OHNE_BREITE), object_.name));
            if (section_ == Section::Rect && (object_.rect.Width() <= 0 || object_.rect.Height() <= 0))
                return Fail(line_,
                            Format(PlatformText(IDS_VORLAGE_RECHTECK_OHNE_FLAECHE), object_.name));
            out_.objects.push_back(std::move(object_));
            break;
        case Section::Table: {
            if (!hasRect)
                return Fail(line_,
                            Format(PlatformText(IDS_VORLAGE_TABELLE_OHNE_RECT), table_.name));
            if (table_.columns.empty())
                return Fail(line_,
                            Format(PlatformText(IDS_VORLAGE_TABELLE_OHNE_SPALTEN), table_.name));
            if (table_.rect.Width() <= 0 || table_.rect.Height() < 0)
                return Fail(line_,
                            Format(PlatformText(IDS_VORLAGE_TABELLE_RECT_UNGUELTIG), table_.name));
            out_.table = std::move(table_);
            break;
        }
        }
        section_ = Section::None;
        return true;
    }

    bool Finish() {
        if (!FinishSection()) return false;
        if (!hadLayout_) return Fail(0, PlatformText(IDS_VORLAGE_LAYOUT_FEHLT));
        if (out_.left + out_.bottom >= out_.pageHeight || out_.top + out_.bottom >= out_.pageHeight ||
            out_.left >= out_.pageWidth)
            return Fail(0, PlatformText(IDS_VORLAGE_RAENDER_ZU_GROSS));
        return true;
    }

    // Keys that may repeat; every other key only once per section.
    static bool Repeats(std::string_view key) { return EqualNoCase(key, "Text") || EqualNoCase(key, "Column"); }

    bool Key(int number, std::string_view key, std::string_view value) {
        if (!Repeats(key)) {
            for (auto& k : seen_)
                if (EqualNoCase(k, key))
                    return Fail(number, Format(PlatformText(IDS_VORLAGE_SCHLUESSEL_DOPPELT), key));
            seen_.emplace_back(key);
        }
        if (section_ == Section::Layout) return LayoutKey(number, key, value);
        if (section_ == Section::Table) return TableKey(number, key, value);
        return ObjectKey(number, key, value);
    }

    bool LayoutKey(int number, std::string_view key, std::string_view value) {
        if (EqualNoCase(key, "Width")) return ParseMm(value, out_.pageWidth, 10, 2000);
        if (EqualNoCase(key, "Height")) return ParseMm(value, out_.pageHeight, 10, 2000);
        if (EqualNoCase(key, "Left")) return ParseMm(value, out_.left, 0, 500);
        if (EqualNoCase(key, "Top")) return ParseMm(value, out_.top, 0, 500);
        if (EqualNoCase(key, "Bottom")) return ParseMm(value, out_.bottom, 0, 500);
        if (EqualNoCase(key, "xOffset") || EqualNoCase(key, "yOffset")) {
            // Written with %ld by the form settings: a plain integer.
            size_t used = 0;
            int64_t v = ParseLong(value, &used);
            if (used != value.size() || value.empty() || v < -100000 || v > 100000) return false;
            (EqualNoCase(key, "xOffset") ? out_.xOffsetUm : out_.yOffsetUm) = long(v);
            return true;
        }
        return Fail(number, Format(PlatformText(IDS_VORLAGE_SCHLUESSEL_IN_LAYOUT), key));
    }

    bool StyleKey(std::string_view key, std::string_view value, TextStyle& style, bool& known) {
        known = true;
        if (EqualNoCase(key, "Font")) {
            if (value.empty()) return false;
            style.font = std::string(value);
            return true;
        }
        if (EqualNoCase(key, "Size")) return ParseNumber(value, style.points) && style.points >= 2 && style.points <= 200;
        if (EqualNoCase(key, "Bold")) return ParseFlag(value, style.bold);
        if (EqualNoCase(key, "Italic")) return ParseFlag(value, style.italic);
        if (EqualNoCase(key, "Underline")) return ParseFlag(value, style.underline);
        if (EqualNoCase(key, "Align")) return ParseAlign(value, style.align);
        if (EqualNoCase(key, "Color")) return ParseColor(value, style.color);
        known = false;
        return false;
    }

    bool ObjectKey(int number, std::string_view key, std::string_view value) {
        LayoutObject& o = object_;
        if (EqualNoCase(key, "Rect")) return ParseRect(value, o.rect);
        if (EqualNoCase(key, "Visible")) return ParseVisibility(value, o.visible);
        if (EqualNoCase(key, "Page")) return ParsePage(value, o.page, o.pageNumber);
        if (section_ == Section::Text) {
            if (EqualNoCase(key, "Text")) {
                TemplateText t;
                if (!ParseTemplate(value, t))
                    return Fail(number, PlatformText(IDS_VORLAGE_VORLAGE_OHNE_ENDE));
                o.paragraphs.push_back(std::move(t));
                return true;
            }
            if (EqualNoCase(key, "Frame")) return ParseMm(value, o.frame, 0, 10);
            bool known = false;
            bool ok = StyleKey(key, value, o.style, known);
            if (known) return ok;
        } else if (section_ == Section::Line) {
            if (EqualNoCase(key, "Width")) return ParseMm(value, o.pen, 0, 10);
            if (EqualNoCase(key, "Color")) return ParseColor(value, o.penColor);
        } else {
            if (EqualNoCase(key, "Border")) return ParseMm(value, o.pen, 0, 10);
            if (EqualNoCase(key, "Color")) return ParseColor(value, o.penColor);
            if (EqualNoCase(key, "Fill")) {
                Color c;
                if (!ParseColor(value, c)) return false;
                o.fill = c;
                return true;
            }
        }
        return Fail(number, Format(PlatformText(IDS_VORLAGE_SCHLUESSEL_UNBEKANNT), key));
    }

    bool TableKey(int number, std::string_view key, std::string_view value) {
        LayoutTable& t = table_;
        if (EqualNoCase(key, "Rect")) return ParseRect(value, t.rect);
        if (EqualNoCase(key, "NextTop")) {
            int y = 0;
            if (!ParseMm(value, y)) return false;
            t.nextTop = y;
            return true;
        }
        if (EqualNoCase(key, "Visible")) return ParseVisibility(value, t.visible);
        if (EqualNoCase(key, "Page")) return ParsePage(value, t.page, t.pageNumber);
        if (EqualNoCase(key, "Header")) return ParseFlag(value, t.header);
        if (EqualNoCase(key, "Grid")) return ParseMm(value, t.grid, 0, 10);
        if (EqualNoCase(key, "Column")) {
            auto p = Split(value, '|');
            if (p.size() != 4) return Fail(number, PlatformText(IDS_VORLAGE_SPALTE_UNVOLLSTAENDIG));
            LayoutColumn c;
            if (!ParseMm(p[0], c.width, 1, 2000) || !ParseAlign(p[1], c.align)) return false;
            if (!ParseTemplate(Trim(p[2]), c.heading) || !ParseTemplate(Trim(p[3]), c.content))
                return Fail(number, PlatformText(IDS_VORLAGE_VORLAGE_OHNE_ENDE));
            t.columns.push_back(std::move(c));
            return true;
        }
        bool known = false;
        bool ok = StyleKey(key, value, t.style, known);
        if (known) return ok;
        return Fail(number, Format(PlatformText(IDS_VORLAGE_SCHLUESSEL_UNBEKANNT), key));
    }

    const std::string& name_;
    Layout& out_;
    std::string& error_;
    Section section_ = Section::None;
    bool hadLayout_ = false;
    int line_ = 0;
    std::vector<std::string> seen_;
    LayoutObject object_;
    LayoutTable table_;
};

void AddRefs(const TemplateText& t, bool inTable, int line, std::vector<Layout::Reference>& out) {
    for (const auto& p : t)
        if (p.variable) out.push_back({p.text, false, inTable, line});
}

} // namespace

bool ParseTemplate(std::string_view text, TemplateText& out) {
    out.clear();
    std::string literal;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '>' && i + 1 < text.size() && text[i + 1] == '>') {
            literal += '>';
            ++i;
            continue;
        }
        if (c != '<') {
            literal += c;
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '<') {
            literal += '<';
            ++i;
            continue;
        }
        size_t close = text.find('>', i + 1);
        if (close == std::string_view::npos || close == i + 1) return false;
        if (!literal.empty()) out.push_back({false, std::move(literal)});
        literal.clear();
        out.push_back({true, std::string(text.substr(i + 1, close - i - 1))});
        i = close;
    }
    if (!literal.empty()) out.push_back({false, std::move(literal)});
    return true;
}

bool PageRuleMatches(PageRule rule, int number, int page) {
    switch (rule) {
    case PageRule::All: return true;
    case PageRule::First: return page == 1;
    case PageRule::Next: return page > 1;
    case PageRule::Number: return page == number;
    }
    return true;
}

Point Layout::Origin() const {
    // Micrometres to tenths of a millimetre.
    return Point{left + int(xOffsetUm / 100), top + int(yOffsetUm / 100)};
}

int Layout::LowestTop() const {
    int lowest = 0;
    for (const auto& o : objects) lowest = std::max(lowest, o.rect.top);
    if (table) lowest = std::max(lowest, table->rect.top);
    return lowest;
}

int Layout::Span() const {
    int span = 0;
    for (const auto& o : objects) span = std::max({span, o.rect.left, o.rect.right});
    if (table) {
        int right = table->rect.left;
        for (const auto& c : table->columns) right += c.width;
        span = std::max({span, table->rect.right, right});
    }
    return span;
}

Placement Layout::Place() const {
    Placement p;
    p.origin = Origin();
    p.xOffset = xOffsetUm / 100;
    p.yOffset = yOffsetUm / 100;
    p.span = Span();
    p.lowest = LowestTop();
    return p;
}

int Layout::Narrowed(int length) const { return Place().Narrowed(length); }

int Layout::Lowered(int y) const { return Place().Lowered(y); }

int Placement::Narrowed(int length) const {
    if (xOffset <= 0 || span <= xOffset) return length;
    return int(std::lround(double(length) * double(span - xOffset) / span));
}

int Placement::Lowered(int y) const {
    if (yOffset <= 0 || lowest <= yOffset) return y;
    return int(std::lround(double(y) * double(lowest - yOffset) / lowest));
}

Rect Placement::PageRect(const Rect& r) const {
    const int top = origin.y + Lowered(r.top);
    return Rect{origin.x + Narrowed(r.left), top, origin.x + Narrowed(r.right), top + r.Height()};
}

std::vector<Layout::Reference> Layout::References() const {
    std::vector<Reference> refs;
    auto visibility = [&](const Visibility& v, bool inTable, int line) {
        if (!v.constant) refs.push_back({v.variable, !v.whenFilled, inTable, line});
    };
    for (const auto& o : objects) {
        visibility(o.visible, false, o.line);
        for (const auto& p : o.paragraphs) AddRefs(p, false, o.line, refs);
    }
    if (table) {
        visibility(table->visible, false, table->line);
        for (const auto& c : table->columns) {
            AddRefs(c.heading, false, table->line, refs);
            AddRefs(c.content, true, table->line, refs);
        }
    }
    return refs;
}

bool ParseLayout(std::string_view text, const std::string& name, Layout& out, std::string& error) {
    error.clear();
    Reader reader(name, out, error);
    return reader.Run(text);
}

bool ReadLayout(const std::string& path, Layout& out, std::string& error) {
    std::string text;
    switch (ReadFileUpTo(path, text, kLayoutFileLimit)) {
    case ReadLimited::Read:
        break;
    case ReadLimited::TooLarge:
        out = Layout{};
        error = Format(PlatformText(IDS_DRUCKVORLAGE_ZU_GROSS), PathForDisplay(path),
                       int(kLayoutFileLimit >> 20));
        return false;
    case ReadLimited::Failed:
        error = Format(PlatformText(IDS_DRUCKVORLAGE_NICHT_LESBAR), PathForDisplay(path));
        return false;
    }
    return ParseLayout(text, path, out, error);
}

} // namespace vx::report
