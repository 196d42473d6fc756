// Start-up steps and settings of the main program that need no display: the
// settings store, the string tables, the version, Quorvel, the first start,
// the recent files and the hint option.
#pragma once

#include "velmora/CCmdLineInfo.h"

#include <string>
#include <string_view>
#include <vector>

class CAnwender;
class QuorvelLibrary;

// The version text written to the profile and shown in the about box.
inline constexpr const char* kVelmoraVersion = "2.30";
// The build the version belongs to, in the compiler's date form.
inline constexpr const char* kVelmoraBuildDate = "Jun 17 2008";
inline constexpr const char* kVelmoraProgramName = "Velmora";
inline constexpr const char* kCompanyKey = "Trevalen Software GmbH";
inline constexpr int kRecentFileCount = 4;

// Set by the form's start choice, read by the document's new-document step.
inline bool g_OpenLast = false;

// The global user record.
CAnwender& TheUser();

// "CDSTART" selects the INI beside the program (and the program directory as
// data directory); otherwise the user's store under the company key.
void SelectSettingsStore(const CCmdLineInfo& cmdLine);
// The program's own texts, then the language file of "Global"/"Sprache"; a
// language file that cannot be read leaves the program's own texts.
void LoadProgramStrings();
void WriteVersion();
// Loads Quorvel from the profile's path and starts it; false when not loaded.
bool BindQuorvel(QuorvelLibrary& quorvel);
// The user-data command: the library edits the user record; false when
// nothing came back (export missing or cancelled).
bool RunUserData(QuorvelLibrary& quorvel, CAnwender& user);
// Loads the user record; on a first start, or without a user name, runs the
// user-data command. True when it ran.
bool CheckFirstStart(QuorvelLibrary& quorvel, CAnwender& user);

// "Global"/"Hinweis": the menu item is checked while it is 0.
void ToggleHint();
bool HintChecked();

// The open-file dialog's start: "Global"/"DatPfad", else the current directory.
std::string OpenDialogDirectory();

// An MFC filter text ("text|pattern|...||") as pairs "text|pattern|..." with
// the blanks around each part taken away.
std::string FileDialogFilter(std::string_view mfcFilter);

// The recent-file list in section "Recent File List", keys "File1".."File4".
std::vector<std::string> LoadRecentFiles();
void SaveRecentFiles(const std::vector<std::string>& files);

// "( V. 2.30  vom 17. Jun 2008 )" from a date in the form "Jun 17 2008".
std::string AboutVersionLine(std::string_view version, std::string_view buildDate);
// "( Datenbank: " + "Datenbank"/"Stand_W" + " )".
std::string AboutDatabaseLine();
