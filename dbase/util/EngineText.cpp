#include "dbase/util/EngineText.h"

#include "platform/Files.h"
#include "platform/StringTable.h"

namespace vx {

const char* EngineText(unsigned id) {
    // Never changed after it is read, and never destroyed, so the texts it
    // hands out stay put even for an error raised while the program ends.
    static const StringTable& table = *[] {
        auto* t = new StringTable;
        t->LoadFile(JoinPath(JoinPath(ResourceDir(), "dbase"), "strings.txt"));
        return t;
    }();
    const std::string* text = table.Find(id);
    return text ? text->c_str() : "";
}

} // namespace vx
