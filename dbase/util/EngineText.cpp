#include "dbase/util/EngineText.h"

#include "platform/StringTable.h"

#include <algorithm>
#include <cstring>

namespace vx {

namespace {

// The table lives in static storage of a fixed size: nothing on the heap and
// nothing to destroy. A text handed out stays valid while the program or the
// library ends (an error may be raised then), and unloading the library
// leaves nothing behind. The engine's file holds about 160 texts in 7 KB.
constexpr size_t kMaxTexts = 1024;
constexpr size_t kTextBytes = 64 * 1024;

struct Texts {
    size_t count = 0;
    unsigned ids[kMaxTexts];  // ascending
    const char* texts[kMaxTexts];
    char bytes[kTextBytes];
};

Texts& Load(Texts& into) {
    const StringTable file = PartTable("dbase");
    size_t used = 0;
    file.ForEach([&](unsigned id, const std::string& text) {
        if (into.count == kMaxTexts || used + text.size() + 1 > kTextBytes) return;
        std::memcpy(into.bytes + used, text.c_str(), text.size() + 1);
        into.ids[into.count] = id;
        into.texts[into.count++] = into.bytes + used;
        used += text.size() + 1;
    });
    return into;
}

} // namespace

const char* EngineText(unsigned id) {
    static Texts storage;
    static const Texts& table = Load(storage);
    const unsigned* end = table.ids + table.count;
    const unsigned* at = std::lower_bound(table.ids, end, id);
    return at != end && *at == id ? table.texts[at - table.ids] : "";
}

} // namespace vx
