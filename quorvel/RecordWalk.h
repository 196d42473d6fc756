// Browsing a table one record at a time as the record forms do ("&<" and
// "&>"), passing over records marked deleted but not yet packed away.
#pragma once

namespace vx {
struct TableHandle;
}

// On to the next live record; true when there was none, and the table is
// back on the record it was on ("Letzter Datensatz gelesen.").
bool NextLive(vx::TableHandle* t);
// Back to the previous live record; true when there was none, and the table
// is on the first live record ("Erster Datensatz gelesen.").
bool PreviousLive(vx::TableHandle* t);
// The table stands on a live record.
bool OnLiveRecord(vx::TableHandle* t);
