#include "pixels/ByteReader.h"

bool ByteReader::Seek(uint64_t offset) {
    if (offset > m_Size) return false;
    m_Position = static_cast<size_t>(offset);
    return true;
}

bool ByteReader::Read8(uint8_t& value) {
    const uint8_t* at = Take(1);
    if (at) value = at[0];
    return at != nullptr;
}

bool ByteReader::Read16(uint16_t& value) {
    const uint8_t* at = Take(2);
    if (at) value = Load16(at);
    return at != nullptr;
}

bool ByteReader::Read32(uint32_t& value) {
    const uint8_t* at = Take(4);
    if (at) value = Load32(at);
    return at != nullptr;
}

const uint8_t* ByteReader::Take(uint64_t count) {
    if (count > Remaining()) return nullptr;
    const uint8_t* at = Current();
    m_Position += static_cast<size_t>(count);
    return at;
}
