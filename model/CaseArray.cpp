#include "model/CaseArray.h"

int32_t ReadCaseCount(vx::Archive& ar, size_t bytesPerCase) {
    const int32_t n = ar.ReadInt32();
    // A count the file cannot hold is a cut or damaged file.
    if (n < 0 || (bytesPerCase && size_t(n) > ar.Remaining() / bytesPerCase)) throw vx::ArchiveEndOfFile();
    return n;
}
