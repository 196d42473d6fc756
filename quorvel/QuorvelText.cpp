#include "quorvel/QuorvelText.h"

#include "platform/Files.h"

vx::StringTable& QuorvelStrings() {
    static vx::StringTable table;
    return table;
}

std::string QuorvelString(unsigned id) {
    if (QuorvelStrings().Has(id)) return QuorvelStrings().Get(id);
    static const vx::StringTable own = [] {
        vx::StringTable t;
        t.LoadFile(vx::JoinPath(vx::JoinPath(vx::ResourceDir(), "quorvel"), "strings.txt"));
        return t;
    }();
    return own.Get(id);
}
