// Decodes the records of one chunk, checking every length against what is
// left before taking it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/CaptureFormat.h"
#include "capture/Player.h"

namespace orvcapture {

class RecordCursor {
public:
    RecordCursor(const std::string& bytes) : m_Bytes(bytes) {}

    bool AtEnd() const { return m_At >= m_Bytes.size(); }
    size_t Position() const { return m_At; }
    bool Failed() const { return m_bFailed; }

    bool Byte(uint8_t* value);
    bool Word16(uint16_t* value);
    bool Word32(uint32_t* value);
    // A length-prefixed run of bytes.
    bool Sized(std::string* bytes);
    // A tagged value; an Object or NewObject tag sets `isNew`.
    bool Value(orvcapture::Value* value, bool* isNew);
    // `count` tagged values, their raw bytes into `raw`.
    bool Values(unsigned count, std::vector<orvcapture::Value>* values, std::string* raw,
                std::vector<bool>* isNew);

private:
    bool Take(void* out, size_t size);

    const std::string& m_Bytes;
    size_t m_At = 0;
    bool m_bFailed = false;
};

}  // namespace orvcapture
