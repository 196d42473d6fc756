// The second program's print, preview and mail commands on its document, and
// its progress dialog: bound at start, before the first document.
#pragma once

void InstallTarsiloWindowParts();
