// Which file format a member is stored or loaded with.
#pragma once

#include "platform/ArchiveFwd.h"

// The format number members are stored or loaded with: a store always writes
// the current format, whatever file was loaded last.
int ArchiveFormat(const vx::Archive& ar);
