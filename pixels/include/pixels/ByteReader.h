// Bounds-checked little-endian reads from a file held in memory: the one
// reader of every file format read (DDS, BMP, TGA, ZAR, and PNG's bytes as
// libpng asks for them). Every read past the end fails (and leaves the
// position alone) instead of reading it; every result is checked.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pixels/LittleEndian.h"

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : m_pData(data), m_Size(size) {}

    size_t Size() const { return m_Size; }
    size_t Position() const { return m_Position; }
    size_t Remaining() const { return m_Size - m_Position; }
    const uint8_t* Current() const { return m_pData + m_Position; }

    // False when offset lies past the end.
    bool Seek(uint64_t offset);
    bool Skip(uint64_t count) { return count <= Remaining() && Seek(m_Position + count); }
    bool Read8(uint8_t& value);
    bool Read16(uint16_t& value);
    bool Read32(uint32_t& value);
    // count bytes at the current position, or null when fewer remain.
    const uint8_t* Take(uint64_t count);

private:
    const uint8_t* m_pData;
    size_t m_Size;
    size_t m_Position = 0;
};
