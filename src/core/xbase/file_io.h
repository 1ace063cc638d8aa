#pragma once
// Little-endian fields and whole-buffer positional reads and writes, shared by the table and
// index files (both layouts store integers least significant byte first).

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace corvane::xbase {

inline uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t le16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}
inline void putLe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = char((v >> (8 * i)) & 0xFF);
}
inline void putLe16(char* p, uint16_t v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

// Read or write exactly `len` bytes at `offset`, retrying after signals; false on an error
// or a short file.
bool preadAll(int fd, char* buf, size_t len, off_t offset);
bool pwriteAll(int fd, const char* buf, size_t len, off_t offset);

}  // namespace corvane::xbase
