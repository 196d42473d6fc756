// A device-independent bitmap, read from and written to the Windows bitmap
// file format (file header, BITMAPINFOHEADER, colour table, pixel bits).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vx {
class Archive;
}

struct BitmapInfoHeader {
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

struct PaletteEntry {
    uint8_t red = 0, green = 0, blue = 0, flags = 0;
};

class CDib {
public:
    static constexpr uint16_t kType = 0x4D42;  // "BM"
    static constexpr uint16_t kPaletteVersion = 0x300;

    CDib() = default;
    CDib(const CDib&) = delete;
    CDib& operator=(const CDib&) = delete;

    // The bytes go straight through: a bitmap file at the archive's position.
    void Serialize(vx::Archive& ar);
    // Reads one bitmap file from the start of file; used receives its length.
    bool Read(std::span<const uint8_t> file, size_t* used = nullptr);
    // Appends the bitmap file to out.
    bool Write(std::vector<uint8_t>& out) const;
    bool ReadFile(const std::string& path);
    bool WriteFile(const std::string& path) const;
    void Clear();

    bool IsEmpty() const { return m_info.empty(); }
    BitmapInfoHeader Header() const;
    // The colour table as in the file: blue, green, red, 0 per entry.
    std::span<const uint8_t> ColorTable() const;
    const std::vector<uint8_t>& Bits() const { return m_bits; }
    uint32_t ImageSize() const { return m_dwSizeImage; }
    uint32_t ColorCount() const { return m_nColorEntries; }
    const std::vector<PaletteEntry>& Palette() const { return m_palette; }
    bool HasPalette() const { return !m_palette.empty(); }

private:
    bool Invalid(const char* message);

    // BITMAPINFOHEADER followed by the colour table, as read.
    std::vector<uint8_t> m_info;
    size_t m_nColorTableOffset = 0;
    std::vector<uint8_t> m_bits;
    uint32_t m_dwSizeImage = 0;
    uint32_t m_nColorEntries = 0;
    std::vector<PaletteEntry> m_palette;
};
