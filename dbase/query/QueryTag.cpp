#include "dbase/query/QueryTag.h"

#include <map>
#include <memory>

#include "dbase/index/IndexFile.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"
#include "dbase/index/TagFile.h"

namespace vx {
namespace {

// A tag of one of the table's index files.
class IndexTag final : public QueryTag {
public:
    explicit IndexTag(TagHandle* handle) : handle_(handle) {}
    CompiledExpr* keyExpr() override { return File()->expr.get(); }
    char keyType() override { return File()->keyType; }
    int keyLen() override { return File()->keyLen; }
    bool hasFilter() override { return File()->hasFilter; }
    int uniqueCode() override { return handle_->uniqueCode; }
    bool descending() override { return File()->descending; }
    int compare(const void* a, const void* b, size_t n) override { return File()->compare(a, b, n); }
    // Others may change the index file meanwhile: each move is steady.
    int top() override { return tableTagSteady(Table(), handle_, [&] { return TagTop(File()); }); }
    int bottom() override { return tableTagSteady(Table(), handle_, [&] { return TagBottom(File()); }); }
    int seek(const char* key, int len) override {
        return tableTagSteady(Table(), handle_, [&] { return TagSeek(File(), key, len); });
    }
    long skip(long n) override {
        int rc = 0;
        long moved = tableTagStep(Table(), handle_, n, &rc);
        return rc < 0 ? -n : moved;
    }
    long recNo() override {
        long r = TagRecNo(File());
        return r == -2 ? 0 : r;
    }
    const char* key() override { return reinterpret_cast<const char*>(TagKeyData(File())); }
    double position() override { return TagPosition(File()); }

private:
    TagFile* File() const { return handle_->tagFile; }
    TableHandle* Table() const { return handle_->index->table; }
    TagHandle* handle_;
};

// The tables' own index tags.
class TableTags final : public QueryTagSource {
public:
    std::vector<QueryTag*> tags(TableHandle* table) override {
        std::vector<QueryTag*> out;
        if (!table) return out;
        for (IndexFile* index : table->indexes)
            for (auto& handle : index->tags) out.push_back(Wrap(handle.get()));
        return out;
    }
    QueryTag* selected(TableHandle* table) override {
        TagHandle* tag = table ? tableTagSelected(table) : nullptr;
        return tag ? Wrap(tag) : nullptr;
    }

private:
    // The wrappers hold nothing but the handle, so one made for a handle
    // since closed serves any later handle at the same place.
    QueryTag* Wrap(TagHandle* handle) {
        auto& slot = wrappers_[handle];
        if (!slot) slot = std::make_unique<IndexTag>(handle);
        return slot.get();
    }
    std::map<TagHandle*, std::unique_ptr<IndexTag>> wrappers_;
};

TableTags g_tableTags;
QueryTagSource* g_source = nullptr;

} // namespace

QueryTagSource& queryTagSource() { return g_source ? *g_source : g_tableTags; }

void setQueryTagSource(QueryTagSource* source) { g_source = source; }

} // namespace vx
