// Layout files ("Druckvorlagen") of the reporting layer: plain text in code
// page 1252, INI-style, so that the form settings can rewrite the page offsets
// line by line.
//
//   ; comment line ("#" too); blank lines are ignored
//   [Layout]                    required, once
//   Width=210                   page width and height in mm (default A4)
//   Height=297
//   Left=20                     margins in mm; objects are placed from the
//   Top=15                      point (Left, Top), the table ends at the
//   Bottom=15                   bottom margin
//   xOffset=0                   extra margin in micrometres, written by the
//   yOffset=0                   form settings: xOffset narrows the objects'
//                               span, yOffset moves the top object down and
//                               keeps the lowest one where it was
//
//   [Text:Name]                 text object
//   Rect=x,y,w,h                mm from the margin point; h 0: as high as
//                               the text needs, otherwise clipped to h
//   Text=Projekt: <PrNr>        repeatable, one paragraph each; <Name> is a
//                               variable, "<<" and ">>" are literal "<" and
//                               ">"; words wrap at w; a paragraph whose
//                               variables are all empty is left out
//   Font=Arial  Size=10         family name and size in points
//   Bold=0  Italic=0  Underline=0
//   Align=left|center|right
//   Color=r,g,b                 0..255 each
//   Frame=0.2                   border pen width in mm (0: none)
//
//   [Line:Name]                 line from (x,y) to (x+w,y+h)
//   Rect=x,y,w,h  Width=0.3 (pen in mm)  Color=r,g,b
//
//   [Rect:Name]                 named rectangle: the notification callback is
//   Rect=x,y,w,h                asked to draw into it; Border pen width in mm
//   Border=0.3  Color=r,g,b     (0: none) and colour, an optional fill
//   Fill=r,g,b
//
//   [Table:Name]                at most one table, bound to the fields
//   Rect=x,y,w,h                h 0: down to the bottom margin
//   NextTop=y                   top on the following pages (default y)
//   Font=Arial  Size=9  Header=1 (headings on every page)  Grid=0.1 (mm)
//   Column=width|align|heading|content
//                               repeatable; width in mm, align L, C or R;
//                               heading and content with <Name> placeholders
//
//   Every object also takes:
//   Visible=Name | !Name | 0 | 1   shown when the boolean variable is true
//   Visible=?Name                  shown when the variable is not empty
//   Page=all|first|next|n          all pages, page 1, pages 2.., page n
//
// Lines must stay under 254 characters, and the words xOffset and yOffset
// may appear nowhere but in their two keys: the form settings replace every
// line containing them. Numbers are written with ".".
#pragma once

#include "platform/Canvas.h"

#include <optional>
#include <string>
#include <vector>

namespace vx::report {

// Page and object geometry, in tenths of a millimetre.
inline constexpr int kUnitsPerMm = 10;
inline constexpr int kUnitsPerInch = 254;

// A text with placeholders, split into literal and variable pieces.
struct TextPiece {
    bool variable = false;
    std::string text;  // literal text or the variable's name
    friend bool operator==(const TextPiece&, const TextPiece&) = default;
};
using TemplateText = std::vector<TextPiece>;

struct Visibility {
    std::optional<bool> constant = true;  // "0" or "1"; none: the variable decides
    std::string variable;
    bool negate = false;
    bool whenFilled = false;  // "?Name": any variable, shown when not blank
};

enum class PageRule { All, First, Next, Number };

enum class Align { Left, Center, Right };

struct TextStyle {
    std::string font = "Arial";
    double points = 10;
    bool bold = false, italic = false, underline = false;
    Align align = Align::Left;
    Color color = kBlack;
};

struct LayoutObject {
    enum class Kind { Text, Line, Rect };
    Kind kind = Kind::Text;
    std::string name;
    int line = 0;  // line of its section in the file, for messages
    Rect rect;     // from the margin point, offsets not yet applied
    Visibility visible;
    PageRule page = PageRule::All;
    int pageNumber = 0;

    // Text
    std::vector<TemplateText> paragraphs;
    TextStyle style;
    int frame = 0;  // pen width, 0: none
    // Line and Rect
    int pen = 3;
    Color penColor = kBlack;
    std::optional<Color> fill;
};

struct LayoutColumn {
    int width = 0;
    Align align = Align::Left;
    TemplateText heading;
    TemplateText content;
};

struct LayoutTable {
    std::string name;
    int line = 0;
    Rect rect;        // bottom == top: down to the bottom margin
    std::optional<int> nextTop;
    Visibility visible;
    PageRule page = PageRule::All;
    int pageNumber = 0;
    TextStyle style{"Arial", 9};
    bool header = true;
    int grid = 1;
    std::vector<LayoutColumn> columns;
};

// Where a layout's objects lie on the page. The span and the lowest top
// depend on every object, so a page takes them once and places each object
// from them.
struct Placement {
    Point origin;
    long xOffset = 0, yOffset = 0;  // in layout units
    int span = 0;    // right edge of the rightmost object or table column
    int lowest = 0;  // top of the lowest object or table

    int Narrowed(int length) const;
    int Lowered(int y) const;
    // A layout rectangle on the page: narrowed, moved down, its height kept.
    Rect PageRect(const Rect& r) const;
};

struct Layout {
    int pageWidth = 2100, pageHeight = 2970;
    int left = 200, top = 150, bottom = 150;
    long xOffsetUm = 0, yOffsetUm = 0;
    std::vector<LayoutObject> objects;  // in drawing order
    std::optional<LayoutTable> table;

    // The page point of the objects' origin, offsets included.
    Point Origin() const;
    // A horizontal length or position from the margin point as it lies on
    // the page: a positive xOffset (the form settings' left margin) narrows
    // the span the objects cover, which keeps its right edge, instead of
    // pushing them past it.
    int Narrowed(int length) const;
    // A vertical position from the margin point as it lies on the page: a
    // positive yOffset (the form settings' top margin) moves the top down and
    // keeps the lowest object's top where it was, so that a footer stays on
    // the paper; heights are kept.
    int Lowered(int y) const;
    // The right edge of the rightmost object or table column, from the margin point.
    int Span() const;
    // The top of the lowest object or table, from the margin point.
    int LowestTop() const;
    Placement Place() const;
    // Every variable name the layout refers to, with the names in visibility
    // rules marked; fields are not told apart here.
    struct Reference {
        std::string name;
        bool inVisibility = false;  // a boolean one; "?Name" counts as a plain use
        bool inTable = false;
        int line = 0;
    };
    std::vector<Reference> References() const;
};

// A layout file is some kilobytes; one far larger is no layout and is not read.
inline constexpr size_t kLayoutFileLimit = size_t(4) << 20;

// Reads a layout file. On failure returns false and a German message naming
// the file and line.
bool ReadLayout(const std::string& path, Layout& out, std::string& error);
bool ParseLayout(std::string_view text, const std::string& name, Layout& out, std::string& error);

// Splits text with <Name> placeholders; false for an unclosed "<".
bool ParseTemplate(std::string_view text, TemplateText& out);

bool PageRuleMatches(PageRule rule, int number, int page);

} // namespace vx::report
