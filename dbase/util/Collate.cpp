#include "dbase/util/Collate.h"

#include "dbase/util/Convert.h"
#include "platform/CodePage.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace vx {

const unsigned char kCollateWeight[256] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x1b, 0x1c, 0x1d, 0x1e, 0x1f,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x2b, 0x2c, 0x2d, 0x2e, 0x2f,
    0x9e, 0x9f, 0xa0, 0xa1, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35,
    0x36, 0xa8, 0xac, 0xad, 0xaf, 0xb0, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xbc,
    0xbe, 0xbf, 0xc0, 0xc1, 0xc2, 0xc3, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0x37, 0x38, 0x39, 0x3a, 0x3b,
    0x3c, 0xca, 0xd2, 0xd3, 0xd5, 0xd6, 0xdb, 0xdc, 0xdd, 0xde, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe9,
    0xef, 0xf0, 0xf1, 0xf2, 0xf4, 0xf5, 0xfa, 0xfb, 0xfc, 0xfd, 0xff, 0x3d, 0x3e, 0x3f, 0x40, 0x41,
    0xae, 0xf9, 0xd7, 0xcd, 0xce, 0xcc, 0xcf, 0xd4, 0xd9, 0xda, 0xd8, 0xe2, 0xe1, 0xe0, 0xa9, 0xaa,
    0xb1, 0xd0, 0xab, 0xec, 0xed, 0xeb, 0xf8, 0xf7, 0xfe, 0xbd, 0xc4, 0x42, 0x43, 0x44, 0x45, 0x46,
    0xcb, 0xdf, 0xea, 0xf6, 0xe8, 0xbb, 0xd1, 0xee, 0x47, 0x48, 0x49, 0x4a, 0x4b, 0x4c, 0x4d, 0x4e,
    0x4f, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x5b, 0x5c, 0x5d, 0x5e,
    0x5f, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x6b, 0x6c, 0x6d, 0x6e,
    0x6f, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x7b, 0x7c, 0x7d, 0x7e,
    0x7f, 0xf3, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x8b, 0x8c, 0x8d,
    0x8e, 0x8f, 0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0x9b, 0x9c, 0x9d,
};

namespace {

// The spelling an accented code-page-437 letter sorts as, or null.
const char* Expansion(unsigned char c) {
    switch (c) {
    case 0x94: return "oe";
    case 0xE1: return "ss";
    case 0x84: return "ae";
    case 0x81: return "ue";
    case 0x82: return "ee";
    case 0x8E: return "Ae";
    case 0x99: return "Oe";
    case 0x9A: return "Ue";
    case 0x83: case 0x85: case 0x86: case 0xA0: return "a";
    case 0x88: case 0x89: case 0x8A: return "e";
    case 0x8C: case 0x8D: case 0xA1: return "i";
    case 0x8F: return "A";
    case 0x93: case 0x95: case 0xA2: return "o";
    case 0x96: case 0x97: case 0xA3: return "u";
    case 0x98: return "y";
    case 0xA4: return "n";
    default: return nullptr;
    }
}

int ByWeight(unsigned char a, unsigned char b) {
    return int(kCollateWeight[a]) - int(kCollateWeight[b]);
}

bool OnlyBlanks(const unsigned char* p, size_t from, size_t n) {
    for (size_t i = from; i < n; ++i)
        if (p[i] != ' ' && p[i] != '\0') return false;
    return true;
}

} // namespace

int collateCompare(const void* left, const void* right, size_t n) {
    const unsigned char* a = static_cast<const unsigned char*>(left);
    const unsigned char* b = static_cast<const unsigned char*>(right);
    size_t i = 0, j = 0;
    while (i < n && j < n) {
        unsigned char ca = a[i], cb = b[j];
        if (ca == cb) {
            ++i;
            ++j;
            continue;
        }
        bool highA = ca >= 0x80, highB = cb >= 0x80;
        if (highA == highB) return ByWeight(ca, cb);
        // One side has an accented letter: it sorts as its spelling.
        int sign = highA ? 1 : -1;
        const unsigned char* x = highA ? a : b;  // the accented side
        const unsigned char* y = highA ? b : a;
        size_t& xi = highA ? i : j;
        size_t& yi = highA ? j : i;
        unsigned char cx = x[xi], cy = y[yi];
        const char* exp = Expansion(cx);
        if (!exp) return sign * ByWeight(cx, cy);
        unsigned char first = (unsigned char)exp[0];
        if (first != cy) return sign * ByWeight(first, cy);
        if (exp[1] == '\0') return sign * ByWeight(cx, cy);
        if (yi + 1 >= n || y[yi + 1] == ' ') return sign * ByWeight(cx, cy);
        unsigned char second = (unsigned char)exp[1];
        if (second != y[yi + 1]) return sign * ByWeight(second, y[yi + 1]);
        xi += 1;
        yi += 2;
    }
    // After a spelled-out letter the two sides are out of step; what is left
    // of the longer one decides unless it is blank.
    if (i < n && !OnlyBlanks(a, i, n)) return 1;
    if (j < n && !OnlyBlanks(b, j, n)) return -1;
    return 0;
}

int collateCodePageOfDriver(unsigned char driver) {
    switch (driver) {
    case 0x03: case 0x57: case 0x58: case 0x59: return kCodePageAnsi;
    default: return kCodePageOem;
    }
}

unsigned char collateDriverOfCodePage(int codePage) { return codePage == kCodePageAnsi ? 0x03 : 0x00; }

namespace {

// Each code page 1252 byte as code page 437 holds it ("?" where it cannot).
const std::array<unsigned char, 256>& AnsiToOem() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c) {
            std::string oem = Cp1252ToCp437(std::string(1, char(c)));
            t[size_t(c)] = oem.size() == 1 ? (unsigned char)oem[0] : (unsigned char)'?';
        }
        return t;
    }();
    return table;
}

} // namespace

int collateCompareAnsi(const void* left, const void* right, size_t n) {
    const auto& map = AnsiToOem();
    const unsigned char* a = static_cast<const unsigned char*>(left);
    const unsigned char* b = static_cast<const unsigned char*>(right);
    unsigned char small[2][256];
    std::vector<unsigned char> large[2];
    unsigned char* oa = small[0];
    unsigned char* ob = small[1];
    if (n > sizeof small[0]) {
        large[0].resize(n);
        large[1].resize(n);
        oa = large[0].data();
        ob = large[1].data();
    }
    for (size_t i = 0; i < n; ++i) {
        oa[i] = map[a[i]];
        ob[i] = map[b[i]];
    }
    int r = collateCompare(oa, ob, n);
    return r != 0 ? r : std::memcmp(a, b, n);
}

CollateCompare collateFor(int codePage) { return codePage == kCodePageAnsi ? collateCompareAnsi : collateCompare; }

void collateUpper(int codePage, char* text, size_t n) {
    if (codePage != kCodePageAnsi) {
        convertUpper(text, n);
        return;
    }
    for (size_t i = 0; i < n; ++i) text[i] = UpperCp1252(text[i]);
}

} // namespace vx
