#include "dbase/QueryTag.h"

namespace vx {
namespace {

// The tables' own index tags.
class TableTags final : public QueryTagSource {
public:
    std::vector<QueryTag*> tags(TableHandle*) override { return {}; }
    QueryTag* selected(TableHandle*) override { return nullptr; }
};

TableTags g_tableTags;
QueryTagSource* g_source = nullptr;

} // namespace

QueryTagSource& queryTagSource() { return g_source ? *g_source : g_tableTags; }

void setQueryTagSource(QueryTagSource* source) { g_source = source; }

} // namespace vx
