#include "dbase/util/EngineText.h"

#include "platform/Files.h"
#include "platform/StringTable.h"

namespace vx {

const char* EngineText(unsigned id) {
    // Never changed after it is read, so the texts it hands out stay put.
    static const StringTable table = [] {
        StringTable t;
        t.LoadFile(JoinPath(JoinPath(ResourceDir(), "dbase"), "strings.txt"));
        return t;
    }();
    const std::string* text = table.Find(id);
    return text ? text->c_str() : "";
}

} // namespace vx
