// Little-endian integers in the files' headers, blocks and log entries.
#pragma once

#include <cstdint>

namespace vx {

inline uint32_t Get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
inline uint16_t Get16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
inline void Put32(unsigned char* p, uint32_t v) {
    p[0] = v & 0xFF, p[1] = (v >> 8) & 0xFF, p[2] = (v >> 16) & 0xFF, p[3] = v >> 24;
}
inline void Put16(unsigned char* p, uint16_t v) { p[0] = v & 0xFF, p[1] = v >> 8; }

} // namespace vx
