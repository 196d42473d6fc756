// The rules of the validated input fields that need no window: which typed
// characters a field takes, the syntax check, the prompt, the function keys,
// the context menu and the spin step.
#pragma once

#include "quorvel/fields/FieldsDeliverable.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CWerte;

namespace fields {

enum : uint16_t { KindSigned = 1, KindDigits = 2, KindSignedDecimal = 4, KindDecimal = 8, KindAny = 0xFFFF };
// Action flags of a value.
enum : uint16_t {
    FlagProposal = 0x01,
    FlagPreset = 0x02,
    FlagUnit = 0x04,
    FlagHelp = 0x08,
    FlagInput = 0x10,
    FlagChoice = 0x20,
};
// Commands of the edit part of the context menu.
enum : int { CmdEditUndo = 199, CmdCut = 768, CmdCopy = 769, CmdPaste = 770, CmdClear = 771, CmdSelectAll = 1063 };

struct CharVerdict {
    bool accept = false;
    bool marksTyped = false;
};
// A typed character (code page 1252) against the input kind. Backspace
// always passes.
CharVerdict FilterChar(uint16_t kind, char c);

// Syntax of a whole text: one decimal separator before the last character,
// one "-" and only in front.
bool IsTextValid(uint16_t kind, std::string_view text);

// What a numeric kind takes, for a refused key: "" for the other kinds.
std::string RefusedKeyText(uint16_t kind);
// A field of a numeric kind whose value has a range holds a number: the
// message when the text has no digit at all (an emptied field), else "".
std::string NumberTextProblem(const CWerte& value, std::string_view text);

// A date as the dialogs write it, "TT.MM.JJJJ" (day and month may have one
// digit, the year two): a day of the calendar. The empty text passes.
bool IsDateText(std::string_view text);

// Whether inserting `inserted` characters over `selected` ones keeps a text
// of `length` within `limit` (0: no limit).
bool FitsLimit(size_t length, size_t selected, size_t inserted, size_t limit);

// A value set by the program rather than typed: it shows a marker.
bool IsSetByProgram(const CWerte& value);
// The prompt shown when the field gets the focus.
std::string PromptText(const CWerte& value, const FieldsDeliverable& d);

// Tab, CR and LF as blanks, for the one-line message strip.
std::string OneLineText(std::string text);
// Tabs as blanks, for the status bar.
std::string StatusBarText(std::string text);

// A combo entry beginning with "@" heads a group; it is shown without the "@".
bool IsGroupHeader(std::string_view item);
std::string_view ItemLabel(std::string_view item);

enum class Action { None, Preset, Proposal, Choice, Unit, Input, Help, History, NextWrong };
// The action of function key Fn (1..12) released in a field. The Shift mark
// silences all but Shift+F1.
Action ActionForKey(int fn, bool shiftDown, bool shiftMark, uint16_t flags, bool canUndo);
// The action of a field's menu command; None for others.
Action ActionForCommand(int command, const FieldsDeliverable& d);
int CommandOfAction(Action action, const FieldsDeliverable& d);

struct MenuEntry {
    int libraryId = 0;  // item of menu 106; 0 for a separator
    int command = 0;    // the deliverable's command id
    bool enabled = true;
    bool IsSeparator() const { return libraryId == 0; }
};
struct EditState {
    bool canUndo = false;
    bool hasSelection = false;
    bool notEmpty = false;
};
// The context menu of a field: the actions the value offers, the history when
// it can undo and, for an edit field, the edit items; no separator stands
// alone. Empty when the value offers nothing.
std::vector<MenuEntry> ContextMenu(uint16_t flags, bool valueCanUndo, const EditState* edit,
                                   const FieldsDeliverable& d);

// A spin step on the field's integer: false when the text is no integer or
// the step leaves minimum..maximum.
bool SpinStep(std::string_view text, int delta, double minimum, double maximum, std::string& out);

} // namespace fields
