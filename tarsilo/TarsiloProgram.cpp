#include "tarsilo/TarsiloProgram.h"

#include "tarsilo/TarsiloText.h"

const ProgramDescription& TarsiloProgram() {
    static const ProgramDescription program{
        "Tarsilo", "Trevalen Software GmbH", "2.30", "Jun 17 2008", {"values", "model", "shared", "tarsilo"},
        "Tarsilo.hlp", 3, 4, "Tarsilo", 0,
        AboutLayout{"tarsilo/tarsilo.xpm", 293, 290, 370, 20, 320, 326, IDS_ABOUT_LINE1, IDS_ABOUT_LINE2,
                    IDS_ABOUT_TITLE, kCatalogueStandDefault},
    };
    return program;
}

void UseTarsiloProgram() { UseProgram(TarsiloProgram()); }
