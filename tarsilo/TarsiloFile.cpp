#include "tarsilo/TarsiloFile.h"

#include "platform/Archive.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/PlatformText.h"
#include "platform/StringTable.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "tarsilo/TarsiloText.h"
#include "velmora/shared/DialogRules.h"

#include <algorithm>

namespace {

void SerializeInputs(vx::Archive& ar, CWDouble& from, CWDouble& to, CWDouble& height, CWDouble& size,
                     CWDouble& second) {
    from.Serialize(ar);
    to.Serialize(ar);
    height.Serialize(ar);
    size.Serialize(ar);
    second.Serialize(ar);
}

// A count the rest of the file can hold: every string takes at least its length byte.
int32_t ReadCount(vx::Archive& ar, size_t stringsEach) {
    int32_t n = 0;
    ar >> n;
    if (n < 0 || size_t(n) * stringsEach > ar.Remaining()) throw vx::ArchiveError(vx::PlatformText(vx::IDS_DATEI_BESCHAEDIGT));
    return n;
}

// The file holds an input's value and its display state; what the document
// gave the cell (its field, units and limits) stays.
void TakeInput(CWDouble& cell, const CWDouble& read) {
    cell.value = read.value;
    cell.marker = read.marker;
    cell.displayUnit = read.displayUnit;
    cell.archiveWord = read.archiveWord;
}

bool InList(int32_t position, int32_t count, bool noneAllowed) {
    return (noneAllowed && position == -1) || (position >= 0 && position < count);
}

} // namespace

void TarsiloFile::Store(CTarsiloDocCore& doc, vx::Archive& ar) {
    vx::g_FileFormat = vx::kFileFormatCurrent;
    ar << int32_t(vx::kFileFormatCurrent) << doc.fuelIndex << doc.fuelName << doc.shape << doc.system << doc.fu;
    SerializeInputs(ar, doc.outputFrom, doc.outputTo, doc.effectiveHeight, doc.sectionSize, doc.secondSide);
    doc.project.Serialize(ar);
    doc.remarks.Serialize(ar);
    doc.construction.Serialize(ar);
    doc.connector.Serialize(ar);
    doc.chimney.Serialize(ar);
    const auto selected = std::count_if(doc.manufacturers.begin(), doc.manufacturers.end(),
                                        [](const ManufacturerItem& m) { return m.selected; });
    ar << int32_t(selected);
    for (const ManufacturerItem& m : doc.manufacturers)
        if (m.selected) ar << m.name;
    ar << int32_t(doc.rows.size());
    for (const AssignmentRow& row : doc.rows)
        for (int c = 0; c < 4; ++c) ar << row.columns[c];
    ar << int32_t(2) << doc.partLoad;
}

bool TarsiloFile::Read(vx::Archive& ar, TarsiloFileItems& items) {
    int32_t format = 0;
    ar >> format;
    if (vx::NewerFileFormat(format)) throw vx::ArchiveNewerFormat();
    // The program has only ever written the current format.
    if (!vx::ReadableFileFormat(format, vx::kFileFormatCurrent)) return false;
    vx::g_FileFormat = format;
    ar >> items.fuelIndex >> items.fuelName >> items.shape >> items.system >> items.fu;
    // The positions index the fuel table, the shape texts and the system defaults.
    if (!InList(items.fuelIndex, kFuelCount, true) || !InList(items.shape, kShapeCount, false) ||
        !InList(items.system, kSystemCount, true))
        return false;
    SerializeInputs(ar, items.outputFrom, items.outputTo, items.effectiveHeight, items.sectionSize,
                    items.secondSide);
    items.project.Serialize(ar);
    items.remarks.Serialize(ar);
    items.construction.Serialize(ar);
    items.connector.Serialize(ar);
    items.chimney.Serialize(ar);
    const int32_t n = ReadCount(ar, 1);
    items.selectedManufacturers.resize(size_t(n));
    for (std::string& name : items.selectedManufacturers) ar >> name;
    const int32_t m = ReadCount(ar, 4);
    items.rows.resize(size_t(m));
    for (auto& row : items.rows)
        for (std::string& column : row) ar >> column;
    // The only format the program reads has always ended with the part-load
    // items: a file without them is cut short.
    int32_t two = 0;
    ar >> two >> items.partLoad;
    return true;
}

void TarsiloFile::Take(CTarsiloDocCore& doc, TarsiloFileItems& items) {
    doc.UnlinkModuleChain();
    doc.fuelIndex = items.fuelIndex;
    doc.fuelName = items.fuelName;
    doc.shape = items.shape;
    doc.system = items.system;
    doc.fu = items.fu;
    TakeInput(doc.outputFrom, items.outputFrom);
    TakeInput(doc.outputTo, items.outputTo);
    TakeInput(doc.effectiveHeight, items.effectiveHeight);
    TakeInput(doc.sectionSize, items.sectionSize);
    TakeInput(doc.secondSide, items.secondSide);
    doc.project = items.project;
    doc.remarks = items.remarks;
    doc.construction = items.construction;
    doc.connector = items.connector;
    doc.chimney = items.chimney;
    doc.partLoad = items.partLoad;

    doc.manufacturers.clear();
    if (doc.fuelIndex >= 0) {
        for (const WrzManufacturer& m : doc.catalogue.ReadManufacturers(doc.fuelIndex)) {
            ManufacturerItem item;
            item.name = m.name;
            item.offset = m.offset;
            item.selected = std::find(items.selectedManufacturers.begin(), items.selectedManufacturers.end(),
                                      m.name) != items.selectedManufacturers.end();
            doc.manufacturers.push_back(std::move(item));
        }
    }

    // The rows keep their order; their catalogue offsets are unknown until
    // the next computation.
    doc.rows.clear();
    for (size_t i = 0; i < items.rows.size(); ++i) {
        AssignmentRow row;
        for (int c = 0; c < 4; ++c) row.columns[c] = std::move(items.rows[i][c]);
        row.columns[AssignmentRow::Offset] = "-1";
        row.itemData = long(i);
        doc.rows.push_back(std::move(row));
    }
    doc.results.clear();
    doc.resultValid = 0;
    doc.LinkModuleChain();
}

bool TarsiloFile::Load(CTarsiloDocCore& doc, const std::vector<uint8_t>& bytes) {
    if (doc.IsComputing()) return false;
    const int previousFormat = vx::g_FileFormat;
    auto items = std::make_unique<TarsiloFileItems>();
    std::string refusal = vx::PlatformText(vx::IDS_DATEI_BESCHAEDIGT);
    bool sound = false;
    try {
        vx::Archive ar = vx::Archive::ForLoading(bytes);
        sound = Read(ar, *items);
    } catch (const vx::ArchiveNewerFormat&) {
        refusal = vx::PlatformText(vx::IDS_DATEI_NEUERE_VERSION);
    } catch (const std::exception&) {
        // Archive errors, and the lengths of a corrupt file that no memory can hold.
        sound = false;
    }
    if (!sound) {
        vx::g_FileFormat = previousFormat;
        vx::ShowMessage(refusal, vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    }
    Take(doc, *items);
    return true;
}

bool TarsiloFile::LoadFile(CTarsiloDocCore& doc, const std::string& path) {
    std::vector<uint8_t> bytes;
    return vx::LoadDocumentFile(path, bytes) && Load(doc, bytes);
}

std::vector<uint8_t> TarsiloFile::StoreBytes(CTarsiloDocCore& doc) {
    vx::Archive ar = vx::Archive::ForStoring();
    Store(doc, ar);
    return ar.Bytes();
}

bool TarsiloFile::SaveFile(CTarsiloDocCore& doc, const std::string& path) {
    if (doc.IsComputing()) return false;
    vx::Archive ar = vx::Archive::ForStoring();
    Store(doc, ar);
    if (!vx::SaveArchiveFile(path, ar)) {
        vx::ShowMessage(vx::Format(vx::LoadString(IDS_DATEI_NICHT_GESCHRIEBEN), vx::PathForDisplay(path).c_str()),
                        vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}
