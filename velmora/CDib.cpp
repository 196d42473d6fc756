#include "velmora/CDib.h"

#include "platform/Archive.h"
#include "platform/Files.h"
#include "platform/MessageService.h"

#include <cstring>

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void Show(const char* text) { vx::ShowMessage(text, vx::MB_OK); }

BitmapInfoHeader ParseInfo(const uint8_t* p) {
    BitmapInfoHeader h;
    h.biSize = Get32(p);
    h.biWidth = int32_t(Get32(p + 4));
    h.biHeight = int32_t(Get32(p + 8));
    h.biPlanes = Get16(p + 12);
    h.biBitCount = Get16(p + 14);
    h.biCompression = Get32(p + 16);
    h.biSizeImage = Get32(p + 20);
    h.biXPelsPerMeter = int32_t(Get32(p + 24));
    h.biYPelsPerMeter = int32_t(Get32(p + 28));
    h.biClrUsed = Get32(p + 32);
    h.biClrImportant = Get32(p + 36);
    return h;
}

uint32_t DefaultColorCount(uint16_t bitCount) {
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

} // namespace

void CDib::Clear() {
    m_info.clear();
    m_nColorTableOffset = 0;
    m_bits.clear();
    m_dwSizeImage = 0;
    m_nColorEntries = 0;
    m_palette.clear();
}

bool CDib::Invalid(const char* message) {
    Clear();
    Show(message);
    return false;
}

BitmapInfoHeader CDib::Header() const {
    return m_info.size() >= kInfoHeaderSize ? ParseInfo(m_info.data()) : BitmapInfoHeader{};
}

std::span<const uint8_t> CDib::ColorTable() const {
    if (m_info.empty()) return {};
    return std::span<const uint8_t>(m_info).subspan(m_nColorTableOffset, size_t(4) * m_nColorEntries);
}

bool CDib::Read(std::span<const uint8_t> file, size_t* used) {
    Clear();
    if (used) *used = 0;
    if (file.size() < kFileHeaderSize) return Invalid("read error 1");
    const uint8_t* p = file.data();
    if (Get16(p) != kType) return Invalid("Invalid bitmap file");

    // Every field is held against what the file holds before anything is
    // taken from it: a lying header must not make us read past the end.
    const uint64_t fileSize = Get32(p + 2);
    const uint64_t offBits = Get32(p + 10);
    if (fileSize != 0 && fileSize > file.size()) return Invalid("Invalid bitmap file");
    if (offBits < kFileHeaderSize + kInfoHeaderSize || offBits > file.size()) return Invalid("Invalid bitmap file");
    const size_t infoSize = size_t(offBits) - kFileHeaderSize;
    const BitmapInfoHeader h = ParseInfo(p + kFileHeaderSize);
    if (h.biSize < kInfoHeaderSize || h.biSize > infoSize) return Invalid("Invalid bitmap file");
    if (h.biWidth <= 0 || h.biHeight == 0) return Invalid("Invalid bitmap file");
    switch (h.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return Invalid("Invalid bitmap file");
    }

    const uint64_t rows = h.biHeight < 0 ? uint64_t(-int64_t(h.biHeight)) : uint64_t(h.biHeight);
    const uint64_t stride = (uint64_t(h.biWidth) * h.biBitCount + 31) / 32 * 4;
    const uint64_t needed = stride * rows;
    const uint64_t imageSize = h.biSizeImage != 0 ? h.biSizeImage : needed;
    const bool uncompressed = h.biCompression == 0 || h.biCompression == 3;
    if (uncompressed && imageSize < needed) return Invalid("Invalid bitmap file");
    if (imageSize > file.size() - offBits || imageSize > UINT32_MAX) return Invalid("Invalid bitmap file");

    const uint64_t colors = h.biClrUsed != 0 ? h.biClrUsed : DefaultColorCount(h.biBitCount);
    // The colour table follows the header, whatever size the header has.
    if (h.biSize + 4 * colors > infoSize) return Invalid("Invalid bitmap file");

    m_info.assign(p + kFileHeaderSize, p + offBits);
    m_nColorTableOffset = h.biSize;
    m_dwSizeImage = uint32_t(imageSize);
    m_bits.assign(p + offBits, p + offBits + imageSize);
    m_nColorEntries = uint32_t(colors);
    m_palette.reserve(m_nColorEntries);
    for (uint32_t i = 0; i < m_nColorEntries; ++i) {
        const uint8_t* q = m_info.data() + m_nColorTableOffset + 4 * size_t(i);
        m_palette.push_back({q[2], q[1], q[0], 0});
    }
    if (used) *used = size_t(offBits + imageSize);
    return true;
}

bool CDib::Write(std::vector<uint8_t>& out) const {
    if (m_info.size() < kInfoHeaderSize) {
        Show("write error");
        return false;
    }
    const uint32_t table = 4 * m_nColorEntries;
    Put16(out, kType);
    Put32(out, uint32_t(kFileHeaderSize + kInfoHeaderSize + table + m_dwSizeImage));
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, uint32_t(kFileHeaderSize + kInfoHeaderSize + table));
    // The header is written in its 40-byte form, so that the colour table
    // lies where the written offset says.
    Put32(out, uint32_t(kInfoHeaderSize));
    out.insert(out.end(), m_info.begin() + 4, m_info.begin() + kInfoHeaderSize);
    const std::span<const uint8_t> colors = ColorTable();
    out.insert(out.end(), colors.begin(), colors.end());
    out.insert(out.end(), m_bits.begin(), m_bits.end());
    return true;
}

bool CDib::ReadFile(const std::string& path) {
    std::string bytes;
    if (!vx::ReadWholeFile(path, bytes)) return Invalid("read error 1");
    return Read(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

bool CDib::WriteFile(const std::string& path) const {
    std::vector<uint8_t> out;
    if (!Write(out)) return false;
    if (!vx::WriteFileAtomic(path, std::string_view(reinterpret_cast<const char*>(out.data()), out.size()))) {
        Show("write error");
        return false;
    }
    return true;
}

void CDib::Serialize(vx::Archive& ar) {
    if (ar.IsStoring()) {
        std::vector<uint8_t> out;
        if (Write(out)) ar.WriteBytes(out.data(), out.size());
        return;
    }
    const auto& all = ar.Bytes();
    size_t used = 0;
    if (Read(std::span<const uint8_t>(all).subspan(ar.Position()), &used)) {
        std::vector<uint8_t> skip(used);
        ar.ReadBytes(skip.data(), used);
    }
}
