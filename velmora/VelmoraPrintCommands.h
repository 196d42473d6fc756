// The document's print and mail commands ("Drucken...", "Email versenden...").
#pragma once

class CVelmoraDoc;

// Binds the commands to the document; the mail item leaves the menu when
// there is no mail program.
void InstallPrintCommands(CVelmoraDoc& doc);
