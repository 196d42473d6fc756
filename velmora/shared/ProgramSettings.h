// What sets one program apart at start-up, as one description: its name (the
// settings store, the captions, the library's profile name), its company
// key, its version, its string files, its help file and the creator it
// names in a hand-over record. The start-up steps and settings below that
// need no display read the description the program put in place first.
#pragma once

#include "velmora/shared/CCmdLineInfo.h"

#include <string>
#include <string_view>
#include <vector>

class CAnwender;
class QuorvelLibrary;

// How the about box and the opening picture show the program.
// The catalogue's date when "Datenbank"/"Stand_W" is not set: one form in
// every place that shows or reads it.
inline constexpr const char* kCatalogueStandDefault = "2002/03";

struct AboutLayout {
    std::string picture;           // under the resources, e.g. "<program>/<program>.xpm"
    int pictureWidth = 200, pictureHeight = 200;
    int nameX = 220, nameY = 15;   // the program's name
    int textX = 220;               // the column of the texts and the address
    int versionY = 226;            // the version line; the database line below it
    unsigned line1Id = 0, line2Id = 0;  // what the program is for
    unsigned titleId = 0;          // the about box's title
    std::string openingDatabaseDefault = kCatalogueStandDefault;
};

struct ProgramDescription {
    std::string name;         // also the settings store's name
    std::string companyKey;   // the user's store lies under it
    std::string version;      // written to "Global"/"Version", shown in the about box
    std::string buildDate;    // the build the version belongs to, "Jun 17 2008"
    // The folders under the resources whose "strings.txt" hold the program's texts, in load order.
    std::vector<std::string> stringFiles;
    std::string helpFile;     // beside the program
    int userDialogLayout = 3; // the layout flags of the library's user dialog
    int recentFileCount = 4;
    std::string handOverCreator;  // ERZEUGER of the AURELIA record
    int homePageCommand = 0;      // the frame's command that opens the maker's home page; 0: none
    AboutLayout about;
};

// The program's description; UseProgram puts it in place before anything else runs.
const ProgramDescription& Program();
void UseProgram(const ProgramDescription& program);

// Set by the start choice "open the last project", read by the new-document step.
inline bool g_OpenLast = false;

// The global user record.
CAnwender& TheUser();

// "CDSTART" selects the INI beside the program (and the program directory as
// data directory); otherwise the user's store under the company key.
void SelectSettingsStore(const CCmdLineInfo& cmdLine);
// An installed program finds its sample data read-only beside it; on a first
// start without a data path ("Datenbank"/"Pfad") it copies them into the
// user's data folder and names that as its data path and the user file's
// folder. Started from the source tree, and with "CDSTART", nothing changes.
void SetUpInstalledData();
// The user's copy of a print layout, which holds the form's margins, with
// its printer settings beside it: in the data folder, copied there from the
// program's folder when it is missing, so that nothing is written beside the
// program. The program's own file only when the data folder takes no copy.
std::string UserLayoutFile(const std::string& name);
std::string UserLayoutFile(const std::string& name, const std::string& dataDir, const std::string& programDir);
// Layouts named in section "LuL" that lie in the program's folder, as an
// older start stored them, are taken over to the user's copies.
void TakeOverLayoutPaths();
void TakeOverLayoutPaths(const std::string& dataDir, const std::string& programDir);
// The program's own texts, then the language file of "Global"/"Sprache"; a
// language file that cannot be read leaves the program's own texts.
void LoadProgramStrings();
void WriteVersion();
// Loads Quorvel from the profile's path and starts it; false when not loaded.
bool BindQuorvel(QuorvelLibrary& quorvel);
// The user-data command: the library edits the user record; false when
// nothing came back (export missing or cancelled).
bool RunUserData(QuorvelLibrary& quorvel, CAnwender& user);
// Before the library's form settings: a profile that names no layout for the
// first form gets printLayout, the one the program prints with, so that the
// margins set there reach the print instead of going nowhere.
void ShareFormLayout(const std::string& printLayout);
// Loads the user record; on a first start, or without a user name, runs the
// user-data command. True when it ran.
bool CheckFirstStart(QuorvelLibrary& quorvel, CAnwender& user);

// A document's file name: a name with a folder as it is, a bare name in the
// open-file dialog's start folder.
std::string DocumentPath(const std::string& name);
// The project used last ("Global"/"LstPrj") for the start choice that
// reopens it; empty, after a message, when none is known or its file is gone.
std::string LastProjectPath();

// The open-file dialog's start: "Global"/"DatPfad", else the current directory.
std::string OpenDialogDirectory();

// An MFC filter text ("text|pattern|...||") as pairs "text|pattern|..." with
// the blanks around each part taken away.
std::string FileDialogFilter(std::string_view mfcFilter);

// The recent-file list in section "Recent File List", keys "File1".."File<count>".
std::vector<std::string> LoadRecentFiles();
void SaveRecentFiles(const std::vector<std::string>& files);

// "( V. 2.30  vom 17. Jun 2008 )" from a date in the form "Jun 17 2008".
std::string AboutVersionLine(std::string_view version, std::string_view buildDate);
// The program's own version line.
std::string AboutVersionLine();
// "( Datenbank: " + "Datenbank"/"Stand_W" (or the default) + " )".
std::string AboutDatabaseLine(std::string_view defaultStand = kCatalogueStandDefault);

// "<AURELIA FORMAT=2 ERZEUGER=\"<creator>\"><BERECHNUNG DATEI=\"<file>\"></AURELIA>", the
// file's & " < > written as XML entities; in UTF-8, as the receiving program takes it.
std::string HandOverRecord(const std::string& filePath);
