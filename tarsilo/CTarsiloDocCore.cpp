#include "tarsilo/CTarsiloDocCore.h"

#include "values/Helpers.h"

namespace {

// Without a display nothing shows and nothing cancels.
class SilentProgress : public AssignmentProgress {
public:
    void Show() override {}
    void Hide() override {}
    void SetStatusText(const std::string&) override {}
    bool IsCancelled() const override { return false; }
    void ClearCancel() override {}
};

} // namespace

int64_t AssignmentRow::CatalogueOffset() const { return -1; }

CTarsiloDocCore::CTarsiloDocCore() : FlueSystem(FlueSystemVariant::Assignment()), catalogue(GetDataDir()) {}

CTarsiloDocCore::~CTarsiloDocCore() = default;

std::unique_ptr<AssignmentProgress> CTarsiloDocCore::CreateProgress() { return std::make_unique<SilentProgress>(); }

void CTarsiloDocCore::ComputeAssignmentTable() {}
bool CTarsiloDocCore::ComputeManufacturer(const std::string&, int64_t) { return true; }
bool CTarsiloDocCore::MatchesSelectedFuel() const { return false; }
int CTarsiloDocCore::FuelIndexOfKind(int, int) { return -1; }
void CTarsiloDocCore::ApplySystem() {}
int32_t CTarsiloDocCore::GetDocValue(int, int) { return 0; }
double* CTarsiloDocCore::GetAirSupplyPressure() { return nullptr; }
