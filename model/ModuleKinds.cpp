#include "model/ModuleKinds.h"

#include "model/CAbzweige.h"
#include "model/CModul.h"

#include <memory>

void RegisterModelModuleKinds() {
    RegisterModuleKind("CAbzweige", [] { return std::make_unique<CAbzweige>(); });
}
