#include "quorvel/PlaceList.h"

#include "dbase/Engine.h"
#include "dbase/util/Collate.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/NumText.h"
#include "quorvel/QuorvelTables.h"
#include "quorvel/QuorvelText.h"

#include <cstdio>
#include <filesystem>

namespace {

std::string Trim(std::string_view s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos) return "";
    size_t b = s.find_last_not_of(" \t\r");
    return std::string(s.substr(a, b - a + 1));
}

} // namespace

bool ReadPlaceList(std::string_view utf8, std::vector<PlaceEntry>& out, std::string& error) {
    out.clear();
    std::string land;
    int lineNo = 0;
    size_t pos = 0;
    while (pos < utf8.size()) {
        size_t end = utf8.find('\n', pos);
        if (end == std::string_view::npos) end = utf8.size();
        const std::string line = Trim(utf8.substr(pos, end - pos));
        pos = end + 1;
        ++lineNo;
        if (line.empty() || line[0] == '#') continue;
        auto fail = [&](unsigned what) {
            error = vx::Format(QuorvelString(IDS_QV_PLACES_LINE), lineNo, QuorvelString(what));
            return false;
        };
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) return fail(IDS_QV_PLACES_LAND_OPEN);
            land = vx::Utf8ToCp1252(line.substr(1, line.size() - 2));
            continue;
        }
        const size_t s1 = line.find(';'), s2 = s1 == std::string::npos ? s1 : line.find(';', s1 + 1);
        if (s2 == std::string::npos || line.find(';', s2 + 1) != std::string::npos)
            return fail(IDS_QV_PLACES_EXPECTED);
        if (land.empty()) return fail(IDS_QV_PLACES_NO_LAND);
        PlaceEntry e;
        e.plz = Trim(line.substr(0, s1));
        e.ort = vx::Utf8ToCp1252(Trim(line.substr(s1 + 1, s2 - s1 - 1)));
        e.land = land;
        const std::string height = Trim(line.substr(s2 + 1));
        size_t used = 0;
        e.height = long(vx::ParseLong(height, &used));
        if (e.plz.empty() || e.plz.size() > 10 || e.ort.empty() || e.ort.size() > 50 || land.size() > 50)
            return fail(IDS_QV_PLACES_TOO_LONG);
        if (used == 0 || used != height.size() || e.height < -9999 || e.height > 99999)
            return fail(IDS_QV_PLACES_BAD_HEIGHT);
        out.push_back(std::move(e));
    }
    return true;
}

bool BuildPlaceTable(const std::vector<PlaceEntry>& places, const std::string& dir, std::string& error) {
    // The engine would cut a long text and star an overlong number without a word.
    for (const PlaceEntry& p : places)
        if (p.plz.size() > 10 || p.ort.size() > 50 || p.land.size() > 50 || p.height < -9999 || p.height > 99999) {
            error = vx::Format(QuorvelString(IDS_QV_PLACES_NOT_FITTING), p.plz, p.ort);
            return false;
        }
    const std::string work = vx::JoinPath(dir, ".plzort-neu");
    std::error_code ec;
    std::filesystem::remove_all(vx::ToFsName(work), ec);
    if (!vx::MakeDirs(work)) {
        error = vx::Format(QuorvelString(IDS_QV_PLACES_NO_FOLDER), work);
        return false;
    }
    bool ok = true;
    {
        vx::EngineContext ctx;
        vx::engineInit(&ctx);
        ctx.codePage = vx::kCodePageAnsi;
        ctx.errOpen = 0;
        CPlzOrtTab table;
        ok = table.Open(&ctx, vx::JoinPath(work, "PLZORT")) == 0;
        for (size_t i = 0; ok && i < places.size(); ++i) {
            const PlaceEntry& p = places[i];
            ok = vx::tableAppendBlank(table.Handle()) == 0 && table.SetText(table.plz, p.plz) == 0 &&
                 table.SetText(table.ort, p.ort) == 0 && table.SetText(table.land, p.land) == 0 &&
                 table.SetGeoHoehe(p.height) == 0 && table.SetText(table.hand, "F") == 0;
        }
        table.Close();
        ok = ok && ctx.errorCode == 0;
        ctx.errorCode = 0;
        vx::engineCloseAll(&ctx);
        vx::engineInitUndo(&ctx);
    }
    for (const char* ext : {"DBF", "MDX"}) {
        if (!ok) break;
        const std::string target = vx::JoinPath(dir, std::string("PLZORT.") + ext);
        ok = std::rename(vx::ToFsName(vx::JoinPath(work, std::string("PLZORT.") + ext)).c_str(),
                         vx::ToFsName(target).c_str()) == 0;
    }
    if (!ok && error.empty()) error = vx::Format(QuorvelString(IDS_QV_PLACES_NOT_WRITTEN), dir);
    std::filesystem::remove_all(vx::ToFsName(work), ec);
    return ok;
}
