// Converts one table to the structure the library wants: a new table is built
// in the temporary folder, the records are copied by field name, the old files
// stay beside the table as ".OLD" backups and the new files take their place.
#pragma once

#include "dbase/data/FieldView.h"
#include "dbase/data/Table.h"

#include <functional>
#include <memory>
#include <string>

// The file of path.ext as it lies on disk (any letter case), or the upper-case name.
std::string TableFileName(const std::string& path, const char* ext);
// Copies the file beside itself under its name with ".OLD" appended; a backup
// that is already there is kept. False when the copy failed.
bool KeepBackup(const std::string& file);

class CModifyDBStruk {
public:
    explicit CModifyDBStruk(vx::EngineContext* ctx) : ctx_(ctx) {}
    ~CModifyDBStruk();
    CModifyDBStruk(const CModifyDBStruk&) = delete;
    CModifyDBStruk& operator=(const CModifyDBStruk&) = delete;

    enum Result { Failed = -1, Unchanged = 0, Converted = 1 };
    // path without extension; the lists end with an entry without a name.
    int Run(const std::string& path, const vx::FieldInfo* fields, const vx::TagInfo* tags);
    // Another program holds the files: the application has been asked to end.
    bool Refused() const { return refused_; }

    // Asks the application to end once its event loop runs; the library
    // installs the window version.
    static std::function<void()>& QuitHook();

private:
    // The work of Run while the table's directory is held.
    int Convert();
    // Every wanted field exists with the same type, length and decimals.
    bool SameStructure();
    vx::Field* OldField(const char* name);
    bool CreateNewTable();
    bool TakeOverFiles();
    bool TestExclusive(const std::string& dbf);
    int CopyRecords();
    void CloseTables();
    bool BackUp();
    bool Replace();
    void Report(const std::string& text);

    vx::EngineContext* ctx_;
    bool refused_ = false;
    std::string message_;
    std::string path_;
    std::string tempPath_;
    vx::TableHandle* old_ = nullptr;
    vx::TableHandle* new_ = nullptr;
    const vx::FieldInfo* fields_ = nullptr;
    const vx::TagInfo* tags_ = nullptr;
    std::unique_ptr<vx::FieldInfoList> oldInfo_;
};
