#include "quorvel/fields/FieldRules.h"

#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "quorvel/fields/FieldText.h"
#include "values/CWerte.h"

namespace fields {

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Separator() { return g_DecimalSeparator.empty() ? ',' : g_DecimalSeparator[0]; }
} // namespace

std::string FieldString(unsigned id) {
    static const vx::StringTable table = vx::PartTable("quorvel", "fields_common.txt");
    return table.Get(id);
}

CharVerdict FilterChar(uint16_t kind, char c) {
    if (c == '\b') return {true, false};
    const bool digit = IsDigit(c);
    const bool point = c == '.' || c == Separator();
    switch (kind) {
    case KindSigned:
        return {digit || c == '-', digit};
    case KindDigits:
        return {digit, false};
    case KindSignedDecimal:
        return {digit || point || c == '-', digit || point};
    case KindDecimal:
        return {digit || point, digit || point};
    case KindAny:
        return {true, false};
    default:
        return {false, false};
    }
}

bool IsTextValid(uint16_t kind, std::string_view text) {
    if (kind == KindAny) return true;
    if (kind == KindSignedDecimal || kind == KindDecimal) {
        // A separator typed last is still being typed ("1,5," passes).
        const char sep = Separator();
        int separators = 0;
        for (size_t i = 0; i + 1 < text.size(); ++i)
            if (text[i] == sep) ++separators;
        if (separators > 1) return false;
    }
    if (kind == KindSigned || kind == KindSignedDecimal) {
        int minus = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '-') continue;
            if (i > 0 || ++minus > 1) return false;
        }
    }
    return true;
}

std::string RefusedKeyText(uint16_t kind) {
    switch (kind) {
    case KindSigned: return FieldString(IDS_FIELD_TAKES_SIGNED);
    case KindDigits: return FieldString(IDS_FIELD_TAKES_DIGITS);
    case KindSignedDecimal: return FieldString(IDS_FIELD_TAKES_SIGNED_DECIMAL);
    case KindDecimal: return FieldString(IDS_FIELD_TAKES_DECIMAL);
    default: return {};
    }
}

std::string NumberTextProblem(const CWerte& value, std::string_view text) {
    const uint16_t kind = value.inputKind;
    const bool numeric = kind == KindSigned || kind == KindDigits || kind == KindSignedDecimal || kind == KindDecimal;
    const bool ranged = value.rangeMessageId != 0 && (value.minimum != value.maximum || value.checkWhenEqual);
    if (!numeric || !ranged) return {};
    for (char c : text)
        if (IsDigit(c)) return {};
    return FieldString(IDS_FIELD_NUMBER_EXPECTED);
}

bool IsDateText(std::string_view text) {
    if (text.empty()) return true;
    int parts[3] = {0, 0, 0};
    size_t digits[3] = {0, 0, 0};
    size_t part = 0;
    for (char c : text) {
        if (c == '.') {
            if (++part > 2) return false;
        } else if (IsDigit(c) && digits[part] < 4) {
            parts[part] = parts[part] * 10 + (c - '0');
            ++digits[part];
        } else {
            return false;
        }
    }
    if (part != 2 || digits[0] == 0 || digits[0] > 2 || digits[1] == 0 || digits[1] > 2 ||
        (digits[2] != 2 && digits[2] != 4))
        return false;
    const int day = parts[0], month = parts[1];
    const int year = digits[2] == 2 ? 2000 + parts[2] : parts[2];
    static const int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(month == 2 && day == 29 && !leap);
}

bool FitsLimit(size_t length, size_t selected, size_t inserted, size_t limit) {
    if (limit == 0) return true;
    const size_t kept = selected > length ? 0 : length - selected;
    return kept + inserted <= limit;
}

bool IsSetByProgram(const CWerte& value) { return value.marker != CWerte::MarkerPlain; }

std::string PromptText(const CWerte& value, const FieldsDeliverable& d) {
    std::string text = value.promptId ? d.Load(value.promptId) : std::string();
    if (text.empty()) text = d.Load(d.idsHelpPrompt);
    if (IsSetByProgram(value)) text += ", " + d.Load(d.idsSetByProgram);
    return text;
}

std::string OneLineText(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return text;
}

std::string StatusBarText(std::string text) {
    for (char& c : text)
        if (c == '\t') c = ' ';
    return text;
}

bool IsGroupHeader(std::string_view item) { return !item.empty() && item[0] == '@'; }
std::string_view ItemLabel(std::string_view item) { return IsGroupHeader(item) ? item.substr(1) : item; }

Action ActionForKey(int fn, bool shiftDown, bool shiftMark, uint16_t flags, bool canUndo) {
    if (fn == 1) return shiftDown && (flags & FlagHelp) ? Action::Help : Action::None;
    if (shiftMark) return Action::None;
    switch (fn) {
    case 2:
        return flags & FlagPreset ? Action::Preset : Action::None;
    case 3:
        return flags & FlagProposal ? Action::Proposal : Action::None;
    case 4:
        return flags & FlagChoice ? Action::Choice : Action::None;
    case 5:
        return flags & FlagUnit ? Action::Unit : Action::None;
    case 6:
        return flags & FlagInput ? Action::Input : Action::None;
    case 7:
        return canUndo ? Action::History : Action::None;
    case 8:
        return Action::NextWrong;
    default:
        return Action::None;
    }
}

int CommandOfAction(Action action, const FieldsDeliverable& d) {
    switch (action) {
    case Action::Preset: return d.cmdPreset;
    case Action::Proposal: return d.cmdProposal;
    case Action::Choice: return d.cmdChoice;
    case Action::Unit: return d.cmdUnit;
    case Action::Input: return d.cmdInput;
    case Action::Help: return d.cmdHelp;
    case Action::History: return d.cmdHistory;
    default: return 0;
    }
}

Action ActionForCommand(int command, const FieldsDeliverable& d) {
    for (Action a : {Action::Preset, Action::Proposal, Action::Choice, Action::Unit, Action::Input, Action::Help,
                     Action::History})
        if (CommandOfAction(a, d) == command) return a;
    return Action::None;
}

std::vector<MenuEntry> ContextMenu(uint16_t flags, bool valueCanUndo, const EditState* edit,
                                   const FieldsDeliverable& d) {
    if (flags == 0) return {};
    const FieldsDeliverable& lib = QuorvelFields();
    std::vector<MenuEntry> raw;
    auto action = [&](uint16_t flag, Action a) {
        if (flags & flag) raw.push_back({CommandOfAction(a, lib), CommandOfAction(a, d), true});
    };
    const MenuEntry separator{};
    action(FlagPreset, Action::Preset);
    action(FlagProposal, Action::Proposal);
    action(FlagChoice, Action::Choice);
    action(FlagUnit, Action::Unit);
    action(FlagInput, Action::Input);
    raw.push_back(separator);
    action(FlagHelp, Action::Help);
    raw.push_back(separator);
    if (valueCanUndo) raw.push_back({lib.cmdHistory, d.cmdHistory, true});
    if (edit) {
        raw.push_back(separator);
        raw.push_back({CmdEditUndo, CmdEditUndo, edit->canUndo});
        raw.push_back(separator);
        raw.push_back({CmdCut, CmdCut, edit->hasSelection});
        raw.push_back({CmdCopy, CmdCopy, edit->hasSelection});
        raw.push_back({CmdPaste, CmdPaste, true});
        raw.push_back({CmdClear, CmdClear, edit->hasSelection});
        raw.push_back(separator);
        raw.push_back({CmdSelectAll, CmdSelectAll, edit->notEmpty});
    }
    std::vector<MenuEntry> menu;
    for (const MenuEntry& e : raw) {
        if (e.IsSeparator() && (menu.empty() || menu.back().IsSeparator())) continue;
        menu.push_back(e);
    }
    if (!menu.empty() && menu.back().IsSeparator()) menu.pop_back();
    return menu;
}

bool SpinStep(std::string_view text, int delta, double minimum, double maximum, std::string& out) {
    size_t begin = 0, end = text.size();
    while (begin < end && text[begin] == ' ') ++begin;
    while (end > begin && text[end - 1] == ' ') --end;
    const std::string_view number = text.substr(begin, end - begin);
    size_t used = 0;
    const int64_t n = vx::ParseLong(number, &used);
    if (used == 0 || used != number.size() || n < -2147483647 || n > 2147483647) return false;
    const int64_t next = n + delta;
    if (double(next) < minimum || double(next) > maximum) return false;
    out = vx::Format("%d", next);
    return true;
}

} // namespace fields
