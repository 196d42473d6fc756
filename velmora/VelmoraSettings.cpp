#include "velmora/VelmoraSettings.h"

#include "platform/Profile.h"
#include "velmora/CommandIds.h"
#include "velmora/VelmoraText.h"

const ProgramDescription& VelmoraProgram() {
    static const ProgramDescription program{
        "Velmora", "Trevalen Software GmbH", "2.30", "Jun 17 2008", {"values", "model", "shared", "velmora"},
        "Velmora.hlp", 3, 4, "Velmora", ID_HOME_PAGE,
        AboutLayout{"velmora/velmora.xpm", 200, 200, 220, 15, 220, 226, IDS_ABOUT_LINE1, IDS_ABOUT_LINE2,
                    IDS_ABOUT_TITLE, kCatalogueStandDefault},
    };
    return program;
}

void UseVelmoraProgram() { UseProgram(VelmoraProgram()); }

void ToggleHint() { vx::Profile().WriteInt("Global", "Hinweis", vx::Profile().GetInt("Global", "Hinweis", 0) ? 0 : 1); }

bool HintChecked() { return vx::Profile().GetInt("Global", "Hinweis", 0) == 0; }
