#include "dbase/expr/ExprTableHandle.h"

#include <map>
#include <string>

#include "dbase/file/EngineContext.h"
#include "dbase/expr/ExprStep.h"
#include "dbase/data/Field.h"
#include "dbase/data/Table.h"

namespace vx {
namespace {

class TableSource final : public ExprTable {
public:
    explicit TableSource(TableHandle* t) : t_(t) {}

    int exprFieldIndex(std::string_view name) override {
        Field* f = tableField(t_, std::string(name).c_str());
        if (!f) return -210;
        return int(f - t_->fields.data());
    }
    ExprFieldInfo exprFieldInfo(int index) override {
        const Field& f = t_->fields[size_t(index)];
        return {char(f.type), int(f.len), int(f.dec), int(f.offset)};
    }
    const char* exprRecord() override { return tableRecord(t_); }
    std::string_view exprMemo(int index) override {
        Field* f = &t_->fields[size_t(index)];
        const char* p = fieldMemoPtr(f);
        return p ? std::string_view(p, fieldMemoLen(f)) : std::string_view();
    }
    long exprRecordCount() override { return tableRecCount(t_); }
    long exprRecordNumber() override { return tableRecNo(t_); }
    ExprTable* exprTableByAlias(std::string_view alias) override {
        TableHandle* other = engineTable(t_->ctx, std::string(alias));
        if (!other) return nullptr;
        if (other == t_) return this;
        auto& slot = others_[other];
        if (!slot) slot = std::make_unique<TableSource>(other);
        return slot.get();
    }
    bool exprInError() override { return engineInError(t_->ctx); }

    TableHandle* handle() const { return t_; }
    // The views of other tables move along when the expression changes handle.
    void adoptOthers(TableSource& from) { others_.swap(from.others_); }

private:
    TableHandle* t_;
    std::map<TableHandle*, std::unique_ptr<TableSource>> others_;
};

} // namespace

int exprContext(CompiledExpr& expr, TableHandle* table) {
    auto* current = dynamic_cast<TableSource*>(expr.source.get());
    if (!current || !table) return -930;
    if (current->handle() == table) return 0;
    if (current->handle()->file != table->file) return -930;
    auto next = std::make_unique<TableSource>(table);
    next->adoptOthers(*current);
    for (ExprStep& st : expr.steps)
        if (st.table == current) st.table = next.get();
    expr.table = next.get();
    expr.source = std::move(next);
    return 0;
}

int exprParse(TableHandle* table, std::string_view text, bool indexExpr,
              std::unique_ptr<CompiledExpr>& out) {
    out.reset();
    if (!table) return -935;
    EngineContext* ctx = table->ctx;
    if (engineInError(ctx)) return kExprInError;
    ExprSettings settings;
    settings.datePicture = engineDateFormat(ctx);
    if (ctx->memExprSize > 0) settings.memoLength = ctx->memExprSize;
    if (table->file) settings.codePage = table->file->codePage;
    auto source = std::make_unique<TableSource>(table);
    int rc = exprParse(*source, text, indexExpr, out, settings);
    if (rc < 0) {
        std::string shown(text);
        return engineError(ctx, rc, L4exprParse, shown.c_str());
    }
    out->source = std::move(source);
    return 0;
}

void exprCalcReset(EngineContext*) {}

} // namespace vx
