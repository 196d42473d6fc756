// The assignment table's calculation file "*.kbv": the inputs, the project,
// the remark, the arrangement, the connecting piece, the chimney, the
// selected manufacturers and the result rows, then the part-load flag.
#pragma once

#include "model/CAufBauE.h"
#include "model/CSchorn.h"
#include "model/CVerb.h"
#include "values/CProjekt.h"
#include "values/CWDouble.h"
#include "values/CWString.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CTarsiloDocCore;
namespace vx {
class Archive;
}

// The items of one file, as one value: a file is read into one of these
// first, so that a broken file leaves the open document as it was.
struct TarsiloFileItems {
    int32_t fuelIndex = -1;
    std::string fuelName;
    int32_t shape = 0;
    int32_t system = -1;
    int32_t fu = 0;
    CWDouble outputFrom, outputTo, effectiveHeight, sectionSize, secondSide;
    CProjekt project;
    CWString remarks;
    CAufBauE construction;
    CVerb connector;
    CSchorn chimney;
    std::vector<std::string> selectedManufacturers;
    std::vector<std::array<std::string, 4>> rows;  // list order, top row first
    int32_t partLoad = 1;
};

class TarsiloFile {
public:
    // The lists a file's positions point into.
    static constexpr int kFuelCount = 13;
    static constexpr int kShapeCount = 4;
    static constexpr int kSystemCount = 21;

    static void Store(CTarsiloDocCore& doc, vx::Archive& ar);
    // Reads the items; throws the archive's errors on a short or corrupt
    // file and ArchiveNewerFormat on a newer one. False when a value lies
    // outside its list.
    static bool Read(vx::Archive& ar, TarsiloFileItems& items);
    // The items become the document's: the manufacturers of the stored fuel
    // with the stored ones selected, the rows without catalogue offsets.
    static void Take(CTarsiloDocCore& doc, TarsiloFileItems& items);

    // The document from a file's bytes; false with the file-damaged message
    // when the file is broken (or the newer-version message for a file of a
    // newer format), the document then unchanged.
    static bool Load(CTarsiloDocCore& doc, const std::vector<uint8_t>& bytes);
    static bool LoadFile(CTarsiloDocCore& doc, const std::string& path);
    static std::vector<uint8_t> StoreBytes(CTarsiloDocCore& doc);
    // Written to a temporary name beside path, then renamed.
    static bool SaveFile(CTarsiloDocCore& doc, const std::string& path);
};

