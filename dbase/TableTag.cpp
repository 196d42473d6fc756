// A table's tags: selecting one, moving through the records in its order
// and finding records by key.
#include "dbase/TableTag.h"

#include <cstring>
#include <string>

#include "dbase/Convert.h"
#include "dbase/TagFile.h"
#include "dbase/Table.h"

namespace vx {
namespace {

int GoQuiet(TableHandle* t, long n) {
    int saved = t->ctx->errGo;
    t->ctx->errGo = 0;
    int rc = tableGo(t, n);
    t->ctx->errGo = saved;
    return rc;
}

bool ReadUnlocked(TableHandle* t, long recNo) {
    TableFile* f = t->file;
    return f->accessMode == 0 && !f->data.readOnly && f->fileLockOwner != t->serial &&
           tableLockTest(t, recNo) != 1;
}

// Without the index lock another process may have changed the file.
int Check(TagHandle* th) {
    IndexFileState* s = th->index->state;
    if (IndexIsLocked(s)) return 0;
    int rc = indexFileVersionCheck(s);
    return rc < 0 ? rc : 0;
}

// Goes to the record of the tag's current entry. A record another user has
// changed since its key was read no longer belongs here: the tag moves on
// in the direction of travel.
int GoTagRecord(TableHandle* t, TagHandle* th, int direction) {
    TagFile* tag = th->tagFile;
    std::string key;
    for (;;) {
        if (TagIsEof(tag)) return tableGoEof(t);
        long recNo = TagRecNo(tag);
        if (recNo <= 0) return tableGoEof(t);
        long count = tableRecCount(t);
        // Another user may have appended since the count was read.
        TableFile* f = t->file;
        bool ours = f->accessMode != 0 || f->data.readOnly || f->appendLockOwner == t->serial ||
                    f->fileLockOwner == t->serial;
        if (recNo > count && !ours && tableReadCount(f) == 0) count = f->numRecs;
        bool skip = recNo > count;
        if (!skip) {
            int rc = GoQuiet(t, recNo);
            if (rc != 0) return rc;
            if (ReadUnlocked(t, recNo)) {
                if ((rc = TagExprKey(tag, t, key)) < 0) return rc;
                const unsigned char* k = TagKeyData(tag);
                skip = !k || std::memcmp(k, key.data(), size_t(tag->keyLen)) != 0;
            }
        }
        if (!skip) return 0;
        long moved = TagSkip(tag, direction);
        if (engineInError(t->ctx)) return t->ctx->errorCode;
        if (moved != direction) return direction > 0 ? tableGoEof(t) : r4bof;
    }
}

// Puts the tag on the table's current record.
int Align(TableHandle* t, TagHandle* th) {
    TagFile* tag = th->tagFile;
    if (TagRecNo(tag) == t->recNo && !TagIsEof(tag)) return 0;
    std::string key;
    int rc = TagExprKey(tag, t, key);
    if (rc < 0) return rc;
    rc = TagGo(tag, key.data(), t->recNo);
    return rc < 0 ? rc : 0;
}

int SearchKey(TagFile* tag, const char* text, int len, std::string& key, int* keyLen) {
    if (!text) text = "";
    if (len <= 0) len = int(std::strlen(text));
    TagKeyFromText(tag, text, len, key);
    *keyLen = tag->keyType == 'C' ? std::min(len, tag->keyLen) : tag->keyLen;
    return 0;
}

int Seek(TableHandle* t, TagHandle* th, const std::string& key, int keyLen) {
    TagFile* tag = th->tagFile;
    int rc = TagSeek(tag, key.data(), keyLen);
    if (rc < 0) return rc;
    rc = GoTagRecord(t, th, 1);
    if (rc != 0) return rc;
    const unsigned char* k = TagKeyData(tag);
    return k && tag->Compare(k, key.data(), size_t(keyLen)) == 0 ? 0 : r4after;
}

} // namespace

TagHandle* tableTag(TableHandle* t, const char* name) {
    if (!t || engineInError(t->ctx)) return nullptr;
    char want[kTagNameMax + 1] = {};
    if (name) std::strncpy(want, name, kTagNameMax);
    convertUpper(want);
    for (size_t n = std::strlen(want); n > 0 && want[n - 1] == ' '; --n) want[n - 1] = 0;
    for (IndexFile* i : t->indexes)
        for (auto& th : i->tags)
            if (th->tagFile->name == want) return th.get();
    if (t->ctx->errTagName) engineError(t->ctx, e4tagName, L4tableField, name ? name : "", t->alias.c_str());
    return nullptr;
}

TagHandle* tableTagDefault(TableHandle* t) {
    if (!t) return nullptr;
    if (t->selectedTag) return t->selectedTag;
    for (IndexFile* i : t->indexes)
        if (!i->tags.empty()) return i->tags.front().get();
    return nullptr;
}

TagHandle* tableTagNext(TableHandle* t, TagHandle* tag) {
    if (!t) return nullptr;
    bool take = tag == nullptr;
    for (IndexFile* i : t->indexes)
        for (auto& th : i->tags) {
            if (take) return th.get();
            if (th.get() == tag) take = true;
        }
    return nullptr;
}

TagHandle* tableTagPrev(TableHandle* t, TagHandle* tag) {
    if (!t) return nullptr;
    TagHandle* before = nullptr;
    for (IndexFile* i : t->indexes)
        for (auto& th : i->tags) {
            if (th.get() == tag) return before;
            before = th.get();
        }
    return tag ? nullptr : before;
}

void tableTagSelect(TableHandle* t, TagHandle* tag) {
    if (t) t->selectedTag = tag;
}

TagHandle* tableTagSelected(TableHandle* t) { return t ? t->selectedTag : nullptr; }

int tableTagTop(TableHandle* t, bool bottom) {
    TagHandle* th = t->selectedTag;
    int rc = Check(th);
    if (rc < 0) return rc;
    TagFile* tag = th->tagFile;
    rc = bottom ? TagBottom(tag) : TagTop(tag);
    if (rc < 0) return rc;
    if (TagIsEof(tag)) {
        tableGoEof(t);
        t->bof = true;
        return r4eof;
    }
    rc = GoTagRecord(t, th, bottom ? -1 : 1);
    if (rc == r4bof) {
        tableGoEof(t);
        t->bof = true;
        return r4eof;
    }
    return rc;
}

int tableTagSkip(TableHandle* t, long n) {
    TagHandle* th = t->selectedTag;
    TagFile* tag = th->tagFile;
    int rc = Check(th);
    if (rc < 0) return rc;
    if (t->eof) {
        if (n >= 0) return r4eof;
        if ((rc = TagBottom(tag)) < 0) return rc;
        if (TagIsEof(tag)) return tableGoEof(t);
        ++n;
    } else if ((rc = Align(t, th)) < 0) {
        return rc;
    }
    if (n != 0) {
        long moved = TagSkip(tag, n);
        if (engineInError(t->ctx)) return t->ctx->errorCode;
        if (moved != n) {
            if (n > 0) return tableGoEof(t);
            rc = GoTagRecord(t, th, 1);
            if (rc < 0) return rc;
            t->bof = true;
            return r4bof;
        }
    }
    rc = GoTagRecord(t, th, n < 0 ? -1 : 1);
    if (rc == r4bof) {
        if ((rc = TagTop(tag)) < 0) return rc;
        rc = GoTagRecord(t, th, 1);
        if (rc < 0) return rc;
        t->bof = true;
        return r4bof;
    }
    return rc;
}

int tableSeekN(TableHandle* t, const char* text, int len) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableGo);
    if (engineInError(t->ctx)) return e4codeBase;
    TagHandle* th = tableTagDefault(t);
    if (!th) return r4noTag;
    int rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    if ((rc = Check(th)) < 0) return rc;
    std::string key;
    int keyLen = 0;
    SearchKey(th->tagFile, text, len, key, &keyLen);
    return Seek(t, th, key, keyLen);
}

int tableSeek(TableHandle* t, const char* text) { return tableSeekN(t, text, text ? int(std::strlen(text)) : 0); }

int tableSeekNextN(TableHandle* t, const char* text, int len) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableGo);
    if (engineInError(t->ctx)) return e4codeBase;
    TagHandle* th = tableTagDefault(t);
    if (!th) return r4noTag;
    TagFile* tag = th->tagFile;
    int rc;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    if ((rc = Check(th)) < 0) return rc;
    std::string key, current;
    int keyLen = 0;
    SearchKey(tag, text, len, key, &keyLen);
    if (t->recNo <= 0 || t->eof) return Seek(t, th, key, keyLen);
    if ((rc = TagExprKey(tag, t, current)) < 0) return rc;
    if (tag->Compare(current.data(), key.data(), size_t(keyLen)) != 0) return Seek(t, th, key, keyLen);
    if ((rc = Align(t, th)) < 0) return rc;
    long moved = TagSkip(tag, 1);
    if (engineInError(t->ctx)) return t->ctx->errorCode;
    if (moved != 1 || TagIsEof(tag)) return r4entry;
    const unsigned char* k = TagKeyData(tag);
    if (!k || tag->Compare(k, key.data(), size_t(keyLen)) != 0) {
        rc = GoTagRecord(t, th, 1);
        return rc < 0 ? rc : r4entry;
    }
    rc = GoTagRecord(t, th, 1);
    if (rc != 0) return rc;
    k = TagKeyData(tag);
    return k && tag->Compare(k, key.data(), size_t(keyLen)) == 0 ? 0 : r4entry;
}

int tableSeekNext(TableHandle* t, const char* text) {
    return tableSeekNextN(t, text, text ? int(std::strlen(text)) : 0);
}

int tableIndexClose(TableHandle* t) {
    int result = 0;
    while (!t->indexes.empty()) {
        int rc = indexClose(t->indexes.back());
        if (rc < 0) {
            // Inside a transaction nothing closes; the handle stays listed.
            if (result == 0) result = rc;
            break;
        }
    }
    return result;
}

int tableReindex(TableHandle* t) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableGo);
    if (engineInError(t->ctx)) return e4codeBase;
    int rc = 0;
    if (t->recordChanged && (rc = tableUpdateRecord(t, false)) != 0) return rc;
    for (IndexFile* i : t->indexes) {
        rc = indexReindex(i);
        if (rc != 0) return rc;
    }
    return 0;
}

int tableFreeBlocks(TableHandle* t) {
    if (!t) return engineError(nullptr, e4parmNull, L4tableGo);
    if (engineInError(t->ctx)) return e4codeBase;
    int result = 0;
    for (IndexFile* i : t->indexes)
        for (auto& th : i->tags) {
            int rc = TagReleaseBlocks(th->tagFile);
            if (rc < 0 && result == 0) result = rc;
        }
    return result;
}

int tableIndexFlush(TableHandle* t) {
    int result = 0;
    for (IndexFile* i : t->indexes) {
        int rc = indexFlush(i->state);
        if (rc < 0 && result == 0) result = rc;
    }
    return result;
}

} // namespace vx
