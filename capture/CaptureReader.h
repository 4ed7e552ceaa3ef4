// Reads a capture file: checks the header, then hands out each chunk's
// records after checking its length and checksum and inflating it. Every
// size is checked before anything is allocated for it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "capture/CaptureFormat.h"

namespace orvcapture {

class CaptureReader {
public:
    enum class Status {
        Chunk,      // a whole, checked chunk
        End,        // the file ends after the last chunk
        Truncated,  // the file ends inside a chunk
        Damaged,    // a chunk fails its checks
    };

    CaptureReader() = default;
    ~CaptureReader();
    CaptureReader(const CaptureReader&) = delete;
    CaptureReader& operator=(const CaptureReader&) = delete;

    // Opens and checks the header; false with Error() when refused.
    bool Open(const std::string& path);
    bool OpenMemory(const uint8_t* data, size_t size);
    const std::string& Error() const { return m_Error; }

    // The next chunk's records into `records`, its flags into `flags`; on
    // Damaged or Truncated, Error() says what.
    Status Next(std::string* records, uint32_t* flags);
    // Where the next chunk starts.
    uint64_t Offset() const { return m_Offset; }

private:
    bool CheckHeader();
    // Reads exactly `size` bytes (fewer only at the end of the file).
    size_t Read(void* buffer, size_t size);

    std::FILE* m_pFile = nullptr;
    const uint8_t* m_pMemory = nullptr;
    size_t m_MemorySize = 0;
    uint64_t m_Offset = 0;
    std::string m_Stored;
    std::string m_Error;
};

}  // namespace orvcapture
