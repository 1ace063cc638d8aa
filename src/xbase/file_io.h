#pragma once
// Little-endian fields and whole-buffer positional reads and writes, shared by the table and
// index files (both layouts store integers least significant byte first).

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include "core/little_endian.h"

namespace corvane::xbase {

inline uint32_t le32(const unsigned char* p) {
    return ReadLe32(p);
}
inline uint16_t le16(const unsigned char* p) {
    return ReadLe16(p);
}
inline void putLe32(char* p, uint32_t v) {
    WriteLe32(p, v);
}
inline void putLe16(char* p, uint16_t v) {
    WriteLe16(p, v);
}

// Read or write exactly `len` bytes at `offset`, retrying after signals; false on an error
// or a short file.
bool preadAll(int fd, char* buf, size_t len, off_t offset);
bool pwriteAll(int fd, const char* buf, size_t len, off_t offset);

}  // namespace corvane::xbase
