#include "platform/Archive.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/PlatformText.h"

#include <cerrno>
#include <new>

#include <cstring>

namespace vx {

int g_FileFormat = kFileFormatCurrent;

void Archive::WriteRaw(const void* data, size_t n) {
    if (!storing_) throw ArchiveError(PlatformText(IDS_ARCHIV_NICHT_ZUM_SCHREIBEN));
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + n);
}

void Archive::ReadBytes(void* data, size_t n) {
    if (storing_) throw ArchiveError(PlatformText(IDS_ARCHIV_NICHT_ZUM_LESEN));
    if (n > Remaining()) {
        pos_ = bytes_.size();
        throw ArchiveEndOfFile();
    }
    if (n) std::memcpy(data, bytes_.data() + pos_, n);
    pos_ += n;
}

void Archive::WriteString(std::string_view s) {
    size_t n = s.size();
    if (n < 0xFF) {
        WriteByte(uint8_t(n));
    } else if (n < 0xFFFE) {
        WriteByte(0xFF);
        WriteUInt16(uint16_t(n));
    } else {
        WriteByte(0xFF);
        WriteUInt16(0xFFFF);
        WriteUInt32(uint32_t(n));
    }
    WriteRaw(s.data(), n);
}

std::string Archive::ReadString() {
    uint32_t n = ReadByte();
    if (n == 0xFF) {
        n = ReadUInt16();
        // 0xFFFE announced a wide string in the framework; this system never writes one.
        if (n == 0xFFFE) throw ArchiveError(PlatformText(IDS_ARCHIV_KODIERUNG_UNBEKANNT));
        if (n == 0xFFFF) n = ReadUInt32();
    }
    // Never allocate what the file cannot hold.
    if (n > Remaining()) {
        pos_ = bytes_.size();
        throw ArchiveEndOfFile();
    }
    std::string s(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
    pos_ += n;
    return s;
}

ArchiveNewerFormat::ArchiveNewerFormat() : ArchiveError(PlatformText(IDS_ARCHIV_NEUERES_FORMAT)) {}

ArchiveEndOfFile::ArchiveEndOfFile() : ArchiveError(PlatformText(IDS_ARCHIV_DATEIENDE)) {}

ArchiveFileRead LoadArchiveFile(const std::string& path, std::vector<uint8_t>& bytes,
                                size_t limit) {
    bytes.clear();
    std::string text;
    switch (ReadFileUpTo(path, text, limit)) {
    case ReadLimited::Read:
        break;
    case ReadLimited::TooLarge:
        return ArchiveFileRead::TooLarge;
    case ReadLimited::Failed:
        return ArchiveFileRead::NotOpened;
    }
    try {
        bytes.assign(text.begin(), text.end());
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return ArchiveFileRead::NotOpened;
    }
    return ArchiveFileRead::Read;
}

bool LoadDocumentFile(const std::string& path, std::vector<uint8_t>& bytes) {
    switch (LoadArchiveFile(path, bytes)) {
    case ArchiveFileRead::Read:
        return true;
    case ArchiveFileRead::TooLarge:
        ShowMessage(PlatformText(IDS_DATEI_BESCHAEDIGT), MB_OK | MB_ICONEXCLAMATION);
        return false;
    case ArchiveFileRead::NotOpened:
        break;
    }
    ShowMessage(Format(PlatformText(IDS_DATEI_NICHT_GEOEFFNET), PathForDisplay(path).c_str()),
                MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool SaveArchiveFile(const std::string& path, const Archive& ar) {
    const auto& b = ar.Bytes();
    return WriteFileAtomic(path, std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

} // namespace vx
