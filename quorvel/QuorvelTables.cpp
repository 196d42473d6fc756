#include "quorvel/QuorvelTables.h"

#include "dbase/data/Field.h"
#include "dbase/index/IndexFile.h"
#include "platform/Files.h"
#include "quorvel/CModifyDBStruk.h"

#include <algorithm>

using namespace vx;

const FieldInfo kAdresseFields[] = {
    {"MATCH", 'C', 10, 0},      {"NAME1", 'C', 50, 0},    {"NAME2", 'C', 50, 0},
    {"NAME1_SOUN", 'C', 4, 0},  {"STRASSE", 'C', 50, 0},  {"PLZ", 'C', 10, 0},
    {"ORT", 'C', 50, 0},        {"LAND", 'C', 50, 0},     {"TELEFON", 'C', 50, 0},
    {"TELEFAX", 'C', 50, 0},    {"ANSPRECH", 'C', 50, 0}, {"BEMERKUNG", 'M', 10, 0},
    {"EMAIL", 'C', 50, 0},      {"URL", 'C', 50, 0},      {"DUMMY", 'M', 10, 0},
    {"HANDY", 'C', 15, 0},      {},
};
const TagInfo kAdresseTags[] = {
    {"PRIMARY", "MATCH", nullptr, 0, 0},
    {"SOUND", "NAME1_SOUN", nullptr, 0, 0},
    {},
};
const FieldInfo kBemerkunFields[] = {
    {"MATCH", 'C', 10, 0},
    {"BEMERKUNG", 'M', 10, 0},
    {},
};
const FieldInfo kPlzOrtFields[] = {
    {"PLZ", 'C', 10, 0}, {"ORT", 'C', 50, 0}, {"LAND", 'C', 50, 0},
    {"GEOH", 'N', 5, 0}, {"HAND", 'L', 1, 0}, {},
};
const TagInfo kPlzOrtTags[] = {
    {"PLZ", "PLZ", nullptr, 0, 0},
    {"KEYORT", "UPPER(LEFT(ORT,1))", nullptr, 0, 0},
    {},
};

size_t ColumnWidth(const FieldInfo* fields, std::string_view name) {
    for (const FieldInfo* f = fields; f && f->name; ++f)
        if (name == f->name) return f->len;
    return 0;
}

namespace {

bool IsMemo(const Field* f) { return f && (f->type == 'M' || f->type == 'B' || f->type == 'G'); }

// A quiet failed open leaves 70 in the context, which would count as an error later.
void ClearQuietCode(EngineContext* ctx) {
    if (ctx->errorCode > 0) ctx->errorCode = 0;
}

// An index file of the right name may hold other tags (another table's file
// copied over it): it is then no better than a damaged one.
bool HasTags(TableHandle* t, const TagInfo* tags) {
    const int saved = t->ctx->errTagName;
    t->ctx->errTagName = 0;
    bool all = true;
    for (const TagInfo* tag = tags; all && tag && tag->name; ++tag) all = tableTag(t, tag->name) != nullptr;
    t->ctx->errTagName = saved;
    return all;
}

} // namespace

int CQuorvelTable::Open(EngineContext* ctx, const std::string& path) {
    Close();
    ctx_ = ctx;
    path_ = path;
    rebuilt_ = false;
    TableHandle* t = OpenQuietly(ctx, path);
    if (!t) {
        // Another program may be creating the table or its index this moment:
        // reporting, creating and rebuilding wait until it is done.
        DirectoryLock lock(DirName(NormalizeSlashes(path)), [] { enginePump(10); }, 300);
        int rc = 0;
        t = OpenOrCreate(ctx, path, rc);
        if (!t) return rc;
    }
    t_ = t;
    int rc = Bind();
    if (rc < 0) {
        Close();
        return rc;
    }
    AfterOpen();
    return 0;
}

TableHandle* CQuorvelTable::OpenQuietly(EngineContext* ctx, const std::string& path) {
    const int savedAuto = ctx->autoOpen, savedErrOpen = ctx->errOpen, savedOff = ctx->errOff;
    ctx->autoOpen = 0;
    ctx->errOpen = 0;
    ctx->errOff = 1;
    TableHandle* t = tableOpen(ctx, path);
    const bool whole = t && (!Tags() || (indexOpen(t, nullptr) && HasTags(t, Tags())));
    if (t && (ctx->errorCode != 0 || !whole)) {
        ctx->errorCode = 0;
        tableClose(t);
        t = nullptr;
    }
    ctx->errorCode = 0;
    ctx->autoOpen = savedAuto;
    ctx->errOpen = savedErrOpen;
    ctx->errOff = savedOff;
    return t;
}

TableHandle* CQuorvelTable::OpenOrCreate(EngineContext* ctx, const std::string& path, int& rc) {
    const int savedAuto = ctx->autoOpen, savedSafety = ctx->safety, savedErrOpen = ctx->errOpen;
    ctx->autoOpen = 0;
    // Only a missing table goes unreported: it is created. One that is there
    // and still does not open is reported once, naming the file, and creating
    // over it would only fail a second time.
    const bool present = vx::FileExists(vx::ResolveNoCase(vx::NormalizeSlashes(path) + ".DBF"));
    if (!ReportsOpenFailure() && !present) ctx->errOpen = 0;

    TableHandle* t = tableOpen(ctx, path);
    const bool opened = t != nullptr;
    if (!t && !present) {
        ctx->safety = 1;
        ctx->errorCode = 0;
        t = tableCreate(ctx, path, Fields(), nullptr);
        ClearQuietCode(ctx);
    }
    if (t && Tags()) {
        // The index file may be replaced from here on.
        ctx->safety = 0;
        bool rebuild = !opened;
        if (opened) {
            // A missing or unreadable index is rebuilt without a word.
            const int savedOff = ctx->errOff, savedIdxOpen = ctx->errOpen;
            ctx->errOff = 1;
            ctx->errOpen = 0;
            const bool whole = indexOpen(t, nullptr) && HasTags(t, Tags());
            ctx->errOff = savedOff;
            ctx->errOpen = savedIdxOpen;
            rebuild = ctx->errorCode != 0 || !whole;
        }
        if (rebuild) {
            t = RebuildIndex(ctx, t, path);
            rebuilt_ = true;
        }
    }
    ctx->autoOpen = savedAuto;
    ctx->safety = savedSafety;
    ctx->errOpen = savedErrOpen;
    if (!t || ctx->errorCode != 0) {
        rc = ctx->errorCode != 0 ? ctx->errorCode : e4open;
        if (t) {
            const int code = ctx->errorCode;
            ctx->errorCode = 0;
            tableClose(t);
            ctx->errorCode = code;
        }
        return nullptr;
    }
    return t;
}

TableHandle* CQuorvelTable::RebuildIndex(EngineContext* ctx, TableHandle* t, const std::string& path) {
    tableClose(t);
    ctx->errorCode = 0;
    const int savedAccess = ctx->accessMode;
    ctx->accessMode = 1;
    t = tableOpen(ctx, path);
    if (t) {
        // What is replaced stays beside the table.
        const std::string old = TableFileName(NormalizeSlashes(path), "MDX");
        if (FileExists(old)) KeepBackup(old);
        indexCreate(t, nullptr, Tags());
        const int code = ctx->errorCode;
        ctx->errorCode = 0;
        tableClose(t);
        if (code < 0) ctx->errorCode = code;
    }
    ctx->accessMode = savedAccess;
    ClearQuietCode(ctx);
    if (ctx->errorCode != 0) return nullptr;
    t = tableOpen(ctx, path);
    if (t) indexOpen(t, nullptr);
    return t;
}

void CQuorvelTable::Close() {
    if (t_) tableClose(t_);
    t_ = nullptr;
}

int CQuorvelTable::BindColumn(TableHandle* t, FieldView& col, const char* name) {
    const int saved = t->ctx->errFieldName;
    t->ctx->errFieldName = 0;
    Field* f = tableField(t, name);
    t->ctx->errFieldName = saved;
    col.init(f);
    return f ? 0 : e4fieldName;
}

int CQuorvelTable::BindTag(TableHandle* t, TagRef& tag, const char* name) {
    return tag.init(t, name) == 0 ? 0 : e4tagName;
}

const std::string& CQuorvelTable::FeldText(const FieldView& col) {
    text_.clear();
    Field* f = col.field();
    if (!t_ || !f) return text_;
    if (IsMemo(f)) {
        MemoFieldView memo(f);
        if (const char* p = memo.ptr()) text_.assign(p, memo.len());
        return text_;
    }
    if (const char* p = col.ptr()) text_.assign(p, col.len());
    while (!text_.empty() && (text_.back() == ' ' || text_.back() == '\0')) text_.pop_back();
    return text_;
}

int CQuorvelTable::SetText(FieldView& col, std::string_view text) {
    Field* f = col.field();
    if (!t_ || !f) return e4parmNull;
    const long rec = tableRecNo(t_);
    if (rec < 1 || rec > tableRecCount(t_)) {
        int rc = tableAppendBlank(t_);
        if (rc != 0) return rc < 0 ? rc : e4append;
    }
    if (IsMemo(f)) {
        CMemoCol memo(f);
        return memo.assign(text.data(), text.size());
    }
    return col.assign(text.data(), text.size());
}

CAdressTab::~CAdressTab() {
    if (relation_) relateFree(relation_);
}

void CAdressTab::Forget() {
    // The context's close-all has taken the table; the relation goes with it.
    if (relation_) relateFree(relation_);
    relation_ = nullptr;
    CQuorvelTable::Forget();
}

int CAdressTab::Bind() {
    struct {
        FieldView* col;
        const char* name;
    } cols[] = {{&match, "MATCH"},         {&name1, "NAME1"},       {&name2, "NAME2"},
                {&name1Soun, "NAME1_SOUN"}, {&strasse, "STRASSE"},   {&plz, "PLZ"},
                {&ort, "ORT"},             {&land, "LAND"},         {&telefon, "TELEFON"},
                {&telefax, "TELEFAX"},     {&ansprech, "ANSPRECH"}, {&bemerkung, "BEMERKUNG"},
                {&email, "EMAIL"},         {&url, "URL"},           {&dummy, "DUMMY"},
                {&handy, "HANDY"}};
    for (auto& c : cols)
        if (int rc = BindColumn(t_, *c.col, c.name); rc < 0) return rc;
    if (int rc = BindTag(t_, primary, "PRIMARY"); rc < 0) return rc;
    return BindTag(t_, sound, "SOUND");
}

void CAdressTab::AfterOpen() {
    if (!rebuilt_) tableTagSelect(t_, primary.tag());
    if (relation_) relateFree(relation_);
    relation_ = relateInit(t_);
}

int CAdressTab::SetQuery(const std::string& query) {
    if (!relation_) return e4parmNull;
    return relateQuerySet(relation_, query.c_str());
}

int CAdressTab::SetSort(const std::string& sort) {
    if (!relation_) return e4parmNull;
    return relateSortSet(relation_, sort.empty() ? nullptr : sort.c_str());
}

int CBemerkTab::Bind() {
    if (int rc = BindColumn(t_, match, "MATCH"); rc < 0) return rc;
    return BindColumn(t_, bemerkung, "BEMERKUNG");
}

int CPlzOrtTab::Bind() {
    if (int rc = BindColumn(t_, plz, "PLZ"); rc < 0) return rc;
    if (int rc = BindColumn(t_, ort, "ORT"); rc < 0) return rc;
    if (int rc = BindColumn(t_, land, "LAND"); rc < 0) return rc;
    if (int rc = BindColumn(t_, geoh, "GEOH"); rc < 0) return rc;
    if (int rc = BindColumn(t_, hand, "HAND"); rc < 0) return rc;
    if (int rc = BindTag(t_, plzTag, "PLZ"); rc < 0) return rc;
    return BindTag(t_, keyOrt, "KEYORT");
}

void CPlzOrtTab::AfterOpen() { tableTagSelect(t_, plzTag.tag()); }

bool CPlzOrtTab::SeekPostcode(const std::string& postcode, std::string& key) {
    // The whole field is the key, so that "1234" does not find "12345".
    key = postcode.substr(0, std::min(postcode.size(), plz.len()));
    key.resize(plz.len(), ' ');
    tableTagSelect(t_, plzTag.tag());
    return tableSeekN(t_, key.data(), int(key.size())) == 0;
}

int CPlzOrtTab::PlacesOfPostcode(const std::string& postcode, std::vector<std::string>& towns,
                                 std::string& town) {
    towns.clear();
    if (!t_) return 0;
    std::string key;
    if (SeekPostcode(postcode, key)) {
        do {
            towns.push_back(FeldText(ort));
        } while (tableSeekNextN(t_, key.data(), int(key.size())) == 0);
    }
    if (town.empty() && !towns.empty() && !postcode.empty()) {
        town = towns.front();
        return 1;
    }
    return 0;
}

long CPlzOrtTab::GeoHoehe(const std::string& postcode, const std::string& town, std::string* land) {
    if (postcode.empty() || !t_) return -99;
    if (land) land->clear();
    std::string key;
    if (!SeekPostcode(postcode, key)) return -99;
    do {
        if (FeldText(ort) == town) {
            const long height = long(geoh);
            if (land) *land = FeldText(this->land);
            return height;
        }
    } while (tableSeekNextN(t_, key.data(), int(key.size())) == 0);
    return -99;
}

int CPlzOrtTab::SetGeoHoehe(long height) {
    if (!t_ || !geoh.field()) return e4parmNull;
    const long rec = tableRecNo(t_);
    if (rec < 1 || rec > tableRecCount(t_)) {
        int rc = tableAppendBlank(t_);
        if (rc != 0) return rc < 0 ? rc : e4append;
    }
    return fieldAssignLong(geoh.field(), height);
}
