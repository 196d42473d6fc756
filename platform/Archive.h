// Binary archive of the calculation files, little-endian, in the framework's
// layout: raw integers and IEEE doubles, strings with a length prefix.
#pragma once

#include <bit>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// The file format number a store writes; a load sets g_FileFormat to the
// number of the file, and every Serialize compares it with its thresholds.
constexpr int kFileFormatCurrent = 42;
extern int g_FileFormat;
// The numbers a load can read: from the oldest format the reader knows up to
// the current one; any other number makes every member read wrongly.
inline bool ReadableFileFormat(int32_t format, int32_t oldest = 1) {
    return format >= oldest && format <= kFileFormatCurrent;
}
// A number above the current one comes from a newer version of the program;
// one far above it is no format number at all.
inline bool NewerFileFormat(int32_t format) { return format > kFileFormatCurrent && format < 1000; }

struct ArchiveError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A file of a newer version: its members are not known here.
struct ArchiveNewerFormat : ArchiveError {
    ArchiveNewerFormat();
};

// Reading past the end. Callers catch it for optional trailing members.
struct ArchiveEndOfFile : ArchiveError {
    ArchiveEndOfFile();
};

class Archive {
public:
    static Archive ForStoring() { return Archive(true, {}); }
    static Archive ForLoading(std::vector<uint8_t> bytes) { return Archive(false, std::move(bytes)); }

    bool IsStoring() const { return storing_; }
    bool IsLoading() const { return !storing_; }

    void WriteInt16(int16_t v) { WriteRaw(&v, 2); }
    void WriteUInt16(uint16_t v) { WriteRaw(&v, 2); }
    void WriteInt32(int32_t v) { WriteRaw(&v, 4); }
    void WriteUInt32(uint32_t v) { WriteRaw(&v, 4); }
    void WriteDouble(double v) { WriteRaw(&v, 8); }
    void WriteByte(uint8_t v) { WriteRaw(&v, 1); }
    void WriteString(std::string_view s);
    void WriteBytes(const void* data, size_t n) { WriteRaw(data, n); }

    int16_t ReadInt16() { return ReadAs<int16_t>(); }
    uint16_t ReadUInt16() { return ReadAs<uint16_t>(); }
    int32_t ReadInt32() { return ReadAs<int32_t>(); }
    uint32_t ReadUInt32() { return ReadAs<uint32_t>(); }
    double ReadDouble() { return ReadAs<double>(); }
    uint8_t ReadByte() { return ReadAs<uint8_t>(); }
    std::string ReadString();
    void ReadBytes(void* data, size_t n);

    Archive& operator<<(int16_t v) { WriteInt16(v); return *this; }
    Archive& operator<<(uint16_t v) { WriteUInt16(v); return *this; }
    Archive& operator<<(int32_t v) { WriteInt32(v); return *this; }
    Archive& operator<<(uint32_t v) { WriteUInt32(v); return *this; }
    Archive& operator<<(double v) { WriteDouble(v); return *this; }
    Archive& operator<<(std::string_view s) { WriteString(s); return *this; }
    Archive& operator<<(const std::string& s) { WriteString(s); return *this; }
    Archive& operator<<(const char* s) { WriteString(s); return *this; }

    Archive& operator>>(int16_t& v) { v = ReadInt16(); return *this; }
    Archive& operator>>(uint16_t& v) { v = ReadUInt16(); return *this; }
    Archive& operator>>(int32_t& v) { v = ReadInt32(); return *this; }
    Archive& operator>>(uint32_t& v) { v = ReadUInt32(); return *this; }
    Archive& operator>>(double& v) { v = ReadDouble(); return *this; }
    Archive& operator>>(std::string& s) { s = ReadString(); return *this; }
    // Writes or reads x, as the archive goes.
    template <typename T> void Exchange(T& x) {
        if (storing_) *this << x;
        else *this >> x;
    }

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    size_t Position() const { return pos_; }
    size_t Remaining() const { return bytes_.size() - pos_; }
    bool AtEnd() const { return pos_ >= bytes_.size(); }

private:
    Archive(bool storing, std::vector<uint8_t> bytes) : storing_(storing), bytes_(std::move(bytes)) {}
    void WriteRaw(const void* data, size_t n);
    template <typename T> T ReadAs() {
        T v;
        ReadBytes(&v, sizeof v);
        return v;
    }

    bool storing_;
    std::vector<uint8_t> bytes_;
    size_t pos_ = 0;
};

static_assert(std::endian::native == std::endian::little, "the archive layout is little-endian");

// What a document says of a file it cannot read, and of one a newer version
// of the program wrote: PlatformText(IDS_DATEI_BESCHAEDIGT) and
// PlatformText(IDS_DATEI_NEUERE_VERSION).

// A calculation file is some tens of kilobytes; anything far larger is no
// calculation and is never read into memory.
constexpr size_t kArchiveFileLimit = size_t(16) << 20;

enum class ArchiveFileRead { Read, NotOpened, TooLarge };
// Reads a whole file of at most limit bytes; errno is kept when not opened.
ArchiveFileRead LoadArchiveFile(const std::string& path, std::vector<uint8_t>& bytes,
                                size_t limit = kArchiveFileLimit);
// LoadArchiveFile for a document: false after the message that fits.
bool LoadDocumentFile(const std::string& path, std::vector<uint8_t>& bytes);
// Writes the stored bytes to a temporary file beside path, then renames it.
bool SaveArchiveFile(const std::string& path, const Archive& ar);

} // namespace vx
