#include "quorvel/CDatenbank.h"

#include "dbase/Engine.h"
#include "dbase/util/Collate.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "quorvel/CModifyDBStruk.h"
#include "values/Directories.h"

#include <sys/resource.h>

using namespace vx;

namespace {

// The handle limit the tables were sized for; raising the soft limit is all
// there is to do here.
void RaiseHandleLimit(rlim_t wanted) {
    struct rlimit rl;
    if (::getrlimit(RLIMIT_NOFILE, &rl) != 0 || rl.rlim_cur >= wanted) return;
    rl.rlim_cur = rl.rlim_max == RLIM_INFINITY || rl.rlim_max >= wanted ? wanted : rl.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &rl);
}

} // namespace

std::string CDatenbank::DatabaseDir() {
    std::string dir = NormalizeSlashes(Profile().GetPath("Global", "GlobalDBPfad", GetDataDir()));
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

std::string CDatenbank::PlacesDir() { return NormalizeSlashes(GetDataDir("P")); }

int CDatenbank::Oeffnen() { return Oeffnen(DatabaseDir(), PlacesDir()); }

template <typename T>
bool CDatenbank::OpenTable(std::unique_ptr<T>& table, const std::string& path) {
    table = std::make_unique<T>();
    const int rc = table->Open(&ctx_, path);
    if (rc == 0) return true;
    // The engine has told the user; the dialogs see the error flag.
    table.reset();
    fehler_ = rc;
    ctx_.errorCode = 0;
    return false;
}

int CDatenbank::Oeffnen(const std::string& dbDir, const std::string& placesDir) {
    Schliessen();
    if (int rc = engineInit(&ctx_); rc != 0) {
        fehler_ = rc;
        return rc;
    }
    ctx_.memStartLock = ctx_.memExpandLock = 20;
    ctx_.memStartIndex = ctx_.memExpandIndex = 20;
    ctx_.memExpandTag = ctx_.memExpandBlock = 20;
    RaiseHandleLimit(100);
    // The dialogs' text is code page 1252: the tables say so in their header.
    ctx_.codePage = kCodePageAnsi;

    const std::string adresse = JoinPath(dbDir, "ADRESSE");
    const std::string bemerkun = JoinPath(dbDir, "BEMERKUN");
    {
        CModifyDBStruk check(&ctx_);
        check.Run(adresse, kAdresseFields, kAdresseTags);
        refused_ = check.Refused();
    }
    if (!refused_) {
        CModifyDBStruk check(&ctx_);
        check.Run(bemerkun, kBemerkunFields, nullptr);
        refused_ = check.Refused();
    }

    if (!OpenTable(orte_, JoinPath(placesDir, "PLZORT"))) return fehler_;
    if (refused_) {
        // The application is ending; the old structure is never bound.
        fehler_ = r4terminate;
        return fehler_;
    }
    if (!OpenTable(adressen_, adresse)) return fehler_;
    if (!OpenTable(bemerkungen_, bemerkun)) return fehler_;
    return 0;
}

void CDatenbank::Schliessen() {
    if (ctx_.initialised) {
        for (CQuorvelTable* t : {static_cast<CQuorvelTable*>(adressen_.get()),
                                 static_cast<CQuorvelTable*>(bemerkungen_.get()),
                                 static_cast<CQuorvelTable*>(orte_.get())})
            if (t) t->Forget();
        ctx_.errorCode = 0;
        engineCloseAll(&ctx_);
        ctx_.errorCode = 0;
        engineInitUndo(&ctx_);
    }
    adressen_.reset();
    bemerkungen_.reset();
    orte_.reset();
    fehler_ = 0;
    refused_ = false;
}

CDatenbank& TheDatenbank() {
    static CDatenbank db;
    return db;
}
