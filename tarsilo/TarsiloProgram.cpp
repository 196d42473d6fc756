#include "tarsilo/TarsiloProgram.h"

namespace {
enum : unsigned { IDS_ABOUT_LINE1 = 158, IDS_ABOUT_LINE2 = 159 };
}

const ProgramDescription& TarsiloProgram() {
    static const ProgramDescription program{
        "Tarsilo", "Trevalen Software GmbH", "2.30", "Jun 17 2008", {"values", "model", "shared", "tarsilo"},
        "Tarsilo.hlp", 3, 4, "Tarsilo", 0,
        AboutLayout{"tarsilo/tarsilo.xpm", 293, 290, 370, 20, 320, 326, IDS_ABOUT_LINE1, IDS_ABOUT_LINE2,
                    "Info über Tarsilo", kCatalogueStandDefault},
    };
    return program;
}

void UseTarsiloProgram() { UseProgram(TarsiloProgram()); }
