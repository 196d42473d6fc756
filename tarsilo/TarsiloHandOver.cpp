#include "tarsilo/TarsiloHandOver.h"

#include "platform/Archive.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/System.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "tarsilo/TarsiloText.h"
#include "velmora/shared/CWrzKatalogWaerme.h"
#include "velmora/shared/ProgramSettings.h"
#include "velmora/shared/DialogRules.h"

#include <filesystem>

namespace {

const char* const kHandOverFile = "~uebergabe.kfx";
const char* const kAureliaProgram = "AURELIA.EXE";

// The sizes of a row's section text: "d" for the round and square shapes,
// "a x b" for the others; the sizes the text leaves out stay.
FlueSystem::Sizes RowSizes(const std::string& text, int shape, FlueSystem::Sizes s) {
    size_t used = 0;
    const double first = vx::ParseDouble(text, &used);
    if (shape == 0 || shape == 4) {
        s.d = first;
    } else if (shape == 1) {
        s.a = first;
    } else {
        s.a = first;
        const size_t x = text.find('x', used);
        if (x != std::string::npos) s.b = vx::ParseDouble(std::string_view(text).substr(x + 1));
    }
    return s;
}

std::string CurrentDirectory() {
    std::error_code ec;
    return vx::FromFsName(std::filesystem::current_path(ec).string());
}

} // namespace

TarsiloHandOver::Status TarsiloHandOver::Bytes(CTarsiloDocCore& doc, const AssignmentRow& row,
                                               std::vector<uint8_t>& bytes) {
    int64_t offset = row.CatalogueOffset();
    if (offset < 0) return RowFromFile;

    // A system of its own, so that the document keeps the chimney its last
    // computation left.
    FlueSystem system(FlueSystemVariant::Assignment());
    system.construction = doc.construction;
    system.room = doc.room;
    system.connector = doc.connector;
    system.chimney = doc.chimney;
    system.head = doc.head;
    if (LoadHeatGenerator(doc.catalogue, system.heatGenerator, offset, {}, CWrzKatalog::OpenOperation::Closed) !=
        CWrzKatalog::kLoaded)
        return NoHeatGenerator;
    // The sizes the row's text leaves out are the chimney's before the
    // preparation: its presets stand in only for a chimney never checked,
    // and the computation that made the row checked it.
    const FlueSystem::Sizes now{system.chimney.diameter.value, system.chimney.sideA.value,
                                system.chimney.sideB.value};
    const FlueSystem::Sizes sizes = RowSizes(row.columns[AssignmentRow::Section], system.chimney.shape.value, now);
    system.PrepareAndSize(FlueSystem::Preparation::Full, &sizes);
    system.UnlinkModuleChain();

    vx::g_FileFormat = vx::kFileFormatCurrent;
    vx::Archive ar = vx::Archive::ForStoring();
    ar << int32_t(vx::kFileFormatCurrent) << std::string() << std::string();
    doc.remarks.Serialize(ar);
    system.construction.Serialize(ar);
    system.room.Serialize(ar);
    system.heatGenerator.Serialize(ar);
    system.connector.Serialize(ar);
    system.chimney.Serialize(ar);
    doc.project.Serialize(ar);
    system.head.Serialize(ar);
    // The main program's files of this format end with the part-load items.
    ar << int32_t(2) << doc.partLoad;
    bytes = ar.Bytes();
    return Written;
}

bool TarsiloHandOver::Enabled(const CTarsiloDocCore& doc, int selectedRow) {
    return selectedRow >= 0 && size_t(selectedRow) < doc.rows.size() && !doc.IsComputing() &&
           !vx::Profile().GetString("Aurelia", "INI", "").empty();
}

bool TarsiloHandOver::Run(CTarsiloDocCore& doc, int selectedRow) {
    if (!Enabled(doc, selectedRow)) return false;
    std::vector<uint8_t> bytes;
    switch (Bytes(doc, doc.rows[size_t(selectedRow)], bytes)) {
    case RowFromFile:
        vx::ShowMessage(vx::LoadString(IDS_ROW_FROM_FILE), vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    case NoHeatGenerator:
        return false;
    case Written:
        break;
    }
    const std::string file = vx::JoinPath(CurrentDirectory(), kHandOverFile);
    vx::Archive ar = vx::Archive::ForStoring();
    ar.WriteBytes(bytes.data(), bytes.size());
    if (!vx::SaveArchiveFile(file, ar)) {
        vx::ShowMessage(vx::Format(vx::LoadString(IDS_DATEI_NICHT_GESCHRIEBEN), vx::PathForDisplay(file).c_str()),
                        vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    }
    const std::string dir = vx::NormalizeSlashes(vx::Profile().GetPath("Aurelia", "INI", ""));
    const std::string program = vx::ResolveNoCase(vx::JoinPath(dir, kAureliaProgram));
    if (vx::StartProgram(program, dir, HandOverRecord(file)) != 0) {
        vx::ShowMessage(vx::PathForDisplay(program) + vx::LoadString(IDS_CANNOT_START), vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}
