// What both programs' documents do alike before they are written: the
// question about unsaved changes and the choice of the file to save into.
#pragma once

#include <functional>
#include <string>

class wxDocument;

// Asks for the file to save into (directory and name suggested); empty
// cancels. Tests answer in place of the dialog; nullptr restores it.
using SavePathChooser = std::function<std::string(const std::string& directory, const std::string& name)>;
void SetSaveDialogStandIn(SavePathChooser chooser);

// The framework's question about a changed document, asked through the
// program's message service: Yes saves, No forgets the changes; false keeps
// the document open.
bool AskToSaveChanges(wxDocument& doc);

// "Speichern unter": the German file dialog with the program's filter, in the
// document's folder or the open-file dialog's start folder, the name
// suggested (the file's, else "unbenannt"); a name without extension gets
// extension (".kfx"). An existing file that is not the document's own is
// replaced only when the user says so. Empty when cancelled.
std::string ChooseSavePath(const wxDocument& doc, const std::string& extension);

// Asks before path, an existing file other than the document's own (the one
// it was read from or written to), is replaced; true when it may be written.
bool MayReplace(const wxDocument& doc, const std::string& path);

// The project number names the document's file: until the document is
// written there, that file is not its own, so that saving asks for it.
void TakeNameFromProject(wxDocument& doc, const std::string& path);
