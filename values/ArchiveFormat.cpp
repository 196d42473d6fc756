#include "values/ArchiveFormat.h"

#include "platform/Archive.h"

int ArchiveFormat(const vx::Archive& ar) { return ar.IsStoring() ? vx::kFileFormatCurrent : vx::g_FileFormat; }
