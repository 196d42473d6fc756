#include "velmora/QuorvelCommands.h"

#include "velmora/CVelmoraPrint.h"
#include "velmora/CommandIds.h"
#include "velmora/shared/LibraryCommands.h"

void InstallQuorvelCommands(wxEvtHandler& handler) {
    InstallLibraryAppCommands(handler, {ID_USER_DATA, ID_FORMULAR}, [] { return CVelmoraPrint::LayoutFile(); });
}
