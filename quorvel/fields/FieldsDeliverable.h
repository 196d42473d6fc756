// What differs between the deliverables that link the fields: the string
// table and its ids, the template ids, the field menu commands and the
// usual message mode.
#pragma once

#include <string>

namespace vx {
class StringTable;
}

// The library's help command; its dialogs' help buttons stand for it.
inline constexpr int kLibraryHelpCommand = 32773;

struct FieldsDeliverable {
    const char* name = "quorvel";
    // nullptr: the process's table.
    vx::StringTable* strings = nullptr;
    // Added to the library's template ids.
    int templateOffset = 0;

    // Menu commands of the field actions.
    int cmdPreset = 32772;
    int cmdProposal = 32775;
    int cmdChoice = 32781;
    int cmdUnit = 32776;
    int cmdInput = 32779;
    int cmdHelp = kLibraryHelpCommand;
    int cmdHistory = 40002;

    unsigned idsNextWrong = 5;    // " (F8 = nächste Falscheingabe)"
    unsigned idsHelpPrompt = 6;   // "F1=Hilfe"
    unsigned idsInputLocked = 9;  // no switch to free input
    unsigned idsSetByProgram = 10;  // "(Wert wird vom Programm gesetzt)"

    // 1 own message strip, 2 the main frame's status bar.
    int messageMode = 1;
    // The string file of resources/quorvel with the texts above.
    const char* stringFile = "fields.txt";

    std::string Load(unsigned id) const;
    int TemplateId(int libraryId) const { return libraryId + templateOffset; }
};

// wxWidgets takes window and menu ids below 32767 only: commands from 30000
// up are kept less 30000, as the programs' own menus do.
constexpr int kWxCommandShift = 30000;
constexpr int WxCommandId(int command) { return command >= kWxCommandShift ? command - kWxCommandShift : command; }

const FieldsDeliverable& QuorvelFields();
const FieldsDeliverable& TarsiloFields();

// The description the fields of this binary use; the library's by default.
const FieldsDeliverable& ActiveFields();
void SetActiveFields(const FieldsDeliverable& fields);

// Adds the fields' texts to the deliverable's string table.
bool LoadFieldStrings(const FieldsDeliverable& fields);
