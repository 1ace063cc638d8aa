#pragma once
// Integers stored least significant byte first, as every file format of the program keeps
// them (APF, BMP, PCX, DCX, TIFF "II", DBF, CDX). The pointers may be unaligned.

#include <cstdint>

namespace corvane {

inline std::uint16_t ReadLe16(const void* at) {
    const auto* p = static_cast<const unsigned char*>(at);
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline std::uint32_t ReadLe32(const void* at) {
    const auto* p = static_cast<const unsigned char*>(at);
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

inline std::int16_t ReadLeS16(const void* at) {
    return static_cast<std::int16_t>(ReadLe16(at));
}

inline std::int32_t ReadLeS32(const void* at) {
    return static_cast<std::int32_t>(ReadLe32(at));
}

inline void WriteLe16(void* at, std::uint16_t value) {
    auto* p = static_cast<unsigned char*>(at);
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
}

inline void WriteLe32(void* at, std::uint32_t value) {
    auto* p = static_cast<unsigned char*>(at);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace corvane
