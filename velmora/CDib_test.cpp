#include "velmora/CDib.h"

#include "platform/Archive.h"
#include "platform/Files.h"
#include "platform/MessageService.h"

#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// A bitmap file as a painting program writes it.
std::vector<uint8_t> MakeBmp(int width, int height, int bitCount, uint32_t clrUsed = 0, uint32_t sizeImage = 0) {
    const uint32_t colors = clrUsed ? clrUsed : bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
    const uint32_t stride = (uint32_t(width) * bitCount + 31) / 32 * 4;
    const uint32_t image = stride * uint32_t(height);
    const uint32_t off = 54 + 4 * colors;
    std::vector<uint8_t> b(off + image);
    Put16(b, 0, 0x4D42);
    Put32(b, 2, uint32_t(b.size()));
    Put32(b, 10, off);
    Put32(b, 14, 40);
    Put32(b, 18, uint32_t(width));
    Put32(b, 22, uint32_t(height));
    Put16(b, 26, 1);
    Put16(b, 28, uint16_t(bitCount));
    Put32(b, 34, sizeImage);
    Put32(b, 46, clrUsed);
    for (uint32_t i = 0; i < colors; ++i) {
        b[54 + 4 * i] = uint8_t(i);          // blue
        b[54 + 4 * i + 1] = uint8_t(i * 2);  // green
        b[54 + 4 * i + 2] = uint8_t(255 - i);
    }
    for (uint32_t i = 0; i < image; ++i) b[off + i] = uint8_t(i * 7);
    return b;
}

struct DibTest : ::testing::Test {
    vx::ScopedScriptedMessages messages;
    std::string LastMessage() const { return messages.service.shown.empty() ? "" : messages.service.shown.back().text; }
};

TEST_F(DibTest, TrueColourHasNoPaletteAndOffset54) {
    auto file = MakeBmp(5, 3, 24);
    CDib dib;
    size_t used = 0;
    ASSERT_TRUE(dib.Read(file, &used));
    EXPECT_EQ(used, file.size());
    EXPECT_EQ(dib.ColorCount(), 0u);
    EXPECT_FALSE(dib.HasPalette());
    EXPECT_EQ(dib.ImageSize(), 16u * 3);
    EXPECT_EQ(dib.Header().biWidth, 5);
    std::vector<uint8_t> out;
    ASSERT_TRUE(dib.Write(out));
    EXPECT_EQ(Get32(out, 10), 54u);
    EXPECT_EQ(Get32(out, 2), 54u + 48);
    EXPECT_EQ(out, file);
    EXPECT_TRUE(messages.service.shown.empty());
}

TEST_F(DibTest, EightBitWithoutCountHas256Colours) {
    auto file = MakeBmp(4, 2, 8);
    CDib dib;
    ASSERT_TRUE(dib.Read(file));
    EXPECT_EQ(dib.ColorCount(), 256u);
    ASSERT_EQ(dib.Palette().size(), 256u);
    EXPECT_EQ(dib.Palette()[3].red, 252);
    EXPECT_EQ(dib.Palette()[3].green, 6);
    EXPECT_EQ(dib.Palette()[3].blue, 3);
    EXPECT_EQ(dib.Palette()[3].flags, 0);
    std::vector<uint8_t> out;
    ASSERT_TRUE(dib.Write(out));
    EXPECT_EQ(Get32(out, 10), 54u + 1024);
    EXPECT_EQ(out, file);
}

TEST_F(DibTest, OtherDepthsAndExplicitCounts) {
    CDib dib;
    ASSERT_TRUE(dib.Read(MakeBmp(9, 2, 1)));
    EXPECT_EQ(dib.ColorCount(), 2u);
    EXPECT_EQ(dib.ImageSize(), 8u);
    ASSERT_TRUE(dib.Read(MakeBmp(3, 3, 4)));
    EXPECT_EQ(dib.ColorCount(), 16u);
    ASSERT_TRUE(dib.Read(MakeBmp(3, 3, 8, 20)));
    EXPECT_EQ(dib.Palette().size(), 20u);
    ASSERT_TRUE(dib.Read(MakeBmp(3, 3, 32)));
    EXPECT_FALSE(dib.HasPalette());
    // An image size given in the header counts.
    auto big = MakeBmp(2, 2, 24, 0, 16);
    ASSERT_TRUE(dib.Read(big));
    EXPECT_EQ(dib.ImageSize(), 16u);
}

TEST_F(DibTest, WrongTypeAndShortHeader) {
    auto file = MakeBmp(2, 2, 24);
    file[1] = 'A';
    CDib dib;
    EXPECT_FALSE(dib.Read(file));
    EXPECT_EQ(LastMessage(), "Invalid bitmap file");
    EXPECT_EQ(messages.service.shown.back().flags, vx::MB_OK);
    EXPECT_TRUE(dib.IsEmpty());

    std::vector<uint8_t> shortFile(file.begin(), file.begin() + 13);
    EXPECT_FALSE(dib.Read(shortFile));
    EXPECT_EQ(LastMessage(), "read error 1");
}

TEST_F(DibTest, LyingHeadersAreRefused) {
    struct Lie {
        const char* what;
        size_t at;
        uint32_t value;
        int width;  // 2 or 4 bytes
    };
    const Lie lies[] = {
        {"file size beyond the file", 2, 100000, 4},
        {"pixel offset beyond the file", 10, 100000, 4},
        {"pixel offset inside the header", 10, 40, 4},
        {"header size too small", 14, 12, 4},
        {"header size beyond the offset", 14, 2000, 4},
        {"zero width", 18, 0, 4},
        {"negative width", 18, 0xFFFFFFFF, 4},
        {"zero height", 22, 0, 4},
        {"huge height", 22, 0x7FFFFFFF, 4},
        {"bit count", 28, 7, 2},
        {"image size beyond the file", 34, 100000, 4},
        {"image size too small", 34, 4, 4},
        {"colour count beyond the header", 46, 300, 4},
        {"colour count overflowing", 46, 0x40000001, 4},
    };
    for (const Lie& lie : lies) {
        auto file = MakeBmp(4, 4, 8);
        if (lie.width == 2) Put16(file, lie.at, uint16_t(lie.value));
        else Put32(file, lie.at, lie.value);
        CDib dib;
        messages.service.shown.clear();
        EXPECT_FALSE(dib.Read(file)) << lie.what;
        EXPECT_EQ(LastMessage(), "Invalid bitmap file") << lie.what;
        EXPECT_TRUE(dib.IsEmpty()) << lie.what;
    }
}

TEST_F(DibTest, TruncatedFilesAreRefused) {
    const auto file = MakeBmp(6, 5, 8);
    for (size_t n = 0; n < file.size(); ++n) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + n);
        CDib dib;
        EXPECT_FALSE(dib.Read(cut)) << n;
    }
    EXPECT_EQ(messages.service.shown.size(), file.size());
}

TEST_F(DibTest, TopDownAndLargerHeadersRead) {
    auto file = MakeBmp(4, 3, 24);
    Put32(file, 22, uint32_t(-3));
    CDib dib;
    ASSERT_TRUE(dib.Read(file));
    EXPECT_EQ(dib.ImageSize(), 36u);

    // A 124-byte header: the colour table follows it, and writing gives the 40-byte form.
    auto v5 = MakeBmp(2, 2, 8, 2);
    std::vector<uint8_t> bigger(v5.begin(), v5.begin() + 54);
    bigger.insert(bigger.end(), 84, 0);
    bigger.insert(bigger.end(), v5.begin() + 54, v5.end());
    Put32(bigger, 14, 124);
    Put32(bigger, 10, 54 + 84 + 8);
    Put32(bigger, 2, uint32_t(bigger.size()));
    ASSERT_TRUE(dib.Read(bigger));
    EXPECT_EQ(dib.Palette()[1].red, 254);
    std::vector<uint8_t> out;
    ASSERT_TRUE(dib.Write(out));
    EXPECT_EQ(out, v5);
}

TEST_F(DibTest, BitFlippedFilesNeverReadOutside) {
    std::mt19937 rng(12345);
    const std::vector<uint8_t> seeds[] = {MakeBmp(7, 5, 8), MakeBmp(5, 4, 24), MakeBmp(17, 3, 1), MakeBmp(3, 3, 4, 5)};
    int accepted = 0;
    for (const auto& seed : seeds) {
        for (int round = 0; round < 3000; ++round) {
            std::vector<uint8_t> file = seed;
            const int flips = 1 + int(rng() % 4);
            for (int i = 0; i < flips; ++i) {
                // Mostly the headers, where a flip can lie.
                const size_t at = rng() % 4 ? rng() % std::min<size_t>(file.size(), 60) : rng() % file.size();
                file[at] ^= uint8_t(1u << (rng() % 8));
            }
            if (rng() % 3 == 0) file.resize(rng() % file.size());
            CDib dib;
            size_t used = 0;
            if (dib.Read(file, &used)) {
                ++accepted;
                ASSERT_LE(used, file.size());
                ASSERT_EQ(dib.Bits().size(), dib.ImageSize());
                ASSERT_EQ(dib.Palette().size(), dib.ColorCount());
                std::vector<uint8_t> out;
                ASSERT_TRUE(dib.Write(out));
                CDib again;
                ASSERT_TRUE(again.Read(out));
                ASSERT_EQ(again.Bits(), dib.Bits());
            } else {
                ASSERT_TRUE(dib.IsEmpty());
            }
        }
    }
    EXPECT_GT(accepted, 0);  // flips in the pixels leave a valid file
}

TEST_F(DibTest, ArchiveCarriesTheFileBytes) {
    auto file = MakeBmp(3, 2, 8, 4);
    CDib dib;
    ASSERT_TRUE(dib.Read(file));
    auto ar = vx::Archive::ForStoring();
    ar.WriteInt32(7);
    dib.Serialize(ar);
    ar.WriteInt32(9);
    EXPECT_EQ(ar.Bytes().size(), 4 + file.size() + 4);

    auto in = vx::Archive::ForLoading(ar.Bytes());
    EXPECT_EQ(in.ReadInt32(), 7);
    CDib back;
    back.Serialize(in);
    EXPECT_EQ(back.Bits(), dib.Bits());
    EXPECT_EQ(back.ColorCount(), 4u);
    EXPECT_EQ(in.ReadInt32(), 9);
}

TEST_F(DibTest, FilesAndEmptyBitmaps) {
    const std::string path = vx::JoinPath(vx::TempDir(), "vxdib-" + std::to_string(::getpid()) + ".bmp");
    CDib dib;
    std::vector<uint8_t> out;
    EXPECT_FALSE(dib.Write(out));
    EXPECT_EQ(LastMessage(), "write error");
    ASSERT_TRUE(dib.Read(MakeBmp(2, 2, 4)));
    ASSERT_TRUE(dib.WriteFile(path));
    CDib back;
    ASSERT_TRUE(back.ReadFile(path));
    EXPECT_EQ(back.Bits(), dib.Bits());
    vx::RemoveFile(path);
    EXPECT_FALSE(back.ReadFile(path));
    EXPECT_TRUE(back.IsEmpty());
    EXPECT_FALSE(dib.WriteFile("/nonexistent-dir/x.bmp"));
    EXPECT_EQ(LastMessage(), "write error");
}

} // namespace
