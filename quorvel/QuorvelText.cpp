#include "quorvel/QuorvelText.h"


vx::StringTable& QuorvelStrings() {
    static vx::StringTable table;
    return table;
}

std::string QuorvelString(unsigned id) {
    if (QuorvelStrings().Has(id)) return QuorvelStrings().Get(id);
    static const vx::StringTable own = vx::PartTable("quorvel");
    return own.Get(id);
}
