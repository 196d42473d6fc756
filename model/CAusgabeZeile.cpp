#include "model/CAusgabeZeile.h"

#include "platform/NumText.h"

CAusgabeZeile* AddOutputLine(OutputLines& lines, int a, int b, int c, int32_t value) {
    auto line = std::make_unique<CAusgabeZeile>();
    line->lineNumber = vx::Format("%02d.%d.%d", a, b, c);
    line->value = value;
    lines.push_back(std::move(line));
    return lines.back().get();
}
