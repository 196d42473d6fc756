#include "model/CModul.h"

#include "model/ModuleKinds.h"

#include <map>

uint16_t CalculationMode = kModeFullLoad;
int16_t CaseIndex = -1;

namespace {

std::function<void()>& Pump() {
    static std::function<void()> pump;
    return pump;
}

bool g_pumping = false;

std::map<std::string, ModuleFactory>& Factories() {
    static std::map<std::string, ModuleFactory> factories;
    return factories;
}

bool EndsBranch(const CModul* m) {
    return m->IsKindOf("CWaerme") || m->IsKindOf("CAbgasAbluft") || m->IsKindOf("CNebenLuft");
}

void InsertBelow(CModul* m, CModul* module) {
    for (;;) {
        if (!m->IsKindOf("CAbzweige")) {
            if (!m->next) {
                m->next = module;
                return;
            }
            m = m->next;
            continue;
        }
        if (!m->branchComplete) {
            // A junction fills its own leg until a source of flue gas or air closes it.
            if (!m->next) m->next = module;
            else InsertBelow(m->next, module);
            if (EndsBranch(module)) m->branchComplete = 1;
            return;
        }
        if (!m->branch) {
            m->branch = module;
            return;
        }
        m = m->branch;
    }
}

void ResetRunLengths(CModul* m) {
    if (!m) return;
    ResetRunLengths(m->next);
    ResetRunLengths(m->branch);
    m->ResetRunLength();
}

void ExchangeRunLengths(CModul* start) {
    for (CModul* m = start; m; m = m->branch) {
        CModul* n = m->next;
        const bool same = n && std::string_view(n->ClassName()) == m->ClassName();
        if (same) n->AddRunLength(m->GetRunLength());
        ExchangeRunLengths(n);
        if (same) m->SetRunLength(n->GetRunLength());
    }
}

} // namespace

CModul& CModul::operator=(const CModul& other) {
    ordinal = other.ordinal;
    connectorFlag = other.connectorFlag;
    return *this;
}

void CModul::BroadcastValue(int what, double x) {
    if (next) next->BroadcastValue(what, x);
    if (branch) branch->BroadcastValue(what, x);
}

void CModul::CollectBranchValue(double& x, int& n, int what) {
    if (next) next->CollectBranchValue(x, n, what);
    if (branch) branch->CollectBranchValue(x, n, what);
}

void CModul::WriteRecord(std::string& text, int what) {
    if (next) next->WriteRecord(text, what);
    if (branch) branch->WriteRecord(text, what);
}

void CModul::CollectResults(double a, double b, double c) {
    if (branch) branch->CollectResults(a, b, c);
    if (next) next->CollectResults(a, b, c);
    OnCollectResults(a, b, c);
}

void CModul::DistributeValues(double a, double b, double c, double d) {
    if (branch) branch->DistributeValues(a, b, c, d);
    if (next) next->DistributeValues(a, b, c, d);
}

AbgasZustand* CModul::HandOnUnchanged(const AbgasZustand* state) {
    static AbgasZustand spare;
    if (state) spare = *state;
    else spare.Clear();
    return &spare;
}

AbgasZustand* CModul::CalculateChain(AbgasZustand* state, int v) {
    if (!PumpCalculationMessages()) return HandOnUnchanged(state);
    AbgasZustand* r = CalcForChain(state, CalculationMode, CaseIndex, v);
    // A module without a result hands the incoming state on.
    if (!r) return HandOnUnchanged(state);
    if (next) {
        AbgasZustand* q = next->CalculateChain(r, v);
        if (!q) q = r;
        r->criteria &= q->criteria;
        r->pressureLoss = q->pressureLoss;
        r->airSideLoss = q->airSideLoss;
    }
    if (branch) {
        AbgasZustand* q = branch->CalculateChain(r, v);
        if (!q) q = r;
        r->criteria &= q->criteria;
        r->pressureLoss = q->pressureLoss;
        r->airSideLoss = q->airSideLoss + r->airSideLoss;
    }
    return r;
}

void CModul::ExchangeChainValues(CModul* head) {
    ResetRunLengths(head);
    ExchangeRunLengths(head);
}

void CModul::NotifyChain(CModul* head, double* x) {
    if (!head) return;
    NotifyChain(head->branch, x);
    NotifyChain(head->next, x);
    head->Notify(x);
}

void InsertModule(CModul* start, CModul*& anchor, CModul* module) {
    if (!module) return;
    if (!anchor) {
        anchor = module;
        return;
    }
    InsertBelow(start ? start : anchor, module);
}

void RemoveModules(CModul* start) {
    for (CModul* m = start; m; m = m->branch) {
        while (m->next && m->next->IsKindOf("CAbzweige")) {
            CModul* junction = m->next;
            m->branch = junction->branch;
            m->next = junction->next;
        }
        RemoveModules(m->next);
    }
}

void UnlinkChain(CModul* start) {
    if (!start) return;
    UnlinkChain(start->next);
    start->next = nullptr;
    UnlinkChain(start->branch);
    start->branch = nullptr;
}

AbgasZustand* PropagateChainValues(CModul* m) {
    if (!m || g_pumping) return nullptr;
    AbgasZustand* s = nullptr;
    if (m->branch) {
        m->branch->SetInletValue(m->GetOutletValue());
        s = PropagateChainValues(m->branch);
    }
    if (m->next) {
        m->next->SetInletValue(m->GetOutletValue());
        const std::string_view kind = m->next->ClassName();
        // Secondary and exhaust air take the state directly and are not descended into.
        if (kind == "CNebenLuft" || kind == "CAbgasAbluft") s = m->next->Calculate(s, CalculationMode, CaseIndex, 0, 0);
        else s = PropagateChainValues(m->next);
    }
    return m->Calculate(s, CalculationMode, CaseIndex, 0, 0);
}

void SetCalculationMessagePump(std::function<void()> pump) { Pump() = std::move(pump); }

bool PumpCalculationMessages() {
    if (g_pumping) return false;
    if (!Pump()) return true;
    g_pumping = true;
    struct Done {
        ~Done() { g_pumping = false; }
    } done;
    Pump()();
    return true;
}

bool CalculationMessagePumpRunning() { return g_pumping; }

void RegisterModuleKind(const std::string& className, ModuleFactory factory) {
    Factories()[className] = std::move(factory);
}

std::unique_ptr<CModul> CreateModule(const std::string& className) {
    static const bool registered = (RegisterModelModuleKinds(), true);
    (void)registered;
    auto it = Factories().find(className);
    return it == Factories().end() ? nullptr : it->second();
}
