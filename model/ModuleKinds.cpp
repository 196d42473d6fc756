#include "model/ModuleKinds.h"

#include "model/CAbgasAbluft.h"
#include "model/CAbzweige.h"
#include "model/CNebenLuft.h"
#include "model/CSKopf.h"
#include "model/CSchorn.h"
#include "model/CVerb.h"
#include "model/CWaerme.h"

#include <memory>

// Listed here rather than registered by each kind's own file: a program that
// makes a kind only by its name would otherwise never link that file in.
void RegisterModelModuleKinds() {
    RegisterModuleKind("CSKopf", [] { return std::make_unique<CSKopf>(); });
    RegisterModuleKind("CSchorn", [] { return std::make_unique<CSchorn>(); });
    RegisterModuleKind("CVerb", [] { return std::make_unique<CVerb>(); });
    RegisterModuleKind("CWaerme", [] { return std::make_unique<CWaerme>(); });
    RegisterModuleKind("CAbzweige", [] { return std::make_unique<CAbzweige>(); });
    RegisterModuleKind("CNebenLuft", [] { return std::make_unique<CNebenLuft>(); });
    RegisterModuleKind("CAbgasAbluft", [] { return std::make_unique<CAbgasAbluft>(); });
}
