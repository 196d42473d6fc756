// The layouts of the form and the dialogs, "resources/velmora/dialogs.xrc",
// loaded once by the first window that needs them.
#pragma once

bool LoadVelmoraDialogs();
