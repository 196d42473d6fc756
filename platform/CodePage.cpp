#include "platform/CodePage.h"

#include <array>

namespace vx {
namespace {

// 0x80..0x9F of code page 1252. The five holes map to the C1 controls, as
// Windows does, so that every byte survives a round trip.
constexpr char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// 0x80..0xFF of code page 437.
constexpr char16_t k437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8,
    0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2,
    0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1,
    0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD,
    0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562,
    0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534,
    0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560,
    0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393,
    0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6,
    0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0,
    0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

} // namespace

char UpperCp1252(char c) {
    unsigned char u = (unsigned char)c;
    if (u >= 'a' && u <= 'z') return char(u - 0x20);
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return char(u - 0x20);
    switch (u) {
    case 0x9A: return char(0x8A);
    case 0x9C: return char(0x8C);
    case 0x9E: return char(0x8E);
    case 0xFF: return char(0x9F);
    default: return c;
    }
}

char LowerCp1252(char c) {
    unsigned char u = (unsigned char)c;
    if (u >= 'A' && u <= 'Z') return char(u + 0x20);
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return char(u + 0x20);
    switch (u) {
    case 0x8A: return char(0x9A);
    case 0x8C: return char(0x9C);
    case 0x8E: return char(0x9E);
    case 0x9F: return char(0xFF);
    default: return c;
    }
}

std::string UpperCp1252(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperCp1252(c);
    return out;
}

std::string LowerCp1252(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerCp1252(c);
    return out;
}

char32_t Cp1252ToUnicode(unsigned char c) {
    if (c >= 0x80 && c < 0xA0) return k1252High[c - 0x80];
    return c;
}

unsigned char UnicodeToCp1252(char32_t cp) {
    if (cp == 0) return 0;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return (unsigned char)cp;
    for (int i = 0; i < 32; ++i)
        if (k1252High[i] == cp) return (unsigned char)(0x80 + i);
    return 0;
}

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (unsigned char c : text) AppendUtf8(out, Cp1252ToUnicode(c));
    return out;
}

std::string Utf8ToCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = (unsigned char)text[i];
        if (c < 0x80) {
            out += char(c);
            ++i;
            continue;
        }
        int more = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        char32_t cp = more == 1 ? (c & 0x1F) : more == 2 ? (c & 0x0F) : (c & 0x07);
        bool ok = more > 0 && i + size_t(more) < text.size() + 1;
        for (int k = 1; ok && k <= more; ++k) {
            if (i + size_t(k) >= text.size()) {
                ok = false;
                break;
            }
            unsigned char cc = (unsigned char)text[i + size_t(k)];
            if ((cc & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            out += '?';
            ++i;
            // Skip the continuation bytes of the broken sequence.
            while (i < text.size() && ((unsigned char)text[i] & 0xC0) == 0x80) ++i;
            continue;
        }
        i += size_t(more) + 1;
        unsigned char b = UnicodeToCp1252(cp);
        out += b ? char(b) : '?';
    }
    return out;
}

std::string Cp437ToCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += char(c);
            continue;
        }
        unsigned char b = UnicodeToCp1252(k437High[c - 0x80]);
        out += b ? char(b) : '?';
    }
    return out;
}

std::string Cp1252ToCp437(std::string_view text) {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int i = 0; i < 0x80; ++i) t[size_t(i)] = (unsigned char)i;
        for (int i = 0x80; i < 0x100; ++i) t[size_t(i)] = '?';
        for (int i = 0; i < 128; ++i) {
            unsigned char b = UnicodeToCp1252(k437High[i]);
            if (b >= 0x80 && t[b] == '?') t[b] = (unsigned char)(0x80 + i);
        }
        return t;
    }();
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) out += char(table[c]);
    return out;
}

} // namespace vx
