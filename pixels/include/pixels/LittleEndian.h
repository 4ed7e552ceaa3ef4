// Little-endian numbers in bytes: the one reader and the one writer of the
// file formats (DDS, BMP, TGA, ZAR, bitmaps written) and of packed pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline uint16_t Load16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }
inline uint32_t Load32(const uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}
// The low `bytes` bytes (at most 4) at `at`, least significant first.
inline uint32_t LoadBytes(const uint8_t* at, unsigned bytes) {
    uint32_t value = 0;
    for (unsigned i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(at[i]) << (8 * i);
    return value;
}

// Stores the low `bytes` bytes of value, least significant first.
inline void StoreBytes(uint8_t* out, uint32_t value, unsigned bytes) {
    for (unsigned i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}
inline void Store16(uint8_t* out, uint16_t value) { StoreBytes(out, value, 2); }
inline void Store32(uint8_t* out, uint32_t value) { StoreBytes(out, value, 4); }
// Appends the low `bytes` bytes of value, least significant first.
inline void AppendBytes(std::vector<uint8_t>& out, uint32_t value, unsigned bytes) {
    for (unsigned i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
