// The layouts of the main program's form and its own dialogs,
// "resources/velmora/dialogs.xrc", with the shared dialogs; loaded once.
#pragma once

bool LoadVelmoraDialogs();
