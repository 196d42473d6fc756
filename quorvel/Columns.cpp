#include "quorvel/Columns.h"

#include <cstring>

int CMemoCol::setLen(size_t n) {
    const size_t old = len();
    if (n <= old) return MemoFieldView::setLen(n);
    std::string kept(ptr() ? ptr() : "", old);
    int rc = MemoFieldView::setLen(n);
    if (rc < 0) return rc;
    if (char* p = ptr()) std::memcpy(p, kept.data(), kept.size());
    return rc;
}

std::string CMemoCol::Text() const {
    const char* p = ptr();
    return p ? std::string(p, len()) : std::string();
}
