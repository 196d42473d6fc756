#include "platform/Archive.h"

#include "platform/Files.h"

#include <cstring>

namespace vx {

int g_FileFormat = kFileFormatCurrent;

void Archive::WriteRaw(const void* data, size_t n) {
    if (!storing_) throw ArchiveError("Archiv ist nicht zum Schreiben geöffnet");
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + n);
}

void Archive::ReadBytes(void* data, size_t n) {
    if (storing_) throw ArchiveError("Archiv ist nicht zum Lesen geöffnet");
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
        if (n == 0xFFFE) throw ArchiveError("Unbekannte Zeichenkettenkodierung im Archiv");
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

bool LoadArchiveFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::string text;
    if (!ReadWholeFile(path, text)) return false;
    bytes.assign(text.begin(), text.end());
    return true;
}

bool SaveArchiveFile(const std::string& path, const Archive& ar) {
    const auto& b = ar.Bytes();
    return WriteFileAtomic(path, std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

} // namespace vx
